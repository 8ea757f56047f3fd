"""Shared fixtures of the Python tests: the tools under test, a policy
database, the generated corpus and `vmund scan --json` as the reference."""
import json
import os
import shutil
import subprocess
import sys

import pytest

CORPUS = os.environ.get("VMUND_CORPUS_DIR", "/work/shared/corpus")
IN_CI = os.environ.get("CI", "").lower() == "true"
PII_TYPES = ["creditcard", "ussn", "cansin", "iban", "isin", "ukni", "uknhs", "insee", "frcni"]


def need(ok, why):
    """Skips a test whose tool is missing; under CI=true that is a failure."""
    if not ok:
        (pytest.fail if IN_CI else pytest.skip)(why)


@pytest.fixture(scope="session")
def vmund():
    path = os.environ.get("VMUND") or shutil.which("vmund")
    need(path and os.access(path, os.X_OK), "the vmund command is not built (VMUND)")
    return path


@pytest.fixture(scope="session")
def vessamund_module():
    try:
        import vessamund
    except ImportError as e:
        need(False, "the vessamund module cannot be imported: %s" % e)
    return vessamund


@pytest.fixture(scope="session")
def db_dir(tmp_path_factory, vmund):
    """PII (detectors, capped), Words (plain words) and the group Compliance."""
    d = str(tmp_path_factory.mktemp("db"))
    run = lambda *a: subprocess.run([vmund, *a, "--db-dir", d], check=True, capture_output=True)
    run("db", "init")
    for t in PII_TYPES:
        run("dict", "add", "PII", "", "--type", t, "--weight", "10", "--max-weight", "30")
    for w in ("confidential", "salary", "password"):
        run("dict", "add", "Words", w, "--weight", "5", "--area", "body,header,attachment")
    run("group", "add", "Compliance", "PII", "Words")
    return d


SCANNERS = ["-d", "PII", "-g", "Compliance"]


@pytest.fixture(scope="session")
def policy(vessamund_module, db_dir):
    return vessamund_module.Policy(db_dir, ["PII"], ["Compliance"])


@pytest.fixture(scope="session")
def gen_corpus(tmp_path_factory):
    """Generated messages with planted identifiers, made at test time, and
    an mbox of them."""
    script = os.path.join(CORPUS, "make_pii_corpus.py")
    need(os.path.exists(script), "no corpus generator at %s (VMUND_CORPUS_DIR)" % script)
    d = tmp_path_factory.mktemp("gen")
    subprocess.run([sys.executable, script, "--seed", "23", "--count", "120", "--binary-attachments",
                    "--out", str(d)],
                   check=True, capture_output=True)
    planted = [json.loads(l) for l in open(d / "manifest.jsonl")]
    os.remove(d / "manifest.jsonl")
    with open(d / "archive.mbox", "wb") as mbox:
        for i in range(40):
            mbox.write(b"From sender@example.org Mon Jan  1 00:00:00 2024\n")
            mbox.write((d / ("pii-%05d.eml" % i)).read_bytes().replace(b"\r\n", b"\n"))
            mbox.write(b"\n")
    return str(d), planted


@pytest.fixture(scope="session")
def real_corpus():
    d = os.path.join(CORPUS, "real")
    need(os.path.isdir(d), "no real corpus at %s" % d)
    return d


def vmund_scan(vmund, db_dir, paths):
    """`vmund scan --json` records by message id ("file" dropped), and error
    records by file."""
    out = subprocess.run([vmund, "scan", "--db-dir", db_dir, *SCANNERS, "--json", "-j", "2",
                          *paths], capture_output=True, text=True)
    assert out.returncode in (0, 1, 2, 3), out.stderr
    by_id = {}
    for line in out.stdout.split("\n")[:-1]:  # not splitlines: U+2028 may be in a subject
        rec = json.loads(line)
        if "summary" in rec:
            continue
        by_id[rec.get("message", "error:" + rec["file"])] = rec
    return by_id
