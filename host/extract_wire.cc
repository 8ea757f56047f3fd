// Writing and reading the helper's result stream.
#include "host/extract_wire.h"

#include <cstdlib>

#include "host/utf8_text.h"

namespace vmund {

std::string wireText(std::string const& label, std::string const& text) {
  return "text " + std::to_string(label.size()) + " " + std::to_string(text.size()) + "\n" +
         label + text;
}

std::string wireSkip(std::string const& label, std::string const& reason, bool unscannable) {
  return std::string("skip ") + (unscannable ? "1 " : "0 ") + std::to_string(label.size()) + " " +
         std::to_string(reason.size()) + "\n" + label + reason;
}

std::string wireUsed(uint64_t entries, uint64_t bytes) {
  return "used " + std::to_string(entries) + " " + std::to_string(bytes) + "\n";
}

std::string wireEnd() { return "end\n"; }

namespace {

// Reads a decimal number and the blank or line end after it.
bool number(std::string_view& s, uint64_t& n) {
  size_t i = 0;
  n = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9' && i < 19) n = n * 10 + (s[i++] - '0');
  if (i == 0 || i >= s.size() || (s[i] != ' ' && s[i] != '\n')) return false;
  s.remove_prefix(i + 1);
  return true;
}

}  // namespace

WireSummary readWire(std::string_view s, ExtractSink& sink) {
  WireSummary out;
  while (!s.empty()) {
    if (out.ended) {
      out.error = "data after the end mark";
      return out;
    }
    std::string_view rest = s;
    if (rest.substr(0, 4) == "end\n") {
      out.ended = true;
      s.remove_prefix(4);
      continue;
    }
    uint64_t a = 0, b = 0, flag = 0;
    bool isText = rest.substr(0, 5) == "text ";
    bool isSkip = rest.substr(0, 5) == "skip ";
    bool isUsed = rest.substr(0, 5) == "used ";
    rest.remove_prefix(rest.size() < 5 ? rest.size() : 5);
    if (isUsed) {
      if (!number(rest, a) || !number(rest, b)) break;
      out.entries = a;
      out.bytes = b;
      s = rest;
      continue;
    }
    if (!isText && !isSkip) {
      out.error = "unknown record";
      return out;
    }
    if (isSkip && !number(rest, flag)) break;
    if (!number(rest, a) || !number(rest, b)) break;
    if (a > rest.size() || b > rest.size() - a) break;  // cut short: the helper stopped
    std::string label = validUtf8(std::string(rest.substr(0, a)));
    std::string body(rest.substr(a, b));
    if (isText)
      sink.text(label, validUtf8(std::move(body)));
    else
      sink.skipped(label, validUtf8(std::move(body)), flag != 0);
    rest.remove_prefix(a + b);
    s = rest;
  }
  if (!s.empty() && out.error.empty()) out.error = "stream cut short";
  return out;
}

}  // namespace vmund
