// The eighteen identifier detectors, each with its validator, on any text.
// The matches reported must be exactly those that the identifier rules
// written out in detector_reference.h count, in the same order, under the
// same expression; with no cap the score must be the weight times the
// reports; and asking for fewer matches must count the first of them, no
// more and no fewer (a budget of m weights scores min(m, all) weights).
//
// Input: first byte = detector (value % 19; 18 runs all of them) and, in its
// top bit, the part flag that forbids line breaks inside numbers; the rest is
// parts separated by 0xFF bytes, of kinds 1 and 2 in turn.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "detector_reference.h"
#include "items/predefined_patterns.h"
#include "support/scan_compare.h"
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
    seen.push_back({pattern, match, length});
  }
  using Report = vmund_test::ExactLogger::Report;
  unsigned long reports = 0;
  std::vector<Report> seen;

 private:
  uint16_t code_;
  std::vector<Part> const& parts_;
};

// The built-in expressions of each detector, in the order it runs them.
std::vector<Vessamund::Regex::Expression const*> expressionsOf(uint16_t code) {
  using namespace Vessamund;
  if (code == 258) {
    std::vector<Regex::Expression const*> cards;
    for (auto const& e : cc_expr) cards.push_back(&e);
    return cards;
  }
  Regex::Expression const* const single[] = {
      &cansin_expr, &usssn_expr,  nullptr,      &aba_expr,    &cusip_expr,  &isin_expr,
      &ukni_expr,   &uknhs_expr,  &usein_expr,  &usdea_expr,  &frcni_expr,  &insee_expr,
      &depspt_expr, &iban_expr,   &itin_expr,   &uspspt_expr, &frpspt_expr, &ukpspt_expr};
  return {single[code - kFirstDetector]};
}

struct Detectors {
  Vessamund::Ref<Vessamund::DictionaryItemImpl> items[kDetectors];
  // Per detector: the library's expression (its text's address names it in
  // reports) and the same text compiled by the reference.
  std::vector<std::pair<char const*, std::unique_ptr<vmund_fuzz::ReferenceExpression>>>
      references[kDetectors];
  Detectors() {
    for (int i = 0; i < kDetectors; ++i) {
      uint16_t const code = static_cast<uint16_t>(kFirstDetector + i);
      auto record = vmund_test::makeRecord(code, "", 1, 31);
      items[i] = Vessamund::DictionaryFactory::instance()->createScanner(&record);
      if (items[i].empty()) fail(code, "not made");
      for (auto const* e : expressionsOf(code)) {
        std::string const& text = (*e)->pattern();
        references[i].emplace_back(text.c_str(),
                                   std::make_unique<vmund_fuzz::ReferenceExpression>(text));
        if (!references[i].back().second->compiled()) fail(code, "reference does not compile");
      }
    }
  }
};

// What the rules say the detector reports over these parts, in order; false
// when the engine's backtracking bound cut a search short (the detector may
// then stop elsewhere).
bool expected(Detectors const& d, int index, std::vector<Part> const& parts, uint16_t flags,
              std::vector<BoundsLogger::Report>& out) {
  uint16_t const code = static_cast<uint16_t>(kFirstDetector + index);
  // Only the card, SSN and SIN detectors honour the no-line-break flag.
  bool const allowNewline = code > 258 || (flags & kNoLineBreakFlag) == 0;
  for (Part const& p : parts) {
    std::string const text(p.begin, p.end);
    for (auto const& [pattern, reference] : d.references[index]) {
      std::vector<vmund_fuzz::ReferenceExpression::Found> found;
      if (!reference->search(code, text, allowNewline, found)) return false;
      for (auto const& f : found)
        out.push_back({pattern, p.begin + f.start, static_cast<unsigned int>(f.length)});
    }
  }
  return true;
}

void check(Detectors const& d, int index, vmund_test::TestArea& area,
           std::vector<Part> const& parts, uint16_t flags) {
  uint16_t const code = static_cast<uint16_t>(kFirstDetector + index);
  Vessamund::DictionaryItemImpl& item = *d.items[index].get();
  BoundsLogger all(code, parts);
  unsigned long const score = item.scan(&area, ULONG_MAX, all);
  if (score != all.reports) fail(code, "score is not one weight per report");
  std::vector<BoundsLogger::Report> want;
  if (expected(d, index, parts, flags, want) && want != all.seen) {
    for (auto const& r : all.seen)
      std::fprintf(stderr, "reported: \"%.*s\"\n", static_cast<int>(r.length), r.match);
    for (auto const& r : want)
      std::fprintf(stderr, "expected: \"%.*s\"\n", static_cast<int>(r.length), r.match);
    fail(code, "reports differ from what the identifier rules count");
  }
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
    check(detectors, i, area, parts, extra);
  }
  return 0;
}
