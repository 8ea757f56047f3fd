// The result classes of the Python module; see result_objects.h.
#include "python/native/result_objects.h"

#include <pybind11/stl.h>

#include "host/message_area.h"

namespace py = pybind11;

namespace vmund {
namespace python {
namespace {

struct Part {
  int kind;
  std::string area;
  std::string label;
  uint64_t bytes;
};

struct ScannerResult {
  std::string scanner;
  std::string source;
  unsigned long threshold;
  unsigned long score;
  bool reached;
  std::string scoreRecord;
  std::string matchRecord;
  py::object findings;
  unsigned long findingsDropped;
};

struct MessageResult {
  std::string id;
  size_t offset;
  std::vector<Part> parts;
  std::vector<SkippedInfo> skipped;
  bool timedOut;
  std::vector<ScannerResult> results;
  std::string headers;
  std::string messageId, from, subject;
  bool notMail;
};

// The object `vmund scan --json` writes for a finding.
py::dict findingDict(FindingRecord const& r) {
  MessageFinding const& f = r.finding;
  py::dict d;
  d["dictionary"] = f.dictionary;
  d["item"] = f.item;
  d["kind"] = f.kind;
  d["pattern_type"] = f.patternType;
  d["part"] = f.part;
  d["area"] = partKindName(f.partKind);
  d["label"] = f.label;
  d["line"] = f.line;
  d["column"] = f.column;
  d["offset"] = f.offset;
  d["length"] = f.length;
  d["code_point_offset"] = f.codePointOffset;
  d["code_point_length"] = f.codePointLength;
  d["value"] = r.shown;
  d["masked"] = f.sensitive();
  return d;
}

// The object `vmund scan --json` writes for this message, without "file".
py::dict toDict(MessageResult const& m) {
  py::dict d;
  d["message"] = m.id;
  py::list parts;
  for (Part const& p : m.parts) {
    py::dict pd;
    pd["kind"] = p.kind;
    pd["area"] = p.area;
    pd["label"] = p.label;
    pd["bytes"] = p.bytes;
    parts.append(pd);
  }
  d["parts"] = parts;
  py::list skipped;
  for (SkippedInfo const& s : m.skipped) {
    py::dict sd;
    sd["label"] = s.label;
    sd["type"] = s.mimeType;
    sd["reason"] = s.reason;
    sd["unscannable"] = s.unscannable;
    skipped.append(sd);
  }
  d["skipped"] = skipped;
  d["timed_out"] = m.timedOut;
  d["message_id"] = m.messageId;
  d["from"] = m.from;
  d["subject"] = m.subject;
  d["not_mail"] = m.notMail;
  py::list results;
  for (ScannerResult const& r : m.results) {
    py::dict rd;
    rd["scanner"] = r.scanner;
    rd["source"] = r.source;
    rd["threshold"] = r.threshold;
    rd["score"] = r.score;
    rd["reached"] = r.reached;
    rd["score_record"] = r.scoreRecord;
    rd["match_record"] = r.matchRecord;
    py::list found;
    for (py::handle f : r.findings) found.append(findingDict(f.cast<FindingRecord const&>()));
    rd["findings"] = found;
    results.append(rd);
  }
  d["results"] = results;
  return d;
}

}  // namespace

py::object findingsToPython(ScannerOutcome const& outcome) {
  py::list out;
  for (FindingRecord const& f : outcome.findings)
    out.append(py::cast(f));
  return out;
}

py::object toPython(MessageOutcome outcome, PolicyDefinition const& definition) {
  MessageResult m;
  m.id = std::move(outcome.id);
  m.offset = outcome.offset;
  for (PartInfo& p : outcome.parts)
    m.parts.push_back({p.kind, partKindName(p.kind), std::move(p.label), p.bytes});
  m.skipped = std::move(outcome.skipped);
  m.timedOut = outcome.timedOut;
  for (size_t i = 0; i < outcome.results.size(); ++i) {
    ScannerOutcome& r = outcome.results[i];
    ScannerRequest const& request = definition.scanners[i];
    m.results.push_back({request.name, sourceName(request), definition.threshold, r.score,
                         r.reached, std::move(r.scoreRecord), std::move(r.matchRecord),
                         findingsToPython(r), r.findingsDropped});
  }
  m.headers = std::move(outcome.headers);
  m.messageId = std::move(outcome.messageId);
  m.from = std::move(outcome.from);
  m.subject = std::move(outcome.subject);
  m.notMail = outcome.notMail;
  return py::cast(std::move(m));
}

void bindResultObjects(py::module_& m) {
  py::class_<Part>(m, "Part", "One scanned part of a message.")
      .def_readonly("kind", &Part::kind, "1 body, 2 attachment, 4 header block, 8 HTML twin.")
      .def_readonly("area", &Part::area, "The kind's name: body, attachment, header, ...")
      .def_readonly("label", &Part::label, "A file name or MIME type.")
      .def_readonly("bytes", &Part::bytes, "Length of the part's UTF-8 text.")
      .def("__repr__", [](Part const& p) {
        return "<Part " + p.area + " " + p.label + " " + std::to_string(p.bytes) + " bytes>";
      });

  py::class_<SkippedInfo>(m, "Skipped", "A part of the message that was not scanned, and why.")
      .def_readonly("label", &SkippedInfo::label, "File name, or container path inside an attachment.")
      .def_readonly("type", &SkippedInfo::mimeType, "Declared MIME type; \"\" inside an attachment.")
      .def_readonly("reason", &SkippedInfo::reason, "Why it was not read; \"\" when not read at all.")
      .def_readonly("unscannable", &SkippedInfo::unscannable, "It may hold text that was not read.")
      .def("__repr__", [](SkippedInfo const& s) {
        return "<Skipped " + s.label + (s.reason.empty() ? "" : ": " + s.reason) + ">";
      });

  py::class_<FindingRecord>(m, "Finding", R"doc(
One match: which item of which dictionary matched (kind: a detector's name,
the word or wildcard, or "expression N"), in which part, where (start and end
count code points of the part's text, as Python strings do; offset and length
count its UTF-8 bytes), and the value, masked unless it is the
administrator's own word or wildcard.)doc")
      .def_property_readonly("dictionary", [](FindingRecord const& r) { return r.finding.dictionary; })
      .def_property_readonly("item", [](FindingRecord const& r) { return r.finding.item; })
      .def_property_readonly("kind", [](FindingRecord const& r) { return r.finding.kind; })
      .def_property_readonly("pattern_type", [](FindingRecord const& r) { return r.finding.patternType; })
      .def_property_readonly("part", [](FindingRecord const& r) { return r.finding.part; })
      .def_property_readonly("area", [](FindingRecord const& r) { return std::string(partKindName(r.finding.partKind)); })
      .def_property_readonly("label", [](FindingRecord const& r) { return r.finding.label; })
      .def_property_readonly("line", [](FindingRecord const& r) { return r.finding.line; })
      .def_property_readonly("column", [](FindingRecord const& r) { return r.finding.column; })
      .def_property_readonly("offset", [](FindingRecord const& r) { return r.finding.offset; })
      .def_property_readonly("length", [](FindingRecord const& r) { return r.finding.length; })
      .def_property_readonly("start", [](FindingRecord const& r) { return r.finding.codePointOffset; })
      .def_property_readonly("end", [](FindingRecord const& r) {
        return r.finding.codePointOffset + r.finding.codePointLength;
      })
      .def_property_readonly("value", [](FindingRecord const& r) { return r.shown; })
      .def_property_readonly("masked", [](FindingRecord const& r) { return r.finding.sensitive(); })
      .def("to_dict", &findingDict, "The object `vmund scan --json` writes for this finding.")
      .def("__repr__", [](FindingRecord const& r) {
        return "<Finding " + r.finding.kind + " " + r.shown + " in " + r.finding.label + ">";
      });

  py::class_<ScannerResult>(m, "ScannerResult", "What one scanner found in one message.")
      .def_readonly("scanner", &ScannerResult::scanner, "The dictionary, group or template name.")
      .def_readonly("source", &ScannerResult::source, "dictionary, group or template NUMBER.")
      .def_readonly("threshold", &ScannerResult::threshold)
      .def_readonly("score", &ScannerResult::score)
      .def_readonly("reached", &ScannerResult::reached, "score >= threshold.")
      .def_readonly("score_record", &ScannerResult::scoreRecord, "The library's score record.")
      .def_readonly("match_record", &ScannerResult::matchRecord, "The library's match record.")
      .def_readonly("findings", &ScannerResult::findings, "What matched and where (Finding).")
      .def_readonly("findings_dropped", &ScannerResult::findingsDropped,
                    "Matches past the capacity of the scan's findings list.")
      .def("__repr__", [](ScannerResult const& r) {
        return "<ScannerResult " + r.source + " " + r.scanner + " score=" +
               std::to_string(r.score) + (r.reached ? " reached>" : ">");
      });

  py::class_<MessageResult>(m, "MessageResult", "Every scanner's result for one message.")
      .def_readonly("id", &MessageResult::id, "NAME, or NAME#N for the N-th message of an mbox.")
      .def_readonly("offset", &MessageResult::offset, "Where the message starts in the input (bytes).")
      .def_readonly("parts", &MessageResult::parts)
      .def_readonly("skipped", &MessageResult::skipped,
                    "The parts not scanned (Skipped), with why.")
      .def_readonly("timed_out", &MessageResult::timedOut,
                    "The time budget cut a scan short: scores are partial.")
      .def_readonly("results", &MessageResult::results, "One per scanner, in the policy's order.")
      .def_readonly("message_id", &MessageResult::messageId, "Message-ID without <>, or \"\".")
      .def_readonly("from_", &MessageResult::from, "From: (decoded, identifiers masked), or \"\".")
      .def_readonly("subject", &MessageResult::subject, "Subject: (decoded, identifiers masked), or \"\".")
      .def_readonly("not_mail", &MessageResult::notMail,
                    "The input was not mail and was scanned whole as one body part.")
      .def_readonly("headers", &MessageResult::headers,
                    "The decoded header block, one \"Name: value\" line per header.")
      .def_property_readonly(
          "reached",
          [](MessageResult const& m) {
            for (ScannerResult const& r : m.results)
              if (r.reached) return true;
            return false;
          },
          "True when any scanner reached the threshold.")
      .def("to_dict", &toDict,
           "The object `vmund scan --json` writes for this message, without \"file\".")
      .def("__repr__", [](MessageResult const& m) {
        std::string s = "<MessageResult " + m.id;
        for (ScannerResult const& r : m.results) s += " " + r.scanner + "=" + std::to_string(r.score);
        return s + ">";
      });
}

}  // namespace python
}  // namespace vmund
