// From a scan's findings to findings a person can read (message_findings.h).
#include "host/message_findings.h"

#include <string.h>

#include <algorithm>

#include "host/value_mask.h"

namespace vmund {
namespace {

bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

uint32_t codePoints(std::string const& text, size_t from, size_t length) {
  uint32_t n = 0;
  for (size_t i = from; i < from + length && i < text.size(); ++i) n += !isContinuation(text[i]);
  return n;
}

// Walks a part's text forward, keeping the code point, line and column of
// the byte it has reached.
class TextPosition {
 public:
  explicit TextPosition(std::string const& text) : text_(&text) {}

  void seek(size_t offset) {
    if (offset > text_->size()) offset = text_->size();
    if (offset <= byte_) return;
    char const* const t = text_->data();
    // Plain counting loops, which the compiler turns into vector code: a
    // part can be megabytes long.
    uint32_t points = 0, lines = 0;
    for (size_t i = byte_; i < offset; ++i) {
      points += (static_cast<unsigned char>(t[i]) & 0xC0) != 0x80;
      lines += t[i] == '\n';
    }
    codePoint_ += points;
    if (lines == 0) {
      column_ += points;
    } else {
      line_ += lines;
      auto const* nl =
          static_cast<char const*>(memrchr(t + byte_, '\n', offset - byte_));
      column_ = 1 + codePoints(*text_, static_cast<size_t>(nl + 1 - t), offset - (nl + 1 - t));
    }
    byte_ = offset;
  }
  uint32_t codePoint() const { return codePoint_; }
  uint32_t line() const { return line_; }
  uint32_t column() const { return column_; }

 private:
  std::string const* text_;
  size_t byte_ = 0;
  uint32_t codePoint_ = 0;
  uint32_t line_ = 1;
  uint32_t column_ = 1;
};

std::string kindOf(Vessamund::Finding const& f) {
  if (f.kind != nullptr) return f.kind;
  if (f.patternType == 2 || f.patternType == 3) return f.pattern;
  return "expression " + std::to_string(f.item + 1);
}

}  // namespace

void describeFindings(Vessamund::FindingList const& list, MessageArea const& area,
                      std::vector<MessageFinding>& out, bool positions) {
  size_t const first = out.size();
  for (Vessamund::Finding const& f : list) {
    if (f.part >= area.partCount()) continue;  // not this area's finding
    std::string const& text = area.text(f.part);
    MessageFinding m;
    m.dictionary = f.dictionary;
    m.item = f.item;
    m.patternType = f.patternType;
    m.kind = kindOf(f);
    m.part = f.part;
    m.partKind = area.kind(f.part);
    m.label = area.label(f.part);
    m.offset = f.offset;
    m.length = f.length;
    m.codePointLength = codePoints(text, f.offset, f.length);
    m.value = text.substr(f.offset < text.size() ? f.offset : text.size(), f.length);
    out.push_back(std::move(m));
  }
  if (!positions) return;
  // Positions in one walk over each part, findings taken in text order
  // (the list gives them item by item, each item from the part's start).
  std::vector<size_t> order;
  for (size_t i = first; i < out.size(); ++i) order.push_back(i);
  std::sort(order.begin(), order.end(), [&out](size_t a, size_t b) {
    return out[a].part != out[b].part ? out[a].part < out[b].part
                                      : out[a].offset < out[b].offset;
  });
  for (size_t i = 0; i < order.size();) {
    uint32_t const part = out[order[i]].part;
    TextPosition at(area.text(part));
    for (; i < order.size() && out[order[i]].part == part; ++i) {
      MessageFinding& m = out[order[i]];
      at.seek(m.offset);
      m.codePointOffset = at.codePoint();
      m.line = at.line();
      m.column = at.column();
    }
  }
}

unsigned long scanMessage(Vessamund::DictionaryScannerImpl& scanner, MessageArea& area,
                          unsigned long budget, Vessamund::ProgressCb* progress,
                          std::string& matchLog, std::string& scoreList,
                          std::vector<MessageFinding>* findings, unsigned long* dropped,
                          bool positions) {
  if (findings == nullptr) return scanner.scan(&area, budget, progress, matchLog, scoreList);
  thread_local Vessamund::FindingList list;
  list.clear();
  unsigned long score;
  {
    Vessamund::FindingScope asking(list);
    score = scanner.scan(&area, budget, progress, matchLog, scoreList);
  }
  describeFindings(list, area, *findings, positions);
  if (dropped != nullptr) *dropped += list.dropped();
  return score;
}

std::string shownValue(MessageFinding const& f) {
  return f.sensitive() ? maskValue(f.value, f.patternType) : f.value;
}

}  // namespace vmund
