"""Type stubs for the tamri extension module."""

from typing import Optional, TypedDict, final

class DiagnosticLocation(TypedDict):
    line: Optional[int]
    record_index: Optional[int]

@final
class ProteinSequence:
    def __new__(cls, id: str, sequence: str) -> "ProteinSequence": ...
    @property
    def id(self) -> str: ...
    @property
    def sequence(self) -> str: ...

class TamriError(ValueError):
    code: str
    message: str
    location: Optional[DiagnosticLocation]

def parse_fasta_records(fasta_text: str) -> list[ProteinSequence]: ...
