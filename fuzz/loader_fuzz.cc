// The loader's column conversions on any row: each number field must hold
// the low bits of what a plain reading of the decimal text gives, the
// pattern must stay a terminated prefix of its column, and a row that makes
// an item must give an item that scans its own pattern text within its cap.
//
// Input: the seven column texts separated by 0xFF bytes (missing columns
// are empty).
#include <cctype>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "factory/item_columns.h"
#include "support/test_area.h"
#include "vessamund/scanner.h"

namespace {

using Vessamund::internal::kItemColumns;

[[noreturn]] void fail(char const* what) {
  std::fprintf(stderr, "loader: %s\n", what);
  __builtin_trap();
}

// Decimal text read digit by digit, saturating at the ends of long as
// strtol does.
long plainDecimal(char const* s) {
  while (std::isspace(static_cast<unsigned char>(*s))) ++s;
  bool negative = false;
  if (*s == '+' || *s == '-') negative = *s++ == '-';
  unsigned long magnitude = 0;
  unsigned long const limit = negative ? 0ul - static_cast<unsigned long>(LONG_MIN) : LONG_MAX;
  bool saturated = false;
  for (; *s >= '0' && *s <= '9'; ++s) {
    unsigned long const digit = static_cast<unsigned long>(*s - '0');
    if (saturated || magnitude > (limit - digit) / 10) {
      saturated = true;
      continue;
    }
    magnitude = magnitude * 10 + digit;
  }
  if (saturated) return negative ? LONG_MIN : LONG_MAX;
  return negative ? static_cast<long>(0ul - magnitude) : static_cast<long>(magnitude);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  std::string const input(reinterpret_cast<char const*>(data), size);
  std::string text[kItemColumns];
  size_t start = 0;
  for (int c = 0; c < kItemColumns && start <= input.size(); ++c) {
    size_t end = input.find('\xff', start);
    if (end == std::string::npos) end = input.size();
    text[c] = input.substr(start, end - start);
    start = end + 1;
  }
  char const* columns[kItemColumns];
  for (int c = 0; c < kItemColumns; ++c) columns[c] = text[c].c_str();

  __vmund_dictionary_item record;
  std::memset(&record, 0xA5, sizeof record);  // every field must be overwritten
  Vessamund::internal::recordFromColumns(columns, record);

  std::string const pattern = std::string(columns[0]).substr(0, 255);
  if (std::memchr(record.pattern, 0, sizeof record.pattern) == nullptr ||
      pattern != record.pattern)
    fail("pattern is not the column's first 255 bytes, terminated");
  for (size_t i = pattern.size(); i < sizeof record.pattern; ++i)
    if (record.pattern[i] != 0) fail("pattern is not zero-padded");
  if (record.pattern_type != static_cast<uint16_t>(plainDecimal(columns[1])) ||
      record.pattern_weight != static_cast<uint16_t>(plainDecimal(columns[2])) ||
      record.pattern_scan_area != static_cast<uint8_t>(plainDecimal(columns[3])) ||
      record.pattern_max_weight != static_cast<uint16_t>(plainDecimal(columns[4])) ||
      record.pattern_max_limit != static_cast<uint8_t>(plainDecimal(columns[5])) ||
      record.pattern_status != static_cast<uint8_t>(plainDecimal(columns[6])))
    fail("a number field differs from the low bits of its decimal text");
  if (Vessamund::internal::rowMakesItem(record) !=
      (record.pattern_status != 0 && record.pattern_weight != 0))
    fail("row acceptance differs from the stored status and weight");
  if (!Vessamund::internal::rowMakesItem(record)) return 0;

  // The item the row makes, over its own pattern text in every part kind.
  Vessamund::ProfileDictionaryScanner scanner("ROW");
  scanner.add_pattern(&record);
  vmund_test::TestArea area;
  for (uint16_t kind : {1, 2, 4, 8}) area.add(pattern + " " + pattern, kind);
  for (auto const& item : scanner.itemList()) {
    vmund_test::RecordingLogger logger;
    unsigned long const score = item.get()->scan(&area, ULONG_MAX, logger);
    unsigned long const weight = record.pattern_weight;
    // An unlimited budget lets the count times the weight pass ULONG_MAX:
    // the score then saturates.
    if (score != ULONG_MAX && score % weight != 0) fail("score is not a multiple of the weight");
    if (record.pattern_max_limit != 0 && score >= record.pattern_max_weight + weight)
      fail("score passes the cap by a whole weight");
  }
  return 0;
}
