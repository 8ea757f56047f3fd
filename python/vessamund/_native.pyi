"""Type hints of the native module vessamund._native."""
from typing import List, Mapping, Optional, Sequence, Tuple, Union

Area = Union[str, int]  # "body", "attachment", "header", "html-alternative", names joined by ",", or a mask


class PolicyError(RuntimeError):
    """A policy cannot be loaded: no database, a missing template, a bad row."""


class MessageError(ValueError):
    """The input is empty: there is nothing to scan."""


class PolicyWarning(UserWarning):
    """A policy loads but part of it cannot match."""


class Part:
    kind: int
    area: str
    label: str
    bytes: int


class Skipped:
    label: str
    type: str
    reason: str
    unscannable: bool


class Finding:
    dictionary: str
    item: int
    kind: str  # a detector's name, the word or wildcard, or "expression N"
    pattern_type: int
    part: int
    area: str
    label: str
    line: int
    column: int
    offset: int  # UTF-8 bytes into the part's text
    length: int
    start: int  # code points into the part's text, as Python counts them
    end: int
    value: str  # masked unless the administrator's own word or wildcard
    masked: bool
    def to_dict(self) -> dict: ...


class ScannerResult:
    scanner: str
    source: str
    threshold: int
    score: int
    reached: bool
    score_record: str
    match_record: str
    findings: List[Finding]
    findings_dropped: int


class MessageResult:
    id: str
    offset: int
    parts: List[Part]
    skipped: List[Skipped]
    timed_out: bool
    results: List[ScannerResult]
    headers: str
    message_id: str
    from_: str
    subject: str
    not_mail: bool
    @property
    def reached(self) -> bool: ...
    def to_dict(self) -> dict: ...


Row = Mapping[str, Union[str, int, bool]]


class Policy:
    def __init__(self, db_dir: Optional[str] = None, dictionaries: Sequence[str] = (),
                 groups: Sequence[str] = (), templates: Sequence[str] = (), *,
                 template_dir: Optional[str] = None, threshold: int = 100,
                 timeout: float = 10.0) -> None: ...
    @staticmethod
    def from_rows(dictionaries: Mapping[str, Sequence[Row]],
                  groups: Optional[Mapping[str, Sequence[str]]] = None, *,
                  threshold: int = 100, timeout: float = 10.0) -> "Policy": ...
    def scan_message(self, data: bytes, name: str = "<message>") -> MessageResult: ...
    def scan_messages(self, data: bytes, name: str = "<message>") -> List[MessageResult]: ...
    def scan_text(self, text: str, area: Area = "body") -> MessageResult: ...
    @property
    def scanners(self) -> List[Tuple[str, str]]: ...
    @property
    def threshold(self) -> int: ...
    @property
    def timeout(self) -> float: ...
    @property
    def warnings(self) -> List[str]: ...
    @property
    def definition(self) -> str: ...
    @staticmethod
    def _from_definition(definition: str) -> "Policy": ...
