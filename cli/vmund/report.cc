// Text and JSON output of `vmund scan`.
#include "vmund/report.h"

#include <iomanip>
#include <nlohmann/json.hpp>

#include "host/identifier_masking.h"
#include "host/message_area.h"
#include "vmund/findings_report.h"

namespace vmund {

namespace {

// A header value as the report shows it: identifiers masked unless the
// user asked for whole values.
std::string shown(std::string const& value, bool showValues) {
  return showValues ? value : maskIdentifiers(value);
}

// "  Message-ID <a@b>  From x  Subject y", with what the message has.
std::string identity(MessageReport const& m, bool showValues) {
  std::string line;
  if (!m.messageId.empty()) line += "  Message-ID <" + m.messageId + ">";
  if (!m.from.empty()) line += "  From " + shown(m.from, showValues);
  if (!m.subject.empty()) line += "  Subject " + shown(m.subject, showValues);
  return line;
}

}  // namespace

void printText(FileReport const& file, ScanSettings const& settings, bool verbose,
               FindingsView const& view, std::ostream& out, std::ostream& err) {
  if (!file.error.empty()) err << "vmund: " << file.path << ": " << file.error << "\n";
  size_t width = 0;
  for (ScannerRequest const& s : settings.scanners)
    width = std::max(width, describe(s).size());
  for (MessageReport const& m : file.messages) {
    out << m.id << (m.notMail ? "  (not mail: scanned whole as text)" : "")
        << (m.timedOut ? "  (time budget spent: scores are partial)" : "") << "\n";
    std::string const who = identity(m, view.showValues);
    if (!who.empty()) out << who << "\n";
    if (verbose) {
      for (PartSummary const& p : m.parts)
        out << "    part  " << std::left << std::setw(17) << partKindName(p.kind) << p.bytes
            << " bytes  " << p.label << "\n";
      for (SkippedPart const& s : m.skipped) {
        out << "    skipped" << (s.unscannable ? " (unscannable)  " : "  ") << s.label;
        if (!s.mimeType.empty()) out << " (" << s.mimeType << ")";
        if (!s.reason.empty()) out << ": " << s.reason;
        out << "\n";
      }
    }
    for (size_t i = 0; i < m.results.size(); ++i) {
      ScannerRequest const& wanted = settings.scanners[i];
      ScanResult const& r = m.results[i];
      out << "  " << std::left << std::setw(static_cast<int>(width))
          << describe(wanted) << "  score " << std::right << std::setw(5)
          << r.score << " / " << settings.threshold << (r.reached ? "  REACHED" : "") << "\n";
      if (!r.scoreRecord.empty()) out << "      score record  " << r.scoreRecord << "\n";
      std::string const matched = matchedKinds(r);
      if (!matched.empty()) out << "      matched       " << matched << "\n";
      if (view.list) printFindingsText(r, view.showValues, out);
    }
  }
}

void printJson(FileReport const& file, ScanSettings const& settings, FindingsView const& view,
               std::ostream& out, std::ostream& err) {
  using nlohmann::json;
  // Message text is UTF-8 by construction, but file names need not be:
  // replace what is not, rather than fail the whole line.
  auto const dump = [](json const& j) {
    return j.dump(-1, ' ', false, json::error_handler_t::replace);
  };
  if (!file.error.empty()) {
    err << "vmund: " << file.path << ": " << file.error << "\n";
    out << dump(json{{"file", file.path}, {"error", file.error}}) << "\n";
  }
  for (MessageReport const& m : file.messages) {
    json j;
    j["file"] = file.path;
    j["message"] = m.id;
    j["message_id"] = m.messageId;
    j["from"] = shown(m.from, view.showValues);
    j["subject"] = shown(m.subject, view.showValues);
    j["not_mail"] = m.notMail;
    j["parts"] = json::array();
    for (PartSummary const& p : m.parts)
      j["parts"].push_back({{"kind", p.kind},
                            {"area", partKindName(p.kind)},
                            {"label", p.label},
                            {"bytes", p.bytes}});
    j["skipped"] = json::array();
    for (SkippedPart const& s : m.skipped)
      j["skipped"].push_back({{"label", s.label},
                              {"type", s.mimeType},
                              {"reason", s.reason},
                              {"unscannable", s.unscannable}});
    j["timed_out"] = m.timedOut;
    j["results"] = json::array();
    for (size_t i = 0; i < m.results.size(); ++i) {
      ScanResult const& r = m.results[i];
      j["results"].push_back({{"scanner", settings.scanners[i].name},
                              {"source", sourceName(settings.scanners[i])},
                              {"threshold", settings.threshold},
                              {"score", r.score},
                              {"reached", r.reached},
                              {"score_record", r.scoreRecord},
                              {"match_record", r.matchRecord}});
      if (view.list) j["results"].back()["findings"] = findingsJson(r, view.showValues);
    }
    out << dump(j) << "\n";
  }
}

}  // namespace vmund
