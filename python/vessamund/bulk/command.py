"""The vmund-bulk command line."""
import argparse
import json
import os
import sys
import tempfile
from typing import List, Optional

EPILOG_SCAN = """\
Results hold metadata of sensitive mail (file names, sender and recipient
domains, scores, masked findings): keep them where the mail itself may be.
Exit status, as `vmund scan`: 0 nothing reached its threshold, 1 something
did, 2 an input or a task failed (--resume retries failed tasks), 3 nothing
reached and nothing failed, but a message was not scanned in full (its time
budget ran out, or an attachment part could not be read).
"""


def _parser() -> argparse.ArgumentParser:
    p = argparse.ArgumentParser(
        prog="vmund-bulk",
        description="Scan whole mail archives on a Dask cluster, and report on the results.")
    sub = p.add_subparsers(dest="command", required=True, metavar="COMMAND")

    s = sub.add_parser("scan", help="scan Maildir folders, .eml files and mbox files",
                       description="Scan every message under ARCHIVE... with the given "
                       "dictionaries, groups and templates; write JSON lines, one per message, "
                       "to --out and a summary to OUT.summary.json.",
                       epilog=EPILOG_SCAN, formatter_class=argparse.RawDescriptionHelpFormatter)
    s.add_argument("archives", nargs="+", metavar="ARCHIVE",
                   help="Maildir or other folder (read recursively), .eml or mbox file")
    s.add_argument("--out", required=True, metavar="RESULTS", help="results file (JSON lines)")
    s.add_argument("--db-dir", help="folder of fe_content.db (default: $VMUND_DB_DIR or "
                   "/var/lib/vessamund); every worker must see the same folder")
    s.add_argument("-d", "--dictionary", action="append", default=[], metavar="NAME")
    s.add_argument("-g", "--group", action="append", default=[], metavar="NAME")
    s.add_argument("-t", "--template", action="append", default=[], metavar="NUMBER:NAME")
    s.add_argument("--templates", metavar="DIR", help="folder of the template files")
    s.add_argument("--threshold", type=int, default=100, help="score that counts as reached (100)")
    s.add_argument("--timeout", type=float, default=10,
                   help="seconds each message may take, 0 for no limit (10)")
    s.add_argument("--max-size", type=float, default=64, metavar="MB",
                   help="refuse single files larger than this (64); mbox files are split instead")
    s.add_argument("--chunk-size", type=float, default=8, metavar="MB",
                   help="mbox files larger than this are split into ranges of about this size (8)")
    s.add_argument("--batch-size", type=float, default=2, metavar="MB",
                   help="inputs handed to a worker at a time, in MB of mail (2)")
    s.add_argument("--scheduler", metavar="ADDRESS",
                   help="a running cluster's scheduler, tcp://HOST:8786 or tls://HOST:8786 "
                   "(default: a local cluster, scheduler on 127.0.0.1)")
    s.add_argument("--workers", type=int, metavar="N",
                   help="worker processes of the local cluster (default: one per core)")
    s.add_argument("--tls-ca-file", help="CA certificate that signed the cluster's certificates")
    s.add_argument("--tls-cert", help="this client's certificate (PEM)")
    s.add_argument("--tls-key", help="this client's private key (PEM)")
    s.add_argument("--resume", action="store_true",
                   help="continue RESULTS: skip the tasks it holds, retry the rest")
    s.add_argument("--progress", choices=["auto", "yes", "no"], default="auto",
                   help="progress bar on standard error (auto: when it is a terminal)")

    r = sub.add_parser("report", help="write an HTML report of a results file",
                       description="Write one self-contained HTML file (no network needed to "
                       "view it): totals, matches per kind and per month, top sender and "
                       "recipient domains, the highest-scoring messages with masked findings.")
    r.add_argument("results", metavar="RESULTS")
    r.add_argument("-o", "--output", required=True, metavar="HTML")
    r.add_argument("--top", type=int, default=25, help="messages and domains listed (25)")
    return p


def _scan(a: argparse.Namespace) -> int:
    import vessamund
    from .results import ResultsError
    from .run import connect, run_scan
    security = None
    if a.tls_ca_file or a.tls_cert or a.tls_key:
        if not (a.tls_ca_file and a.tls_cert and a.tls_key):
            sys.stderr.write("vmund-bulk scan: TLS needs --tls-ca-file, --tls-cert and --tls-key\n")
            return 2
        from distributed.security import Security
        security = Security(tls_ca_file=a.tls_ca_file, tls_client_cert=a.tls_cert,
                            tls_client_key=a.tls_key, require_encryption=True)
    try:
        # Workers may run in another folder: the policy names folders in full.
        policy = vessamund.Policy(a.db_dir and os.path.abspath(a.db_dir), a.dictionary, a.group, a.template,
                                  template_dir=a.templates and os.path.abspath(a.templates), threshold=a.threshold,
                                  timeout=a.timeout)
    except (vessamund.PolicyError, ValueError) as e:
        sys.stderr.write("vmund-bulk scan: %s\n" % e)
        return 2
    progress = sys.stderr.isatty() if a.progress == "auto" else a.progress == "yes"
    client = None
    # The local workers' scratch space is this run's own.
    scratch = tempfile.TemporaryDirectory(prefix="vmund-bulk-")
    try:
        client = connect(a.scheduler, a.workers, security, scratch.name)
        summary = run_scan(client, policy, a.archives, a.out, int(a.chunk_size * (1 << 20)),
                           a.resume, progress, int(a.max_size * (1 << 20)),
                           int(a.batch_size * (1 << 20)))
    except (ResultsError, OSError, RuntimeError) as e:
        sys.stderr.write("vmund-bulk scan: %s\n" % e)
        return 2
    finally:
        if client is not None:
            client.close()
            if client.cluster is not None:
                client.cluster.close()
        scratch.cleanup()
    json.dump(summary, sys.stdout, indent=2)
    sys.stdout.write("\n")
    if summary["errors"] or summary["failed_tasks"]:
        return 2
    if any(s["reached"] for s in summary["scanners"].values()):
        return 1
    return 3 if summary["incomplete"] else 0


def _report(a: argparse.Namespace) -> int:
    from .report import write_report
    try:
        write_report(a.results, a.output, a.top)
    except OSError as e:
        sys.stderr.write("vmund-bulk report: %s: %s\n" % (e.filename, e.strerror))
        return 2
    except (ValueError, KeyError) as e:
        sys.stderr.write("vmund-bulk report: %s: not a vmund-bulk results file (%s)\n"
                         % (a.results, e))
        return 2
    return 0


def main(argv: Optional[List[str]] = None) -> int:
    a = _parser().parse_args(argv)
    return _scan(a) if a.command == "scan" else _report(a)
