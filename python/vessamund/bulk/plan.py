"""The tasks of a bulk scan: which files, and which byte ranges of large mbox
files, each task reads."""
import os
from typing import Iterable, List, NamedTuple, Optional

# An mbox message starts with a "From " line; GMime splits messages there.
MBOX_MARK = b"From "
_READ_BLOCK = 8 << 20


class Task(NamedTuple):
    """One unit of work: `path` whole (end None), or the byte range
    [start, end) of an mbox file, whose first message is number `first`.
    `path` is absolute, since workers may run in another folder or on
    another machine; results name the file as it was given (`name`)."""
    path: str
    name: str
    start: int = 0
    end: Optional[int] = None
    first: int = 1
    error: str = ""  # set when the input cannot be read at all

    @property
    def key(self) -> str:
        """Names the task in the results file; stable across runs."""
        return "%s\0%d" % (self.path, self.start)


def _is_maildir(path: str) -> bool:
    return all(os.path.isdir(os.path.join(path, d)) for d in ("cur", "new", "tmp"))


def _task(name: str, error: str = "") -> Task:
    return Task(os.path.abspath(name), name, error=error)


def list_inputs(paths: Iterable[str]) -> List[Task]:
    """Every regular file under `paths`, in the order `vmund scan` takes them:
    arguments in order, folders recursively in name order. A Maildir's tmp/
    folder (messages still being delivered) is left out. A missing path or
    an empty folder becomes a task carrying the error."""
    out: List[Task] = []

    def walk(d: str) -> None:
        try:
            names = sorted(os.listdir(d))
        except OSError as e:
            out.append(_task(d, error="cannot read the directory: " + e.strerror))
            return
        maildir = _is_maildir(d)
        for n in names:
            p = os.path.join(d, n)
            if os.path.islink(p):
                continue
            if os.path.isdir(p):
                if not (maildir and n == "tmp"):
                    walk(p)
            elif os.path.isfile(p):
                out.append(_task(p))

    for p in paths:
        if os.path.isdir(p):
            before = len(out)
            walk(p)
            if len(out) == before:
                out.append(_task(p, error="no files found in the directory"))
        else:
            out.append(_task(p))
    return out


def split_mbox(whole: Task, chunk_bytes: int) -> List[Task]:
    """Cuts the mbox file of `whole` into ranges of about `chunk_bytes`, each
    starting at a "From " line, numbering messages as `vmund scan` does
    (NAME#1, NAME#2, ...). Reads the file once, block by block."""
    path = whole.path
    ranges: List[Task] = []
    start, first, count, pos = 0, 1, 0, 0
    # The previous block's last 5 bytes: a 6-byte "\nFrom " mark across two
    # blocks is found, and none lies wholly inside them to be found twice.
    # The file starts as if after a line end.
    tail = b"\n"
    with open(path, "rb") as f:
        while True:
            block = f.read(_READ_BLOCK)
            if not block:
                break
            data = tail + block
            base = pos - len(tail)
            i = data.find(b"\n" + MBOX_MARK)
            marks = []
            while i >= 0:
                marks.append(i + 1)
                i = data.find(b"\n" + MBOX_MARK, i + 1)
            for m in marks:
                at = base + m
                if at - start >= chunk_bytes and count > 0:
                    # The newline before "From " belongs to the separator, not
                    # to the message before it: the range stops short of it,
                    # as GMime's reading of the whole file does.
                    ranges.append(whole._replace(start=start, end=at - 1, first=first))
                    start, first, count = at, first + count, 0
                count += 1
            pos += len(block)
            tail = data[-len(MBOX_MARK):]
    ranges.append(whole._replace(start=start, end=pos, first=first))
    return ranges
