// From library findings to positions a person can use: lines, columns and
// code points in the part's text, and the part's label.
#include "host/message_findings.h"

#include <climits>

#include <gtest/gtest.h>

#include "support/test_area.h"
#include "vessamund/scanner.h"

namespace {

Vessamund::Ref<Vessamund::DictionaryScannerImpl> wordScanner(char const* word) {
  auto* scanner = new Vessamund::ProfileDictionaryScanner("W");
  Vessamund::Ref<Vessamund::DictionaryScannerImpl> handle(scanner);
  auto r = vmund_test::makeRecord(3, word, 1, 15);
  scanner->add_pattern(&r);
  return handle;
}

TEST(MessageFindings, LinesColumnsAndCodePoints) {
  vmund::MessageArea area;
  area.addPart(vmund::kHeader, "Subject: key\n", "header");
  // "é" is two bytes and one code point; lines end at LF.
  area.addPart(vmund::kAttachment, "caf\xc3\xa9 key\n\xc3\xa9\xc3\xa9key", "export.zip/a.csv");
  auto scanner = wordScanner("key");
  std::string log, scores;
  std::vector<vmund::MessageFinding> found;
  unsigned long dropped = 0;
  EXPECT_EQ(vmund::scanMessage(*scanner.get(), area, ULONG_MAX, nullptr, log, scores, &found,
                               &dropped),
            3u);
  ASSERT_EQ(found.size(), 3u);
  struct Want {
    uint32_t part, offset, codePoint, line, column;
  } const want[] = {{0, 9, 9, 1, 10}, {1, 6, 5, 1, 6}, {1, 14, 11, 2, 3}};
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(found[i].part, want[i].part);
    EXPECT_EQ(found[i].offset, want[i].offset);
    EXPECT_EQ(found[i].codePointOffset, want[i].codePoint);
    EXPECT_EQ(found[i].line, want[i].line);
    EXPECT_EQ(found[i].column, want[i].column);
    EXPECT_EQ(found[i].value, "key");
    EXPECT_EQ(found[i].kind, "key");
    EXPECT_FALSE(found[i].sensitive());
  }
  EXPECT_EQ(found[1].label, "export.zip/a.csv");
  EXPECT_EQ(dropped, 0u);
  // Without a list to fill, the scan is the plain one.
  std::string log2, scores2;
  EXPECT_EQ(vmund::scanMessage(*scanner.get(), area, ULONG_MAX, nullptr, log2, scores2, nullptr),
            3u);
  EXPECT_EQ(scores2, scores);
}

}  // namespace
