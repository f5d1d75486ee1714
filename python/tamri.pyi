"""Type stubs for the tamri extension module."""

from typing import Optional, Sequence, TypedDict, final

class DiagnosticLocation(TypedDict):
    line: Optional[int]
    record_index: Optional[int]

@final
class ResidueIssue:
    def __new__(cls, residue: str, position: int) -> "ResidueIssue": ...
    @property
    def residue(self) -> str: ...
    @property
    def position(self) -> int: ...

@final
class ValidatedSequence:
    def __new__(
        cls,
        id: str,
        sequence: str,
        alphabet: str = "protein-20",
        valid: bool = True,
        warnings: Optional[Sequence[ResidueIssue]] = None,
        errors: Optional[Sequence[ResidueIssue]] = None,
    ) -> "ValidatedSequence": ...
    @property
    def id(self) -> str: ...
    @property
    def sequence(self) -> str: ...
    @property
    def alphabet(self) -> str: ...
    @property
    def valid(self) -> bool: ...
    @property
    def warnings(self) -> list[ResidueIssue]: ...
    @property
    def errors(self) -> list[ResidueIssue]: ...

@final
class ProteinSequence:
    def __new__(cls, id: str, sequence: str) -> "ProteinSequence": ...
    @property
    def id(self) -> str: ...
    @property
    def sequence(self) -> str: ...

@final
class SequenceValidationReport:
    @property
    def records(self) -> int: ...
    @property
    def valid_records(self) -> int: ...
    @property
    def warning_count(self) -> int: ...
    @property
    def error_count(self) -> int: ...
    @property
    def sequences(self) -> list[ValidatedSequence]: ...

@final
class TokenizedProtein:
    def __new__(
        cls,
        id: str,
        tokens: Sequence[int],
        length: Optional[int] = None,
        alphabet: str = "protein-20",
        valid: bool = True,
        warnings: Optional[Sequence[ResidueIssue]] = None,
        errors: Optional[Sequence[ResidueIssue]] = None,
    ) -> "TokenizedProtein": ...
    @property
    def id(self) -> str: ...
    @property
    def alphabet(self) -> str: ...
    @property
    def valid(self) -> bool: ...
    @property
    def tokens(self) -> list[int]: ...
    @property
    def length(self) -> int: ...
    @property
    def warnings(self) -> list[ResidueIssue]: ...
    @property
    def errors(self) -> list[ResidueIssue]: ...

@final
class ModelInputRecord:
    def __new__(
        cls,
        id: str,
        input_ids: Sequence[int],
        attention_mask: Sequence[int],
        truncated: bool,
    ) -> "ModelInputRecord": ...
    @property
    def id(self) -> str: ...
    @property
    def input_ids(self) -> list[int]: ...
    @property
    def attention_mask(self) -> list[int]: ...
    @property
    def truncated(self) -> bool: ...

@final
class ModelInput:
    @property
    def records(self) -> list[ModelInputRecord]: ...

@final
class SequenceWorkflowOutput:
    @property
    def model_ready(self) -> bool: ...
    @property
    def input_hash(self) -> str: ...
    @property
    def records(self) -> list[ModelInputRecord]: ...
    @property
    def report_json(self) -> str: ...

class TamriError(ValueError):
    code: str
    message: str
    location: Optional[DiagnosticLocation]

def parse_fasta_records(fasta_text: str) -> list[ProteinSequence]: ...
def validate_fasta_input(fasta_text: str) -> SequenceValidationReport: ...
def validate_fasta_input_with_kind(
    fasta_text: str, kind: str
) -> SequenceValidationReport: ...
def tokenize_fasta_records(
    fasta_text: str, profile: str = "protein-20"
) -> list[TokenizedProtein]: ...
def tokenize_protein(
    sequence: str, id: str = "user", profile: str = "protein-20"
) -> TokenizedProtein: ...
def build_model_inputs_checked(
    tokenized: Sequence[TokenizedProtein],
    max_length: int,
    pad_token_id: int = 0,
    padding: str = "no_padding",
) -> ModelInput: ...
def prepare_workflow(
    input_hash: str,
    records: Sequence[ProteinSequence],
    max_length: int,
    pad_token_id: int = 0,
    padding: str = "no_padding",
    profile: str = "protein-20",
) -> SequenceWorkflowOutput: ...
def prepare_workflow_from_fasta(
    fasta_text: str,
    max_length: int,
    pad_token_id: int = 0,
    padding: str = "no_padding",
    profile: str = "protein-20",
) -> SequenceWorkflowOutput: ...
def inspect_package_manifest(manifest_json: str) -> str: ...
def validate_package_manifest(manifest_json: str) -> str: ...
def validate_package_manifest_artifacts(manifest_json: str, base_dir: str) -> str: ...
def validate_package_manifest_file(manifest_path: str) -> str: ...
def plan_runtime_bridge(manifest_json: str) -> str: ...
