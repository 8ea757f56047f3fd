"""Running a bulk scan on a Dask cluster: plan the tasks, hand them out, and
write each task's records once as they come back."""
import json
import logging
import os
import sys
import time
from typing import Any, Dict, List, Optional, Sequence, TextIO

import vessamund

from .plan import Task, list_inputs
from .results import ResultsWriter, header, summarize
from .tasks import DEFAULT_MAX_BYTES, scan_batch, split_task

# A batch is closed at this many bytes or tasks.
BATCH_BYTES = 2 << 20
BATCH_TASKS = 200


def batches(tasks: Sequence[Task], max_bytes: int = BATCH_BYTES,
            max_tasks: int = BATCH_TASKS) -> List[List[Task]]:
    """Groups tasks in order into batches of about `max_bytes` of input."""
    out: List[List[Task]] = []
    size = 0
    for t in tasks:
        if t.end is not None:
            n = t.end - t.start
        else:
            try:
                n = os.path.getsize(t.path)
            except OSError:
                n = 0
        if not out or size + n > max_bytes or len(out[-1]) >= max_tasks:
            out.append([])
            size = 0
        out[-1].append(t)
        size += n
    return out


class ProgressBar:
    """One line on a terminal, redrawn at most ten times a second."""

    def __init__(self, total: int, stream: TextIO, enabled: bool) -> None:
        self.total, self.stream, self.enabled = total, stream, enabled
        self.start = time.monotonic()
        self.last = 0.0

    def show(self, done: int, messages: int, force: bool = False) -> None:
        now = time.monotonic()
        if not self.enabled or (not force and now - self.last < 0.1):
            return
        self.last = now
        width = 30
        filled = width * done // max(self.total, 1)
        rate = messages / max(now - self.start, 1e-9)
        self.stream.write("\r[%s%s] %d/%d tasks  %d messages  %.0f messages/s "
                          % ("#" * filled, "-" * (width - filled), done, self.total,
                             messages, rate))
        self.stream.flush()

    def finish(self) -> None:
        if self.enabled:
            self.stream.write("\n")
            self.stream.flush()


def connect(scheduler: Optional[str], workers: Optional[int], security: Any,
            scratch: Optional[str] = None) -> Any:
    """A client of the cluster at `scheduler`, or of a new local cluster of
    `workers` single-threaded worker processes (default: one per core) whose
    scheduler listens on loopback only. `scratch` is the local workers'
    scratch folder (default: Dask's)."""
    from distributed import Client, LocalCluster
    # Dask's notes on its own housekeeping (stale worker folders) are noise
    # on a command's terminal.
    logging.getLogger("distributed").setLevel(logging.WARNING)
    if scheduler:
        return Client(scheduler, security=security, timeout="30s")
    # Every process's HTTP endpoints (health, metrics) start even without a
    # dashboard: keep them on loopback too, on free ports.
    cluster = LocalCluster(n_workers=workers or os.cpu_count() or 1, threads_per_worker=1,
                           processes=True, host="127.0.0.1", dashboard_address="127.0.0.1:0",
                           scheduler_kwargs={"dashboard": False},
                           worker_dashboard_address="127.0.0.1:0",
                           local_directory=scratch, silence_logs=logging.ERROR)
    return Client(cluster)


def check_workers(client: Any, wait_seconds: float = 60) -> int:
    """Waits for a worker and checks that every worker can import this
    package (a task it cannot unpickle would end the worker). Returns the
    number of workers; raises RuntimeError saying which worker lacks what."""
    try:
        client.wait_for_workers(1, timeout=wait_seconds)
    except Exception:
        raise RuntimeError("the cluster has no worker (waited %d s)" % wait_seconds)

    # Defined here so that it travels by value: the workers may not have the
    # package that would hold it.
    def probe() -> str:
        try:
            import vessamund.bulk.tasks  # noqa: F401
            return ""
        except Exception as e:  # pragma: no cover - runs on the worker
            return "%s: %s" % (type(e).__name__, e)

    problems = {w: p for w, p in client.run(probe).items() if p}
    if problems:
        raise RuntimeError("workers cannot import the vessamund module (install it where the "
                           "workers run): " + "; ".join("%s: %s" % kv for kv in sorted(problems.items())))
    return len(client.scheduler_info()["workers"])


def run_scan(client: Any, policy: "vessamund.Policy", archives: Sequence[str], out: str,
             chunk_bytes: int, resume: bool, progress: bool,
             max_bytes: int = DEFAULT_MAX_BYTES, batch_bytes: int = BATCH_BYTES,
             err: TextIO = sys.stderr) -> Dict[str, Any]:
    """Scans every message under `archives` into the results file `out` and
    writes its summary beside it (OUT.summary.json). Returns the summary,
    with "failed_tasks" for tasks that failed on every try (a resumed run
    tries them again)."""
    from distributed import as_completed
    check_workers(client)
    writer = ResultsWriter(out, header(policy.definition, chunk_bytes), resume)
    try:
        inputs = list_inputs(archives)
        big = [t for t in inputs if not t.error and os.path.isfile(t.path)
               and os.path.getsize(t.path) > chunk_bytes]
        tasks: List[Task] = [t for t in inputs if t not in big]
        if big:
            for ranges in client.gather(client.map(split_task, big, chunk_bytes=chunk_bytes,
                                                   pure=False)):
                tasks.extend(ranges)
        todo = [t for t in tasks if t.key not in writer.done_keys]
        bar = ProgressBar(len(todo), err, progress)
        cpu_before = client.run(time.process_time)
        started, client_cpu = time.monotonic(), time.process_time()
        futures = client.map(scan_batch, batches(todo, batch_bytes), policy=policy, max_bytes=max_bytes,
                             pure=False, retries=2)
        done = messages = failed = 0
        for future in as_completed(futures):
            try:
                results = future.result()
            except Exception as e:  # the batch failed on every try
                failed += 1
                err.write("vmund-bulk: a task failed: %s\n" % e)
                continue
            for result in results:
                done += 1
                if writer.add(result["key"], result["text"]):
                    messages += result["messages"]
            bar.show(done, messages)
        bar.show(done, messages, force=True)
        bar.finish()
        seconds, client_cpu = time.monotonic() - started, time.process_time() - client_cpu
        cpu_after = client.run(time.process_time)
    finally:
        writer.close()
    summary = summarize(out, seconds, len(client.scheduler_info()["workers"]))
    summary["scanned_now"] = messages
    summary["messages_per_second"] = round(messages / seconds, 1) if seconds > 0 else None
    summary["failed_tasks"] = failed
    # The scanning work itself, apart from waiting for a core: on a shared
    # machine wall-clock rates say more about the neighbours than about us.
    cpu = sum(cpu_after[w] - cpu_before[w] for w in cpu_after if w in cpu_before)
    summary["worker_cpu_seconds"] = round(cpu, 3)
    summary["client_cpu_seconds"] = round(client_cpu, 3)
    summary["messages_per_worker_cpu_second"] = round(messages / cpu, 1) if cpu > 0 else None
    with open(out + ".summary.json", "w", encoding="utf-8") as f:
        json.dump(summary, f, indent=2)
        f.write("\n")
    return summary
