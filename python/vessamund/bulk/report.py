"""vmund-bulk report: one self-contained HTML file (inline CSS and SVG, no
scripts, nothing fetched) from a results file. It shows masked findings and
counts only: no message text, no addresses, no match records."""
import html
import json
from collections import Counter
from typing import Any, Dict, Iterable, List, Sequence, Tuple

from .results import read_records, summarize

_CSS = """
body{font:14px/1.4 system-ui,sans-serif;margin:2em auto;max-width:70em;color:#222}
h1{font-size:1.6em}h2{font-size:1.2em;margin-top:2em;border-bottom:1px solid #ccc}
table{border-collapse:collapse;margin:.5em 0}td,th{padding:.2em .8em;text-align:left;
border-bottom:1px solid #eee}th{background:#f4f4f4}td.n{text-align:right}
.totals td{font-size:1.3em}.note{color:#666}svg text{font:12px system-ui,sans-serif}
"""


def _e(value: Any) -> str:
    return html.escape(str(value), quote=True)


def bar_chart(rows: Sequence[Tuple[str, int]], title: str) -> str:
    """A horizontal bar chart as inline SVG."""
    if not rows:
        return '<p class="note">Nothing to show.</p>'
    top = max(v for _, v in rows) or 1
    label_w, bar_w, row_h = 200, 400, 20
    parts = ['<svg role="img" aria-label="%s" width="%d" height="%d">'
             % (_e(title), label_w + bar_w + 80, row_h * len(rows) + 4)]
    for i, (label, value) in enumerate(rows):
        y = i * row_h + 2
        w = max(1, round(bar_w * value / top)) if value else 0
        parts.append('<text x="%d" y="%d" text-anchor="end">%s</text>'
                     % (label_w - 6, y + 14, _e(label[:32])))
        parts.append('<rect x="%d" y="%d" width="%d" height="%d" fill="#4a7bb7"/>'
                     % (label_w, y + 2, w, row_h - 6))
        parts.append('<text x="%d" y="%d">%d</text>' % (label_w + w + 6, y + 14, value))
    parts.append("</svg>")
    return "".join(parts)


def _table(headers: Sequence[str], rows: Iterable[Sequence[Any]], numeric: Sequence[int] = ()) -> str:
    out = ["<table><tr>%s</tr>" % "".join("<th>%s</th>" % _e(h) for h in headers)]
    for row in rows:
        out.append("<tr>%s</tr>" % "".join(
            '<td%s>%s</td>' % (' class="n"' if i in numeric else "", _e(v))
            for i, v in enumerate(row)))
    out.append("</table>")
    return "".join(out)


def _matched(rec: Dict[str, Any]) -> bool:
    return any(r["score"] > 0 for r in rec["results"])


def build_report(path: str, top: int = 25) -> str:
    """The report's HTML for the results file `path`."""
    summary = summarize(path)
    kinds: Counter = Counter()
    months_all: Counter = Counter()
    months_hit: Counter = Counter()
    senders: Counter = Counter()
    rcpts: Counter = Counter()
    best: List[Tuple[int, str, Dict[str, Any]]] = []
    errors: List[Tuple[str, str]] = []
    per_scanner: Counter = Counter()
    for rec in read_records(path):
        if "error" in rec:
            errors.append((rec["file"], rec["error"]))
            continue
        month = rec.get("month") or "no date"
        months_all[month] += 1
        if not _matched(rec):
            continue
        months_hit[month] += 1
        for r in rec["results"]:
            per_scanner["%s %s" % (r["source"], r["scanner"])] += r["score"] > 0
        if rec.get("from_domain"):
            senders[rec["from_domain"]] += 1
        for d in rec.get("to_domains", []):
            rcpts[d] += 1
        for r in rec["results"]:
            for f in r.get("findings") or []:
                kinds[f["kind"]] += 1
        score = max(r["score"] for r in rec["results"])
        best.append((score, rec["message"], rec))
    best.sort(key=lambda t: (-t[0], t[1]))

    h = ['<!DOCTYPE html><html lang="en"><head><meta charset="utf-8">',
         '<meta http-equiv="Content-Security-Policy" content="default-src \'none\'; '
         'style-src \'unsafe-inline\'">',
         "<title>Vessamund bulk scan report</title><style>%s</style></head><body>" % _CSS,
         "<h1>Vessamund bulk scan report</h1>",
         '<p class="note">%s. This report holds metadata of sensitive mail: keep it where the '
         "mail may be kept.</p>" % _e(path)]
    h.append("<h2>Totals</h2>")
    h.append('<table class="totals"><tr><th>files</th><th>messages</th><th>with matches</th>'
             '<th>input errors</th><th>time budget spent</th></tr><tr>'
             '<td class="n" id="total-files">%d</td><td class="n" id="total-messages">%d</td>'
             '<td class="n" id="total-matched">%d</td><td class="n" id="total-errors">%d</td>'
             '<td class="n">%d</td></tr></table>'
             % (summary["files"], summary["messages"], sum(months_hit.values()),
                summary["errors"], summary["timed_out"]))
    h.append(_table(["scanner", "messages with matches", "messages that reached the threshold",
                     "highest score"],
                    [(name, per_scanner[name], s["reached"], s["max_score"])
                     for name, s in summary["scanners"].items()], numeric=(1, 2, 3)))

    h.append("<h2>Matches per kind</h2>")
    if summary["findings_reported"]:
        h.append(bar_chart(kinds.most_common(), "findings per kind"))
    else:
        h.append('<p class="note">These results hold no findings (the library that scanned '
                 "them reports scores and records only), so matches cannot be told apart by "
                 "kind. Messages with matches per scanner:</p>")
        h.append(bar_chart([(n, per_scanner[n]) for n in summary["scanners"]],
                           "messages with matches per scanner"))

    h.append("<h2>Messages with matches per month</h2>")
    months = sorted(months_all)
    h.append(bar_chart([(m, months_hit[m]) for m in months], "messages with matches per month"))
    h.append(_table(["month", "messages", "with matches"],
                    [(m, months_all[m], months_hit[m]) for m in months], numeric=(1, 2)))

    h.append("<h2>Top domains of messages with matches</h2><h3>Senders</h3>")
    h.append(bar_chart(senders.most_common(top), "top sender domains"))
    h.append("<h3>Recipients</h3>")
    h.append(bar_chart(rcpts.most_common(top), "top recipient domains"))

    h.append("<h2>Highest-scoring messages</h2>")
    rows = []
    for score, message, rec in best[:top]:
        scores = ", ".join("%s %d%s" % (r["scanner"], r["score"], " (reached)" if r["reached"] else "")
                           for r in rec["results"])
        found = "; ".join("%s %s in %s" % (f["kind"], f["value"], f["label"])
                          for r in rec["results"] for f in (r.get("findings") or []))
        rows.append((score, message, rec.get("month") or "", scores,
                     found or ("none reported" if not summary["findings_reported"] else "")))
    h.append(_table(["score", "message", "month", "scores", "findings (masked)"], rows,
                    numeric=(0,)))
    if errors:
        h.append("<h2>Inputs that could not be read</h2>")
        h.append(_table(["file", "problem"], errors[:top]))
        if len(errors) > top:
            h.append('<p class="note">and %d more.</p>' % (len(errors) - top))
    h.append('<script type="application/json" id="summary">%s</script>'
             % json.dumps(summary).replace("</", "<\\/"))
    h.append("</body></html>")
    return "\n".join(h)


def write_report(results: str, output: str, top: int = 25) -> None:
    text = build_report(results, top)
    with open(output, "w", encoding="utf-8") as f:
        f.write(text)
