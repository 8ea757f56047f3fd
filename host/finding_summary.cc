// The one-line summary of a message's findings (finding_summary.h).
#include "host/finding_summary.h"

#include <utility>

namespace vmund {
namespace {

std::string printable(std::string const& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    unsigned char const c = static_cast<unsigned char>(s[i]);
    if (c >= 0x80) {
      // One '?' per code point, not per byte.
      if ((c & 0xC0) != 0x80) out += '?';
    } else if (c == ';' || c == '=') {
      out += '_';
    } else {
      out += c < 0x20 || c == 0x7F ? '?' : static_cast<char>(c);
    }
  }
  return out;
}

std::string whereOf(MessageFinding const& f) {
  return (f.partKind & 15) == kAttachment ? f.label : partKindName(f.partKind);
}

}  // namespace

std::string summarizeFindings(std::vector<MessageFinding> const& findings, size_t maxLength) {
  // (kind, where) in the order first met, and how often each occurs.
  std::vector<std::pair<std::string, std::string>> keys;
  std::vector<size_t> counts;
  for (MessageFinding const& f : findings) {
    std::pair<std::string, std::string> key{printable(f.kind), printable(whereOf(f))};
    size_t i = 0;
    while (i < keys.size() && keys[i] != key) ++i;
    if (i == keys.size()) {
      keys.push_back(key);
      counts.push_back(0);
    }
    ++counts[i];
  }
  std::string out;
  for (size_t i = 0; i < keys.size(); ++i) {
    if (!out.empty()) out += "; ";
    out += keys[i].first + "=" + std::to_string(counts[i]) + " in " + keys[i].second;
  }
  if (out.size() > maxLength) {
    out.resize(maxLength > 3 ? maxLength - 3 : 0);
    out += "...";
  }
  return out;
}

}  // namespace vmund
