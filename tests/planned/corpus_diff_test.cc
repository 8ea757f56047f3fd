// The planned scan against the reference scan on whole messages as the
// message host decodes them: every message of the shared real-mail corpus,
// and generated messages with planted identifiers at several seeds. Scores,
// score records and match records must be identical, dictionary by
// dictionary and budget by budget, and each item's logger calls too.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "host/mime_reader.h"
#include "support/corpus_generator.h"
#include "support/files.h"
#include "support/mixed_policy.h"
#include "support/scan_compare.h"
#include "support/scoped_env.h"

// Sanitized builds compare every kStride-th message only: the reference scan
// is slow there, and the plain build compares them all.
#ifndef VMUND_CORPUS_STRIDE
#define VMUND_CORPUS_STRIDE 1
#endif

namespace {

constexpr size_t kStride = VMUND_CORPUS_STRIDE;

using Dictionaries = std::vector<vmund_test::PolicyScanner>;

Dictionaries dictionaries() {
  Dictionaries d;
  for (auto const& rows : {vmund_test::mixedPolicy(), vmund_test::policyDetectors(),
                           vmund_test::policyWords(), vmund_test::policyWildcards(),
                           vmund_test::policyRegexes()}) {
    d.emplace_back(rows);
  }
  return d;
}

// Both ways, every dictionary, two budgets (one that no message reaches and
// one that stops scans early), and item by item for the mixed dictionary.
std::string compareMessage(Dictionaries const& d, vmund::MessageArea& area) {
  for (auto const& p : d) {
    for (unsigned long budget : {ULONG_MAX, 25ul}) {
      std::string diff = vmund_test::compareScans(p.scanner, *p.reference.get(), area, budget);
      if (!diff.empty()) return p.scanner.dictionaryName() + ": " + diff;
    }
  }
  return vmund_test::compareItems(d.front().scanner, *d.front().plan, area, 1000000);
}

TEST(CorpusDiff, RealMessagesAgree) {
  std::filesystem::path const root = std::filesystem::path(VMUND_CORPUS_DIR) / "real";
  if (!std::filesystem::exists(root)) SKIP_OR_FAIL_IN_CI("no corpus at " + root.string());
  std::vector<std::filesystem::path> files;
  for (auto const& e : std::filesystem::recursive_directory_iterator(root)) {
    if (e.is_regular_file() && e.path().extension() == ".eml") files.push_back(e.path());
  }
  std::sort(files.begin(), files.end());
  ASSERT_GT(files.size(), 500u);
  Dictionaries const d = dictionaries();
  for (size_t i = 0; i < files.size(); i += kStride) {
    std::filesystem::path const& f = files[i];
    vmund::ReadResult read = vmund::readMessages(vmund_test::slurpFile(f), f.filename().string());
    for (auto& m : read.messages) {
      ASSERT_EQ(compareMessage(d, m.area), "") << f;
    }
  }
}

TEST(CorpusDiff, GeneratedMessagesAgree) {
  if (!vmund_test::haveCorpusGenerator())
    SKIP_OR_FAIL_IN_CI("no generator at " + vmund_test::kCorpusGenerator);
  vmund_test::TempDir dir;
  Dictionaries const d = dictionaries();
  int messages = 0;
  for (int seed : {1, 2, 3, 17}) {
    std::string const out = dir.dir() + "/seed" + std::to_string(seed);
    ASSERT_TRUE(vmund_test::generateCorpus(
        "--seed " + std::to_string(seed) + " --count " + std::to_string(120 / kStride), out));
    for (auto const& e : std::filesystem::directory_iterator(out)) {
      if (e.path().extension() != ".eml") continue;
      vmund::ReadResult read = vmund::readMessages(vmund_test::slurpFile(e.path()), e.path().filename().string());
      for (auto& m : read.messages) {
        ++messages;
        ASSERT_EQ(compareMessage(d, m.area), "") << "seed " << seed << " " << e.path();
      }
    }
  }
  EXPECT_GE(messages, 400 / static_cast<int>(kStride));
}

}  // namespace
