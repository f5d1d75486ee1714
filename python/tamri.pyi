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

class TamriError(ValueError):
    code: str
    message: str
    location: Optional[DiagnosticLocation]

def parse_fasta_records(fasta_text: str) -> list[ProteinSequence]: ...
def validate_fasta_input(fasta_text: str) -> SequenceValidationReport: ...
def validate_fasta_input_with_kind(
    fasta_text: str, kind: str
) -> SequenceValidationReport: ...
