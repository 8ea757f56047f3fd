"""The vessamund module: the same results as `vmund scan`, scans that
release the GIL, policies that pickle, errors as exceptions."""
import json
import os
import pickle
import subprocess
import sys
import threading
import time

import pytest

from conftest import vmund_scan


def module_scan(vessamund, policy, path):
    try:
        return {r.id: r.to_dict() for r in policy.scan_messages(open(path, "rb").read(), path)}
    except vessamund.MessageError as e:
        return {"error:" + path: {"error": str(e)}}


def test_results_equal_vmund_scan(vessamund_module, policy, vmund, db_dir, gen_corpus, real_corpus):
    gen, _ = gen_corpus
    files = [os.path.join(d, f) for d in (gen,) for f in sorted(os.listdir(d))]
    files += [os.path.join(r, f) for r, _, fs in os.walk(real_corpus) for f in sorted(fs)]
    expected = vmund_scan(vmund, db_dir, files)
    got = {}
    for f in files:
        got.update(module_scan(vessamund_module, policy, f))
    for rec in expected.values():
        rec.pop("file")
    assert got.keys() == expected.keys()
    for key in expected:
        assert got[key] == expected[key], key
    # The comparison covers matches, documents read by the helper, an mbox and
    # unreadable inputs.
    assert any(r["score"] > 0 for m in got.values() for r in m.get("results", []))
    assert any(p["label"].endswith((".xlsx", ".pdf", ".docx"))
               for m in got.values() for p in m.get("parts", []))
    assert any(k.endswith("#40") for k in got) and any(m.get("not_mail") for m in got.values())


def test_scan_text_applies_area_masks(vessamund_module):
    p = vessamund_module.Policy.from_rows(
        {"W": [{"pattern": "secret", "weight": 7, "area": "header"}]}, threshold=7)
    assert [r.score for r in p.scan_text("a secret").results] == [0]
    header = p.scan_text("Subject: a secret", area="header").results[0]
    assert (header.score, header.reached) == (7, True)
    # Findings count code points as Python does.
    p = vessamund_module.Policy.from_rows({"C": [{"type": "creditcard", "weight": 1}]})
    text = "Zahlung für Müller: 4111 1111 1111 1111."
    f = p.scan_text(text).results[0].findings
    assert [(x.kind, x.value, text[x.start:x.end]) for x in f] == \
        [("creditcard", "**** **** **** 1111", "4111 1111 1111 1111")]


def test_scans_release_the_gil(policy, gen_corpus):
    """While one thread scans, another keeps running Python: its longest
    pause stays far below the scan's length. (Held, the GIL would stop it
    for the whole scan.)"""
    gen, _ = gen_corpus
    text = " ".join(open(os.path.join(gen, f), encoding="utf-8", errors="replace").read()
                    for f in sorted(os.listdir(gen))[:100])
    text = text * max(1, (8 << 20) // len(text))
    t = time.monotonic()
    policy.scan_text(text, area="attachment")
    text = text * max(1, round(0.5 / (time.monotonic() - t)))  # a scan of about 0.5 s
    done = threading.Event()
    took = []

    def scan():
        t = time.monotonic()
        policy.scan_text(text, area="attachment")
        took.append(time.monotonic() - t)
        done.set()

    worker = threading.Thread(target=scan)
    last, longest = time.monotonic(), 0.0
    worker.start()
    while not done.is_set():
        now = time.monotonic()
        longest, last = max(longest, now - last), now
    worker.join()
    assert took[0] > 0.2, "the scan is too short to tell"
    assert longest < took[0] / 2


CHILD = """
import json, pickle, sys
policy = pickle.loads(sys.stdin.buffer.read())
again = pickle.loads(pickle.dumps(policy))
result = policy.scan_messages(open(sys.argv[1], "rb").read(), sys.argv[1])
print(json.dumps({"same": again is policy, "results": [r.to_dict() for r in result]}))
"""


@pytest.mark.parametrize("kind", ["database", "rows"])
def test_policy_pickles_and_scans_the_same_in_a_fresh_process(vessamund_module, policy, kind, gen_corpus):
    if kind == "rows":
        policy = vessamund_module.Policy.from_rows(
            {"PII": [{"type": "creditcard", "weight": 10}, {"type": "iban", "weight": 10}],
             "Words": [{"pattern": "confidential", "weight": 5}]}, {"Compliance": ["PII", "Words"]})
    gen, _ = gen_corpus
    path = os.path.join(gen, "archive.mbox")
    out = subprocess.run([sys.executable, "-c", CHILD, path], input=pickle.dumps(policy),
                         capture_output=True, check=True)
    child = json.loads(out.stdout)
    assert child["same"], "a process loads a pickled policy once"
    mine = [r.to_dict() for r in policy.scan_messages(open(path, "rb").read(), path)]
    assert child["results"] == mine and any(r["score"] for m in mine for r in m["results"])


def test_errors_are_python_exceptions_with_the_library_messages(vessamund_module, db_dir, tmp_path):
    v = vessamund_module
    cases = [
        (lambda: v.Policy(str(tmp_path), ["PII"]), v.PolicyError, "fe_content.db: No such file"),
        (lambda: v.Policy(db_dir, ["Nosuch"]), v.PolicyError, 'no dictionary named "Nosuch"'),
        (lambda: v.Policy(db_dir, ["PII"], templates=["512:PII"]), v.PolicyError, "already used"),
        (lambda: v.Policy(db_dir), v.PolicyError, "no scanner"),
        (lambda: v.Policy(db_dir, templates=["GLB"]), ValueError, "NUMBER:NAME"),
        (lambda: v.Policy(db_dir, templates=["520:X"]), v.PolicyError, "no template file"),
        (lambda: v.Policy.from_rows({"D": [{"type": "nosuch"}]}), ValueError, 'unknown pattern type "nosuch"'),
        (lambda: v.Policy.from_rows({"D": [{"pattern": ""}]}), v.PolicyError, "dictionary D: "),
        (lambda: v.Policy.from_rows({"D": [{"colour": 1}]}), ValueError, 'unknown key "colour"'),
        (lambda: v.Policy(db_dir, ["PII"]).scan_message(b""), v.MessageError, "empty file"),
        (lambda: v.Policy(db_dir, ["PII"]).scan_message(b"From a\nA: b\n\nx\nFrom b\nA: c\n\ny\n"),
         ValueError, "holds 2 messages"),
    ]
    for make, error, text in cases:
        with pytest.raises(error, match=text):
            make()
    with pytest.warns(v.PolicyWarning, match='"a[(]" does not compile'):
        v.Policy.from_rows({"R": [{"type": "regex", "pattern": "a("}]})
    # Input that is not mail is scanned whole, as vmund does.
    text = v.Policy(db_dir, ["PII"]).scan_message(b"card 4111 1111 1111 1111\n")
    assert text.not_mail and text.results[0].score > 0
