// The eighteen identifier detectors end to end on message text: what each
// finds and refuses, and the no-line-break flag. detector_fuzz holds every
// report, and the expression it names, to the rules written out in
// fuzz/detector_reference.h; its seeds carry these rows and one card of each
// of the nine layouts.
#include <string>

#include <gtest/gtest.h>

#include "items/identifier_scan.h"
#include "support/test_area.h"
#include "vessamund/factory.h"
#include "vessamund/predefined_items.h"
#include "vessamund/validators.h"

namespace {

using namespace Vessamund;
using vmund_test::makeRecord;
using vmund_test::RecordingLogger;
using vmund_test::TestArea;

Ref<DictionaryItemImpl> makeItem(uint16_t code) {
  auto record = makeRecord(code, "whatever the row said", 1);
  return DictionaryFactory::instance()->createScanner(&record);
}

TEST(PredefinedItemsTest, FindsValidIdentifiersAndRefusesTheRest) {
  struct Row {
    char const* note;
    uint16_t code;
    char const* text;
    unsigned long count;
  } rows[] = {
      {"SIN, spaces", 256, "My SIN is 046 454 286, please keep it safe.", 1},
      {"SIN, sum off by one digit", 256, "My SIN is 046 454 287.", 0},
      {"SIN, first digit 8 never issued", 256, "SIN 846 454 286", 0},
      // Where a number touches digits around it. Blank-separated: refused
      // after a digit and its own blank run or a decimal mark, and before
      // its own blank run or a decimal mark and a digit.
      {"SIN after a digit and its own blank", 256, "9 046 454 286", 0},
      {"SIN after a digit and two spaces", 256, "9  046 454 286", 1},
      {"SIN after a digit and a full stop", 256, "1.046 454 286", 0},
      {"SIN after a digit and a comma", 256, "1,046 454 286", 0},
      {"SIN before its blank and a digit", 256, "046 454 286 7", 0},
      {"SIN before two spaces and a digit", 256, "046 454 286  7", 1},
      {"SIN before a comma and a digit", 256, "046 454 286,5", 0},
      {"card continuing a number", 258, "Ref 5 4111 1111 1111 1111", 0},
      // Unseparated: only a full stop joins it to a digit.
      {"plain SIN after a digit and a full stop", 256, "1.046454286", 0},
      {"plain SIN after a digit and a comma", 256, "1,046454286", 1},
      {"plain SIN before a full stop and a digit", 256, "046454286.1", 0},
      {"plain SIN before a comma and a digit", 256, "046454286,1", 1},
      {"hyphenated SIN between decimal marks", 256, "1.046-454-286.5", 1},
      {"SSN, hyphens", 257, "SSN: 123-45-6789\r\nDOB: 1970-01-01", 1},
      {"SSN, unseparated", 257, "ssn 123456789", 0},
      {"SSN, area 000 / 666 / 9xx", 257, "000-12-3456 666-12-3456 912-34-5678", 0},
      {"card, spaces", 258, "Please charge my Visa 4111 1111 1111 1111 (exp 09/27).", 1},
      {"card, checksum failure", 258, "Please charge my Visa 4111 1111 1111 1112.", 0},
      {"card, comma-separated list", 258, "4111111111111111,5555555555554444", 2},
      {"card, two digits transposed", 258, "4012-8888-8888-8181", 0},
      {"card, 15 digits transposed", 258, "3782 822463 10050", 0},
      {"card, 14 digits transposed", 258, "3056 930902 5940", 0},
      {"card, mixed separators: no candidate", 258, "4111 1111-1111 1111", 0},
      {"ABA", 259, "Routing: 011000015\nAccount: 12345", 1},
      {"ABA, bad sum", 259, "Routing: 011000016", 0},
      {"CUSIP", 260, "CUSIP 037833100 (Apple)", 1},
      {"CUSIP, bad check digit", 260, "CUSIP 037833101", 0},
      {"ISIN", 261, "Bought 100 x US0378331005 today", 1},
      {"ISIN, bad check digit", 261, "Bought US0378331006", 0},
      {"UKNI, spaces", 262, "NI number: AB 12 34 56 C\n", 1},
      {"UKNI, suffix beyond D", 262, "NI number: AB123456E", 0},
      {"NHS", 263, "NHS no. 943 476 5919 on file", 1},
      {"NHS, bad check digit", 263, "NHS no. 943 476 5918", 0},
      {"EIN", 264, "EIN 12-3456789.", 1},
      {"EIN, 3-6 grouping", 264, "EIN 123-456789", 0},
      {"EIN, a zero in the last seven", 264, "EIN 12-3456709", 0},
      {"DEA", 265, "DEA# AB1234563", 1},
      {"DEA, bad check digit", 265, "DEA# AB1234564", 0},
      {"FR CNI", 266, "CNI: 88 05 12345678", 1},
      {"FR CNI, month 13", 266, "CNI: 88 13 12345678", 0},
      {"FR CNI, hyphen then blank", 266, "CNI 88-07 12345678", 0},
      {"INSEE", 267, "N\xC2\xB0 s\xC3\xA9" "cu: 1 84 12 76 451 089 46", 1},
      {"INSEE, bad key", 267, "secu: 1 84 12 76 451 089 47", 0},
      {"DE passport", 268, "Reisepass C01X00T478 gueltig", 1},
      {"DE passport, lower case", 268, "Reisepass c01x00t478", 0},
      {"IBAN, blocks of four", 269, "IBAN: GB82 WEST 1234 5698 7654 32\nBIC: WESTGB22", 1},
      {"IBAN, bad check", 269, "IBAN: GB83 WEST 1234 5698 7654 32", 0},
      {"ITIN", 270, "ITIN 912-78-1234", 1},
      {"ITIN, middle 89", 270, "ITIN 912-89-1234", 0},
      {"US passport, letter form", 271, "passport A1234567.", 1},
      {"FR passport", 272, "passeport 05AB12345", 1},
      {"UK passport", 273, "Passport no: 123456789\r\n", 1},
      {"UK passport, ten digits", 273, "Passport no: 1234567890", 0},
  };
  for (Row const& row : rows) {
    SCOPED_TRACE(row.note);
    TestArea area{{row.text, 1}};
    RecordingLogger logger;
    EXPECT_EQ(row.count, makeItem(row.code)->scan(&area, 100, logger));
    EXPECT_EQ(row.count, logger.reports.size());
  }
}

// The built-in expressions cannot put a line break inside a number, so the
// no-line-break flag is shown with an expression of the same frame whose
// separator may be one, through the detectors' own loop and a USSSN Luhn.
TEST(PredefinedItemsTest, NoLineBreakFlagReachesTheDigitGroupCheck) {
  Regex::Expression const spanning(
      "/(^|(?<=\\d)(?:([ \\t])\\g{-1}*|([.,]))|[[({:;\"' \\t>.,])"
      "(\\d{3}([-\\n])\\d{2}\\g{-1}\\d{4})($|[ .,])/m",
      Regex::kAnyNewline, true);
  ASSERT_TRUE(spanning->compiled());
  struct Row {
    char const* note;
    uint16_t flags;
    bool lineRule;  // the loop is told which validator honours the flag
    unsigned long count;
  } rows[] = {
      {"flag clear: line break acts as a blank", 1, true, 1},
      {"flag set: number across lines refused", 1 | 16, true, 0},
      {"flag set, detector ignores it", 1 | 16, false, 1},
  };
  for (Row const& row : rows) {
    SCOPED_TRACE(row.note);
    auto record = makeRecord(257, "", 1);
    DictionaryUSSSN item(&record);
    TestArea area{{"SSN 123\n45\n6789 on file", row.flags}};
    RecordingLogger logger;
    Regex::Luhn validator(logger, Regex::Luhn::USSSN);
    EXPECT_EQ(row.count, internal::scanIdentifiers(item, &area, 10, &spanning, 1, validator,
                                                   row.lineRule ? &validator : nullptr));
  }
  // Line breaks between numbers are not inside them: bit 4 changes nothing.
  for (uint16_t flags : {1, 1 | 16}) {
    SCOPED_TRACE(flags);
    TestArea area{{"SSN\n123-45-6789\nCard\n4111 1111 1111 1111\nSIN\n046 454 286\n", flags}};
    RecordingLogger logger;
    for (uint16_t code : {256, 257, 258})
      EXPECT_EQ(1ul, makeItem(code)->scan(&area, 10, logger)) << code;
  }
}

}  // namespace
