"""Scan mail and text with Vessamund DLP policies.

A :class:`Policy` loads dictionaries, groups and templates once; its scans
release the GIL, so threads scale, and it pickles as its definition, so it
travels to other processes (Dask workers), where each process loads it once::

    import vessamund
    policy = vessamund.Policy("/var/lib/vessamund", dictionaries=["PII"], groups=["Compliance"])
    result = policy.scan_message(open("message.eml", "rb").read(), "message.eml")
    for r in result.results:
        print(r.scanner, r.score, r.reached)
"""
import threading

from ._native import (Finding, MessageError, MessageResult, Part, Policy, PolicyError,
                      PolicyWarning, ScannerResult, Skipped)

__all__ = ["Finding", "MessageError", "MessageResult", "Part", "Policy", "PolicyError",
           "PolicyWarning", "ScannerResult", "Skipped"]

# Policies this process has loaded from pickles, by definition: a Dask worker
# receives the same policy with every task and loads it once.
_loaded = {}
_loaded_lock = threading.Lock()


def _policy_from_definition(definition):
    with _loaded_lock:
        policy = _loaded.get(definition)
        if policy is None:
            policy = Policy._from_definition(definition)
            _loaded[definition] = policy
        return policy


def _reduce_policy(policy):
    return (_policy_from_definition, (policy.definition,))


Policy.__reduce__ = _reduce_policy
