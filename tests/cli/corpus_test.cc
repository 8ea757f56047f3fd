// Every real message of the shared corpus reads without error and gives parts
// that keep the host's rules.
#include <glib.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "host/mime_reader.h"

namespace {

std::string const kReal = VMUND_CORPUS_DIR "/real/";

std::string slurp(std::string const& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

TEST(Corpus, EveryRealMessageReads) {
  std::ifstream index(kReal + "INDEX.tsv");
  if (!index) GTEST_SKIP() << "no corpus at " << kReal;
  std::string line;
  std::getline(index, line);  // column names
  int files = 0;
  while (std::getline(index, line)) {
    std::string file = line.substr(0, line.find('\t'));
    SCOPED_TRACE(file);
    ++files;
    vmund::ReadResult got = vmund::readMessages(slurp(kReal + file), file);
    ASSERT_EQ(got.error, "");
    for (vmund::Message& m : got.messages) {
      vmund::MessageArea& a = m.area;
      ASSERT_GT(a.partCount(), 0u);
      EXPECT_EQ(a.kind(0), vmund::kHeader);
      for (size_t i = 0; i < a.partCount(); ++i) {
        uint16_t k = a.kind(i);
        EXPECT_TRUE(k == 1 || k == 2 || k == 4 || k == 8) << k;
        if (k == vmund::kHtmlAlternative) {
          EXPECT_EQ(a.kind(i - 1), vmund::kBody);
        }
        std::string const& t = a.text(i);
        EXPECT_TRUE(g_utf8_validate(t.data(), static_cast<gssize>(t.size()), nullptr)) << i;
        EXPECT_EQ(t.find('\r'), std::string::npos) << i;
      }
      // The walk hands out exactly the parts, zero-terminated.
      size_t n = 0;
      for (Vessamund::DScanAreaPart* p = a.first(); p; p = a.next(), ++n) {
        ASSERT_LT(n, a.partCount());
        EXPECT_EQ(p->length, a.text(n).size());
        EXPECT_EQ(p->text[p->length], '\0');
      }
      EXPECT_EQ(n, a.partCount());
    }
  }
  EXPECT_GE(files, 500);
}

}  // namespace
