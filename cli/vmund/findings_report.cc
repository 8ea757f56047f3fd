// The findings view of `vmund scan` (findings_report.h).
#include "vmund/findings_report.h"

#include <utility>
#include <vector>

#include "host/message_area.h"

namespace vmund {
namespace {

std::string valueOf(MessageFinding const& f, bool showValues) {
  return showValues ? f.value : shownValue(f);
}

// A value shown on one line: line ends and tabs as escapes.
std::string oneLine(std::string const& s) {
  std::string out;
  for (char c : s) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

std::string matchedKinds(ScanResult const& result) {
  std::vector<std::pair<std::string, size_t>> counts;
  for (MessageFinding const& f : result.findings) {
    size_t i = 0;
    while (i < counts.size() && counts[i].first != f.kind) ++i;
    if (i == counts.size()) counts.push_back({f.kind, 0});
    ++counts[i].second;
  }
  std::string out;
  for (auto const& c : counts) {
    if (!out.empty()) out += ", ";
    out += c.first + "=" + std::to_string(c.second);
  }
  if (result.findingsDropped != 0) {
    out += (out.empty() ? "" : ", ") + std::to_string(result.findingsDropped) + " more";
  }
  return out;
}

void printFindingsText(ScanResult const& result, bool showValues, std::ostream& out) {
  for (MessageFinding const& f : result.findings) {
    out << "        " << oneLine(f.kind) << "  " << partKindName(f.partKind);
    if (f.label != partKindName(f.partKind)) out << " " << oneLine(f.label);
    out << "  line " << f.line << ", column " << f.column << "  "
        << oneLine(valueOf(f, showValues)) << "\n";
  }
  if (result.findingsDropped != 0)
    out << "        (" << result.findingsDropped << " more matches counted, not listed)\n";
}

nlohmann::json findingsJson(ScanResult const& result, bool showValues) {
  nlohmann::json list = nlohmann::json::array();
  for (MessageFinding const& f : result.findings) {
    list.push_back({{"dictionary", f.dictionary},
                    {"item", f.item},
                    {"kind", f.kind},
                    {"pattern_type", f.patternType},
                    {"part", f.part},
                    {"area", partKindName(f.partKind)},
                    {"label", f.label},
                    {"line", f.line},
                    {"column", f.column},
                    {"offset", f.offset},
                    {"length", f.length},
                    {"code_point_offset", f.codePointOffset},
                    {"code_point_length", f.codePointLength},
                    {"value", valueOf(f, showValues)},
                    {"masked", !showValues && f.sensitive()}});
  }
  return list;
}

}  // namespace vmund
