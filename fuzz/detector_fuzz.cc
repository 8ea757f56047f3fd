// The eighteen identifier detectors, each with its validator, on any text.
// Every reported match must lie inside a part; with no cap the score must be
// the weight times the reports; and asking for fewer matches must count the
// first of them, no more and no fewer (a budget of m weights scores
// min(m, all) weights).
//
// Input: first byte = detector (value % 19; 18 runs all of them) and, in its
// top bit, the part flag that forbids line breaks inside numbers; the rest is
// parts separated by 0xFF bytes, of kinds 1 and 2 in turn.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "support/test_area.h"
#include "vessamund/factory.h"

namespace {

constexpr uint16_t kFirstDetector = 256;
constexpr int kDetectors = 18;
constexpr uint16_t kNoLineBreakFlag = 16;

[[noreturn]] void fail(uint16_t code, char const* what) {
  std::fprintf(stderr, "detector %u: %s\n", code, what);
  __builtin_trap();
}

struct Part {
  char const* begin;
  char const* end;
};

class BoundsLogger : public Vessamund::DictionaryMatchLogger {
 public:
  BoundsLogger(uint16_t code, std::vector<Part> const& parts) : code_(code), parts_(parts) {}
  void log(char const* pattern, char const* match, unsigned int length) override {
    if (pattern == nullptr || *pattern == '\0') fail(code_, "report without an identifier");
    bool inside = false;
    for (Part const& p : parts_)
      inside = inside || (match >= p.begin && length <= static_cast<size_t>(p.end - match) &&
                          length > 0);
    if (!inside) fail(code_, "reported match outside every part");
    ++reports;
  }
  unsigned long reports = 0;

 private:
  uint16_t code_;
  std::vector<Part> const& parts_;
};

struct Detectors {
  Vessamund::Ref<Vessamund::DictionaryItemImpl> items[kDetectors];
  Detectors() {
    for (int i = 0; i < kDetectors; ++i) {
      auto record = vmund_test::makeRecord(static_cast<uint16_t>(kFirstDetector + i), "", 1, 31);
      items[i] = Vessamund::DictionaryFactory::instance()->createScanner(&record);
      if (items[i].empty()) fail(static_cast<uint16_t>(kFirstDetector + i), "not made");
    }
  }
};

void check(Vessamund::DictionaryItemImpl& item, uint16_t code, vmund_test::TestArea& area,
           std::vector<Part> const& parts) {
  BoundsLogger all(code, parts);
  unsigned long const score = item.scan(&area, ULONG_MAX, all);
  if (score != all.reports) fail(code, "score is not one weight per report");
  for (unsigned long wanted = 1; wanted <= 2; ++wanted) {
    BoundsLogger some(code, parts);
    unsigned long const got = item.scan(&area, wanted, some);
    if (got != (score < wanted ? score : wanted) || some.reports != got)
      fail(code, "a smaller budget does not count the first matches");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  static Detectors detectors;
  if (size < 1) return 0;
  int const pick = data[0] % (kDetectors + 1);
  uint16_t const extra = (data[0] & 0x80) ? kNoLineBreakFlag : 0;
  std::string const rest(reinterpret_cast<char const*>(data + 1), size - 1);
  vmund_test::TestArea area;
  std::vector<std::string> texts;
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = rest.find('\xff', start);
    if (end == std::string::npos) end = rest.size();
    texts.push_back(rest.substr(start, end - start));
    start = end + 1;
  }
  for (size_t i = 0; i < texts.size(); ++i)
    area.add(texts[i], static_cast<uint16_t>((i % 2 ? 2 : 1) | extra));
  // Where the area keeps its copies of the texts.
  std::vector<Part> parts;
  for (auto* p = area.first(); p != nullptr; p = area.next())
    parts.push_back({p->text, p->text + p->length});

  for (int i = 0; i < kDetectors; ++i) {
    if (pick != kDetectors && pick != i) continue;
    check(*detectors.items[i].get(), static_cast<uint16_t>(kFirstDetector + i), area, parts);
  }
  return 0;
}
