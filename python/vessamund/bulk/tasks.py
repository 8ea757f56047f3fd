"""What a worker does with one task: read its bytes, scan every message, and
return one JSON-ready record per message."""
import email.utils
import os
from typing import Any, Dict, List, Optional

import vessamund

from .plan import Task, split_mbox

# As `vmund scan`: a larger single file is refused, not read into memory.
DEFAULT_MAX_BYTES = 64 << 20


def _megabytes(n: int) -> str:
    return "%.1f MB" % (n / (1 << 20))


def _domain(address: str) -> str:
    return address.rpartition("@")[2].strip().strip(">").lower() if "@" in address else ""


def metadata(headers: str) -> Dict[str, Any]:
    """The month (YYYY-MM of Date:) and the sender and recipient domains: what
    the report counts. Addresses themselves are not kept."""
    fields: Dict[str, List[str]] = {}
    for line in headers.splitlines():
        name, sep, value = line.partition(":")
        if sep:
            fields.setdefault(name.strip().lower(), []).append(value.strip())
    month = None
    for d in fields.get("date", [])[:1]:
        try:
            month = email.utils.parsedate_to_datetime(d).strftime("%Y-%m")
        except (TypeError, ValueError, IndexError, OverflowError):
            month = None
    senders = [_domain(a) for _, a in email.utils.getaddresses(fields.get("from", [])[:1])]
    rcpts = sorted({_domain(a) for _, a in email.utils.getaddresses(
        fields.get("to", []) + fields.get("cc", []))} - {""})
    return {"month": month, "from_domain": (senders[0] if senders else "") or None,
            "to_domains": rcpts}


def message_record(task: Task, result: "vessamund.MessageResult", number: Optional[int]) -> Dict[str, Any]:
    """One line of the results file: `vmund scan --json`'s object for the
    message, its place in the file, its findings and its metadata."""
    rec = {"file": task.name}
    rec.update(result.to_dict())
    if number is not None:
        rec["message"] = "%s#%d" % (task.name, number)
    rec["offset"] = task.start + result.offset
    for out, r in zip(rec["results"], result.results):
        out["findings"] = None if r.findings is None else [f.to_dict() for f in r.findings]
    rec.update(metadata(result.headers))
    return rec


def read_range(task: Task, max_bytes: int) -> bytes:
    """The task's bytes. Raises OSError, or ValueError for a whole file over
    `max_bytes` (with `vmund scan`'s message)."""
    with open(task.path, "rb") as f:
        if task.end is None:
            size = os.fstat(f.fileno()).st_size
            if size > max_bytes:
                raise ValueError("file is %s, larger than the --max-size limit of %s"
                                 % (_megabytes(size), _megabytes(max_bytes)))
            return f.read()
        f.seek(task.start)
        return f.read(task.end - task.start)


def scan_task(task: Task, policy: "vessamund.Policy", max_bytes: int = DEFAULT_MAX_BYTES) -> Dict[str, Any]:
    """Scans one task. Returns {"key", "records"}: one record per message, or
    for an input that holds no mail one {"file", "error"} record as `vmund
    scan --json` writes it."""
    if task.error:
        return {"key": task.key, "records": [{"file": task.name, "error": task.error}]}
    try:
        data = read_range(task, max_bytes)
        results = policy.scan_messages(data, task.name)
    except OSError as e:
        error = "cannot open: " + (e.strerror or str(e))
        return {"key": task.key, "records": [{"file": task.name, "error": error}]}
    except (ValueError, vessamund.MessageError) as e:
        return {"key": task.key, "records": [{"file": task.name, "error": str(e)}]}
    split = task.end is not None
    records = [message_record(task, r, task.first + i if split else None)
               for i, r in enumerate(results)]
    return {"key": task.key, "records": records}


def scan_batch(tasks: List[Task], policy: "vessamund.Policy",
               max_bytes: int = DEFAULT_MAX_BYTES) -> List[Dict[str, Any]]:
    """scan_task for each of `tasks`: small files travel in batches, so that
    the scheduler hands out a few tasks a second per worker, not hundreds."""
    return [scan_task(t, policy, max_bytes) for t in tasks]


def split_task(task: Task, chunk_bytes: int) -> List[Task]:
    """A large mbox file's ranges, or the task itself when it is not one."""
    try:
        if task.error or os.path.getsize(task.path) <= chunk_bytes:
            return [task]
        with open(task.path, "rb") as f:
            if f.read(5) != b"From ":
                return [task]
        return split_mbox(task, chunk_bytes)
    except OSError:
        return [task]  # the scan reports the problem
