// The regular-expression item: area tags, what the engine compiles, what is
// logged, and how it counts across parts.
#include <string>

#include <gtest/gtest.h>

#include "support/test_area.h"
#include "vessamund/regex_item.h"

namespace {

using Vessamund::DictionaryRegex;
using vmund_test::makeRecord;
using vmund_test::RecordingLogger;
using vmund_test::TestArea;

TEST(RegexItemTest, AreaTagsNarrowOnlyAnAreaOfExactlyOne) {
  struct Row {
    char const* note;
    uint8_t area;
    char const* pattern;
    uint16_t expectedArea;
    char const* compiled;
  } rows[] = {
      {"header tag", 1, "[MHeAdEr]subject-x", 4, "subject-x"},
      {"untagged body item also reads headers", 1, "abc", 5, "abc"},
      {"area 3: bit 4 added, tag kept", 3, "[MHeAdEr]abc", 7, "[MHeAdEr]abc"},
      {"area 4 has no bit 1", 4, "abc", 4, "abc"},
      {"lower-case tag is text", 1, "[mheader]abc", 5, "[mheader]abc"},
      {"tag alone", 1, "[MHeAdEr]", 4, ""},
  };
  for (Row const& row : rows) {
    SCOPED_TRACE(row.note);
    auto record = makeRecord(1, row.pattern, 1, row.area);
    DictionaryRegex item(&record);
    EXPECT_EQ(row.expectedArea, item.scan_area);
    EXPECT_EQ(row.compiled, item.expression.pattern());
    EXPECT_EQ(row.pattern, item.pattern);  // the record's text, tag included
  }
}

TEST(RegexItemTest, LogsConvertedTextAndMatchesCaseless) {
  auto record = makeRecord(1, "[EHeAdEr]CAF&#233;", 1);
  DictionaryRegex item(&record);
  TestArea area{{"un caf\xC3\xA9 noir, Caf\xC3\xA9 cr\xC3\xA8me", 1}};
  RecordingLogger logger;
  EXPECT_EQ(2ul, item.scan(&area, 10, logger));
  ASSERT_EQ(2u, logger.reports.size());
  EXPECT_EQ("CAF\\x{e9}", logger.reports[0].patternText);
  EXPECT_EQ(item.expression.pattern().c_str(), logger.reports[0].pattern);
  EXPECT_EQ("caf\xC3\xA9", logger.reports[0].match);
  EXPECT_EQ("Caf\xC3\xA9", logger.reports[1].match);
}

// An administrator pattern that backtracks exponentially: the engine's match
// limit ends the search of each hopeless part, and the scan goes on to find
// the match in the next one.
TEST(RegexItemTest, CatastrophicBacktrackingEndsAndTheScanGoesOn) {
  for (char const* pattern : {"(a+)+$", "(\\w+\\s?)+$", "(a|aa)+c"}) {
    SCOPED_TRACE(pattern);
    auto record = makeRecord(1, pattern, 3, 2);
    DictionaryRegex item(&record);
    ASSERT_TRUE(item.expression.compiled());
    // Each line would take the engine about 2^60 steps without the limit;
    // the "c" keeps the engine's required-character check from giving up
    // before it starts.
    std::string hopeless;
    for (int i = 0; i < 200; ++i) hopeless += std::string(60, 'a') + "!c\n";
    TestArea area{{hopeless, 2}, {"aaaac aaaa", 2}};
    RecordingLogger logger;
    EXPECT_EQ(3ul, item.scan(&area, 100, logger));
  }
}

}  // namespace
