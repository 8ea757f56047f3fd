// From a scan's findings to findings a person can read (message_findings.h).
#include "host/message_findings.h"

#include <unordered_map>

#include "host/value_mask.h"

namespace vmund {
namespace {

bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Where a byte offset of a part's text lies in code points, lines and
// columns. Walks forward from the last answer when asked in order, as
// findings of one item are.
class TextPosition {
 public:
  explicit TextPosition(std::string const& text) : text_(text) {}

  void seek(size_t offset) {
    if (offset < byte_) *this = TextPosition(text_);
    for (; byte_ < offset && byte_ < text_.size(); ++byte_) {
      char const c = text_[byte_];
      if (isContinuation(c)) continue;
      ++codePoint_;
      if (c == '\n') {
        ++line_;
        column_ = 1;
      } else {
        ++column_;
      }
    }
  }
  uint32_t codePoint() const { return codePoint_; }
  uint32_t line() const { return line_; }
  uint32_t column() const { return column_; }

  TextPosition& operator=(TextPosition const& o) {
    byte_ = o.byte_;
    codePoint_ = o.codePoint_;
    line_ = o.line_;
    column_ = o.column_;
    return *this;
  }

 private:
  std::string const& text_;
  size_t byte_ = 0;
  uint32_t codePoint_ = 0;
  uint32_t line_ = 1;
  uint32_t column_ = 1;
};

uint32_t codePoints(std::string const& text, size_t from, size_t length) {
  uint32_t n = 0;
  for (size_t i = from; i < from + length && i < text.size(); ++i) n += !isContinuation(text[i]);
  return n;
}

std::string kindOf(Vessamund::Finding const& f) {
  if (f.kind != nullptr) return f.kind;
  if (f.patternType == 2 || f.patternType == 3) return f.pattern;
  return "expression " + std::to_string(f.item + 1);
}

}  // namespace

void describeFindings(Vessamund::FindingList const& list, MessageArea const& area,
                      std::vector<MessageFinding>& out) {
  std::unordered_map<uint32_t, TextPosition> positions;
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
    TextPosition& at = positions.emplace(f.part, TextPosition(text)).first->second;
    at.seek(f.offset);
    m.codePointOffset = at.codePoint();
    m.line = at.line();
    m.column = at.column();
    m.codePointLength = codePoints(text, f.offset, f.length);
    m.value = text.substr(f.offset < text.size() ? f.offset : text.size(), f.length);
    out.push_back(std::move(m));
  }
}

unsigned long scanMessage(Vessamund::DictionaryScannerImpl& scanner, MessageArea& area,
                          unsigned long budget, Vessamund::ProgressCb* progress,
                          std::string& matchLog, std::string& scoreList,
                          std::vector<MessageFinding>* findings, unsigned long* dropped) {
  if (findings == nullptr) return scanner.scan(&area, budget, progress, matchLog, scoreList);
  thread_local Vessamund::FindingList list;
  list.clear();
  unsigned long score;
  {
    Vessamund::FindingScope asking(list);
    score = scanner.scan(&area, budget, progress, matchLog, scoreList);
  }
  describeFindings(list, area, *findings);
  if (dropped != nullptr) *dropped += list.dropped();
  return score;
}

std::string shownValue(MessageFinding const& f) {
  return f.sensitive() ? maskValue(f.value, f.patternType) : f.value;
}

}  // namespace vmund
