// Test doubles shared by the library tests: a scan area over strings, a
// logger that records every report, and an item-record builder.
#ifndef VESSAMUND_TESTS_SUPPORT_TEST_AREA_H_
#define VESSAMUND_TESTS_SUPPORT_TEST_AREA_H_

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "vessamund/dictionary_item.h"
#include "vessamund/match_logger.h"
#include "vessamund/scan_area.h"

namespace vmund_test {

// A message as a list of (text, flags) parts. Texts keep their embedded zero
// bytes; each is followed by a terminating zero byte.
class TestArea : public Vessamund::DScanAreaImpl {
 public:
  TestArea() = default;
  TestArea(std::initializer_list<std::pair<std::string, uint16_t>> parts) {
    for (auto const& p : parts) add(p.first, p.second);
  }
  TestArea& add(std::string const& text, uint16_t flags) {
    texts_.push_back(text);
    parts_.push_back(Vessamund::DScanAreaPart{&texts_.back()[0],
                                              static_cast<uint32_t>(text.size()), flags});
    return *this;
  }
  // A part whose text pointer is null.
  TestArea& addNull(uint16_t flags) {
    parts_.push_back(Vessamund::DScanAreaPart{nullptr, 0, flags});
    return *this;
  }
  Vessamund::DScanAreaPart* first() override { return at(pos_ = 0); }
  // Past the last part it stays there: every later call gives null.
  Vessamund::DScanAreaPart* next() override { return at(pos_ < parts_.size() ? ++pos_ : pos_); }

 private:
  Vessamund::DScanAreaPart* at(size_t i) { return i < parts_.size() ? &parts_[i] : nullptr; }
  std::deque<std::string> texts_;
  std::deque<Vessamund::DScanAreaPart> parts_;
  size_t pos_ = 0;
};

// Records every report: identifier pointer, identifier text, matched bytes.
class RecordingLogger : public Vessamund::DictionaryMatchLogger {
 public:
  struct Report {
    char const* pattern;
    std::string patternText;
    std::string match;
  };
  void log(char const* pattern, char const* match, unsigned int length) override {
    reports.push_back(Report{pattern, pattern, std::string(match, length)});
  }
  std::vector<Report> reports;
};

inline __vmund_dictionary_item makeRecord(uint16_t type, std::string const& pattern,
                                          uint16_t weight, uint8_t scanArea = 1,
                                          uint16_t maxWeight = 0, uint8_t maxLimit = 0) {
  __vmund_dictionary_item r{};
  std::strncpy(r.pattern, pattern.c_str(), sizeof r.pattern - 1);
  r.pattern_type = type;
  r.pattern_weight = weight;
  r.pattern_scan_area = scanArea;
  r.pattern_max_weight = maxWeight;
  r.pattern_max_limit = maxLimit;
  r.pattern_status = 1;
  return r;
}

}  // namespace vmund_test

#endif  // VESSAMUND_TESTS_SUPPORT_TEST_AREA_H_
