"""vmund-bulk on a real cluster (dask-scheduler and two dask-worker
processes on loopback): the same results as `vmund scan --json`, nothing lost
or doubled when a worker dies or a job resumes, and a report that renders."""
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import pytest

from conftest import SCANNERS, need, vmund_scan

VMUND_KEYS = ("message", "parts", "skipped", "timed_out", "results")


def wait_for(check, seconds, what):
    end = time.monotonic() + seconds
    while not check():
        assert time.monotonic() < end, "timed out waiting for " + what
        time.sleep(0.05)


@pytest.fixture(scope="module")
def cluster(tmp_path_factory, vessamund_module):
    for tool in ("dask-scheduler", "dask-worker"):
        need(shutil.which(tool), tool + " is missing (Debian python3-distributed)")
    d = tmp_path_factory.mktemp("cluster")
    sfile = str(d / "scheduler.json")
    env = dict(os.environ, PYTHONPATH=os.pathsep.join(
        os.path.abspath(p) for p in os.environ.get("PYTHONPATH", "").split(os.pathsep) if p))
    common = dict(cwd=str(d), env=env, stdout=subprocess.DEVNULL, stderr=open(d / "log", "w"))
    procs = [subprocess.Popen(["dask-scheduler", "--host", "127.0.0.1", "--port", "0",
                               "--no-dashboard", "--scheduler-file", sfile], **common)]
    try:
        wait_for(lambda: os.path.exists(sfile) and os.path.getsize(sfile), 60, "the scheduler")
        address = json.load(open(sfile))["address"]
        assert address.startswith("tcp://127.0.0.1:")
        for _ in range(2):
            procs.append(subprocess.Popen(
                ["dask-worker", address, "--host", "127.0.0.1", "--nthreads", "1",
                 "--no-nanny", "--no-dashboard"], **common))
        from distributed import Client
        with Client(address) as c:
            c.wait_for_workers(2, timeout=60)
        yield address, procs[1:]
    finally:
        for p in procs:
            p.kill()
            p.wait()


@pytest.fixture(scope="module")
def archives(gen_corpus, real_corpus, tmp_path_factory):
    """The generated messages and mbox, a Maildir made of some of them, and
    the real corpus read in place."""
    gen, _ = gen_corpus
    maildir = tmp_path_factory.mktemp("mail") / "Maildir"
    for sub, first in (("cur", 40), ("new", 50), ("tmp", 60)):
        os.makedirs(maildir / sub)
        for i in range(first, first + 5):
            shutil.copy(os.path.join(gen, "pii-%05d.eml" % i), maildir / sub / ("%d.host:2," % i))
    paths = [gen, str(maildir), real_corpus]
    # vmund reads every file of a folder; a Maildir's tmp/ is left to its deliverer.
    reference = [gen, str(maildir / "cur"), str(maildir / "new"), real_corpus]
    return paths, reference


def bulk(args, **kw):
    return subprocess.Popen([sys.executable, os.environ.get("VMUND_BULK", "vmund-bulk"), *args],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, **kw)


def scan_args(address, db_dir, paths, out):
    return ["scan", "--scheduler", address, "--db-dir", db_dir, *SCANNERS, "--out", out,
            "--chunk-size", "0.005", "--batch-size", "0.05", *paths]


def records(out):
    from vessamund.bulk.results import read_records
    return list(read_records(out))


def assert_equals_vmund(out, expected):
    got = {}
    for rec in records(out):
        key = rec.get("message", "error:" + rec["file"])
        assert key not in got, "two results for " + key
        got[key] = rec
    assert got.keys() == expected.keys()
    for key, want in expected.items():
        assert {k: got[key].get(k) for k in want} == want, key


@pytest.fixture(scope="module")
def expected(vmund, db_dir, archives):
    return vmund_scan(vmund, db_dir, archives[1])


def test_bulk_scan_equals_vmund_scan(cluster, db_dir, archives, expected, tmp_path):
    out = str(tmp_path / "results.jsonl")
    p = bulk(scan_args(cluster[0], db_dir, archives[0], out))
    stdout, stderr = p.communicate(timeout=300)
    assert p.returncode == 3, stderr  # as vmund: some attachment parts cannot be read
    summary = json.loads(stdout)
    assert summary["workers"] == 2 and summary["failed_tasks"] == 0
    assert summary["messages"] == sum("error" not in r for r in expected.values())
    assert_equals_vmund(out, expected)
    # The mbox was cut into ranges, numbered on from one range to the next.
    ranges = {r["task"] for r in records(out) if "archive.mbox" in r["file"]}
    assert len(ranges) > 8

    # A resumed job with everything done scans nothing and changes nothing.
    before = open(out).read()
    p = bulk(scan_args(cluster[0], db_dir, archives[0], out) + ["--resume"])
    assert json.loads(p.communicate(timeout=300)[0])["scanned_now"] == 0
    assert open(out).read() == before

    # One cut off in the middle of a task's lines (an mbox range's) redoes
    # that task, once.
    lines = [l + "\n" for l in before.split("\n")[:-1]]
    cut = next(i for i in range(2, len(lines))
               if "task_done" not in lines[i - 1] + lines[i] and "archive.mbox" in lines[i])
    open(out, "w").write("".join(lines[:cut]) + lines[cut][:10])
    p = bulk(scan_args(cluster[0], db_dir, archives[0], out) + ["--resume"])
    assert json.loads(p.communicate(timeout=300)[0])["scanned_now"] > 0
    assert_equals_vmund(out, expected)


def test_report_renders_totals_and_no_identifier(cluster, db_dir, archives, expected, gen_corpus, tmp_path):
    chromium = shutil.which("chromium")
    need(chromium, "chromium is missing (Debian chromium)")
    out, html = str(tmp_path / "r.jsonl"), str(tmp_path / "report.html")
    p = bulk(scan_args(cluster[0], db_dir, archives[0], out))
    p.communicate(timeout=300)
    p = bulk(["report", out, "-o", html])
    assert p.communicate(timeout=60) and p.returncode == 0
    dom = subprocess.run(
        [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
         "--disable-component-update", "--disable-sync", "--no-first-run", "--disable-dev-shm-usage",
         "--user-data-dir=" + str(tmp_path / "profile"), "--dump-dom", "file://" + html],
        capture_output=True, text=True, timeout=120).stdout
    totals = dict(re.findall(r'id="total-(\w+)">(\d+)<', dom))
    messages = [r for r in expected.values() if "error" not in r]
    assert totals == {"files": str(len({r["file"] for r in expected.values()})),
                      "messages": str(len(messages)),
                      "matched": str(sum(any(s["score"] for s in r["results"]) for r in messages)),
                      "errors": str(len(expected) - len(messages))}
    assert dom.count("<svg") >= 4 and 'aria-label="findings per kind"' in dom
    planted = {p["text"].strip(" .") for m in gen_corpus[1] for p in m["planted"]}
    leaked = [t for t in planted if len(t) >= 8 and t in dom]
    assert not leaked


def test_killing_a_worker_loses_and_doubles_nothing(cluster, db_dir, archives, expected, tmp_path):
    out = str(tmp_path / "results.jsonl")
    p = bulk(scan_args(cluster[0], db_dir, archives[0], out))
    done = lambda: os.path.exists(out) and open(out).read().count('"task_done"')
    wait_for(lambda: done() >= 5 or p.poll() is not None, 120, "the first results")
    victim = cluster[1][0]
    assert p.poll() is None and victim.poll() is None, "the job ended before the kill"
    victim.send_signal(signal.SIGKILL)
    at_kill = done()
    stdout, stderr = p.communicate(timeout=300)
    assert json.loads(stdout)["failed_tasks"] == 0, stderr
    assert at_kill < done(), "the kill came after the last task"
    assert_equals_vmund(out, expected)


@pytest.mark.parametrize("block", [3, 5, 6, 7, 4096])
def test_mbox_ranges_start_at_every_from_line_across_read_blocks(vessamund_module, tmp_path, monkeypatch, block):
    from vessamund.bulk import plan
    monkeypatch.setattr(plan, "_READ_BLOCK", block)
    messages = [b"From a\nA: %d\n\nbody From here\n>From quoted\n\n" % i for i in range(5)]
    path = tmp_path / "m.mbox"
    path.write_bytes(b"".join(messages))
    starts = [sum(map(len, messages[:i])) for i in range(len(messages))]
    ranges = plan.split_mbox(plan.Task(str(path), "m.mbox"), 1)
    assert [(t.start, t.end, t.first) for t in ranges] == \
        [(s, e - 1, i + 1) for i, (s, e) in enumerate(zip(starts, starts[1:]))] + \
        [(starts[-1], len(path.read_bytes()), 5)]
