"""What a worker does with one task: read its bytes, scan every message, and
return one JSON-ready record per message."""
import json
import os
import re
from typing import Any, Dict, List, Optional

import vessamund

from .plan import Task, split_mbox

# As `vmund scan`: a larger single file is refused, not read into memory.
DEFAULT_MAX_BYTES = 64 << 20


def _megabytes(n: int) -> str:
    return "%.1f MB" % (n / (1 << 20))


_MONTHS = {m: i + 1 for i, m in enumerate(
    "jan feb mar apr may jun jul aug sep oct nov dec".split())}
# "[Day, ]DD Mon YYYY ..." of RFC 5322 (two-digit years as it reads them).
_DATE = re.compile(r"(\d{1,2})\s+([A-Za-z]{3})[A-Za-z]*\.?\s+(\d{2,4})\b")
_DOMAIN = re.compile(r"@([A-Za-z0-9](?:[A-Za-z0-9._-]*[A-Za-z0-9])?)")


def _month(date: str) -> Optional[str]:
    m = _DATE.search(date)
    if not m or m.group(2).lower() not in _MONTHS:
        return None
    year = int(m.group(3))
    if len(m.group(3)) < 4:
        year += 2000 if year < 50 else 1900
    return "%04d-%02d" % (year, _MONTHS[m.group(2).lower()])


def metadata(headers: str) -> Dict[str, Any]:
    """The month (YYYY-MM of Date:) and the sender and recipient domains: what
    the report counts. Addresses themselves are not kept. (A regular
    expression, not the email package's parser: this runs for every message
    and the full parser would cost more than the scan.)"""
    month, sender = None, None
    rcpts = set()
    for line in headers.split("\n"):
        name, sep, value = line.partition(":")
        if not sep:
            continue
        name = name.lower()
        if name == "date" and month is None:
            month = _month(value)
        elif name == "from" and sender is None:
            found = _DOMAIN.findall(value)
            sender = found[-1].lower() if found else ""
        elif name in ("to", "cc"):
            rcpts.update(d.lower() for d in _DOMAIN.findall(value))
    return {"month": month, "from_domain": sender or None, "to_domains": sorted(rcpts)}


def message_record(task: Task, result: "vessamund.MessageResult", number: Optional[int]) -> Dict[str, Any]:
    """One line of the results file: `vmund scan --json`'s object for the
    message, its place in the file, its findings and its metadata."""
    rec = {"file": task.name}
    rec.update(result.to_dict())
    if number is not None:
        rec["message"] = "%s#%d" % (task.name, number)
    rec["offset"] = task.start + result.offset
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
    """scan_task for each of `tasks` (small files travel in batches, so that
    the scheduler hands out a few tasks a second per worker, not hundreds),
    each as {"key", "text", "messages"}: its lines of the results file,
    ready to write, so that the one client does no per-message work."""
    out = []
    for t in tasks:
        r = scan_task(t, policy, max_bytes)
        key, records = r["key"], r["records"]
        text = "".join(json.dumps(dict(rec, task=key), ensure_ascii=False) + "\n"
                       for rec in records)
        text += json.dumps({"task_done": key, "records": len(records)}) + "\n"
        out.append({"key": key, "text": text,
                    "messages": sum("error" not in rec for rec in records)})
    return out


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
