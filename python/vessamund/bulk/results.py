"""The results file of a bulk scan: JSON lines, written only by the client.

Line 1 describes the job ({"vmund_bulk": 1, "policy": ..., "chunk_bytes": ...}).
Then, per task, its records (one per message, or an error record), each with
"task" set to the task's key, followed by {"task_done": KEY, "records": N}.
A task counts as done only once its closing line is on disk, so a job that
was stopped part-way through a task's lines resumes by dropping them."""
import json
import os
from typing import Any, Dict, IO, Iterator, List, Optional, Set

FORMAT = 1


class ResultsError(Exception):
    """A results file that cannot be resumed with this job."""


def header(policy_definition: str, chunk_bytes: int) -> Dict[str, Any]:
    return {"vmund_bulk": FORMAT, "policy": json.loads(policy_definition),
            "chunk_bytes": chunk_bytes}


def _complete_lines(path: str) -> List[str]:
    with open(path, "rb") as f:
        data = f.read()
    lines = data.split(b"\n")
    # A last line without its newline was cut off mid-write.
    return [l.decode("utf-8") for l in lines[:-1]]


class ResultsWriter:
    """Appends tasks' records; opening an existing file keeps the tasks it
    completed (done_keys) and drops any half-written task."""

    def __init__(self, path: str, job_header: Dict[str, Any], resume: bool) -> None:
        self.path = path
        self.done_keys: Set[str] = set()
        kept: List[str] = []
        if resume and os.path.exists(path):
            lines = _complete_lines(path)
            if not lines:
                raise ResultsError("%s: empty; remove it to start again" % path)
            try:
                first = json.loads(lines[0])
            except ValueError:
                first = None
            if not isinstance(first, dict) or first.get("vmund_bulk") != FORMAT:
                raise ResultsError("%s: not a vmund-bulk results file" % path)
            if first != job_header:
                raise ResultsError("%s: written by a job with another policy or --chunk-size; "
                                   "use another --out, or remove it to start again" % path)
            pending: List[str] = []
            for line in lines[1:]:
                rec = json.loads(line)
                pending.append(line)
                if "task_done" in rec:
                    self.done_keys.add(rec["task_done"])
                    kept.extend(pending)
                    pending = []
        elif os.path.exists(path) and not resume:
            raise ResultsError("%s exists; --resume continues it, or remove it" % path)
        tmp = path + ".tmp"
        with open(tmp, "w", encoding="utf-8") as f:
            f.write(json.dumps(job_header) + "\n")
            for line in kept:
                f.write(line + "\n")
        os.replace(tmp, path)
        self._out: IO[str] = open(path, "a", encoding="utf-8")

    def add(self, key: str, text: str) -> bool:
        """Writes one task's lines (its records, then its closing line),
        unless that task is done already (a task that ran twice). Returns
        whether it wrote."""
        if key in self.done_keys:
            return False
        self._out.write(text)
        self._out.flush()
        self.done_keys.add(key)
        return True

    def close(self) -> None:
        self._out.close()


def read_records(path: str) -> Iterator[Dict[str, Any]]:
    """Every message and error record of a results file (header and closing
    lines left out)."""
    for line in _complete_lines(path)[1:]:
        rec = json.loads(line)
        if "task_done" not in rec:
            yield rec


def summarize(path: str, seconds: Optional[float] = None, workers: Optional[int] = None) -> Dict[str, Any]:
    """Totals over a results file: inputs, messages, errors, messages not
    scanned in full (time budget spent, or an attachment part unreadable),
    and per scanner the messages that reached the threshold and the largest
    score."""
    files, messages, errors, timed_out, incomplete = set(), 0, 0, 0, 0
    scanners: Dict[str, Dict[str, Any]] = {}
    findings_reported = False
    for rec in read_records(path):
        files.add(rec["file"])
        if "error" in rec:
            errors += 1
            continue
        messages += 1
        timed_out += bool(rec.get("timed_out"))
        incomplete += bool(rec.get("timed_out")) or any(
            s.get("unscannable") for s in rec.get("skipped", []))
        for r in rec["results"]:
            s = scanners.setdefault("%s %s" % (r["source"], r["scanner"]),
                                    {"reached": 0, "max_score": 0, "findings": 0})
            s["reached"] += bool(r["reached"])
            s["max_score"] = max(s["max_score"], r["score"])
            if r.get("findings") is not None:
                findings_reported = True
                s["findings"] += len(r["findings"])
    out: Dict[str, Any] = {"files": len(files), "messages": messages, "errors": errors,
                           "timed_out": timed_out, "incomplete": incomplete, "scanners": scanners,
                           "findings_reported": findings_reported}
    if seconds is not None:
        out["seconds"] = round(seconds, 3)
    if workers is not None:
        out["workers"] = workers
    return out
