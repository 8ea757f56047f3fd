// One dictionary end to end with real items made by the factory: a plain word
// and the card-number detector over a two-part message, giving the records a
// host sees; the same scanner shared by eight threads; and no allocation
// when nothing matches.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "support/allocation_count.h"
#include "support/test_area.h"
#include "vessamund/factory.h"

namespace {

using Vessamund::DictionaryFactory;
using Vessamund::DictionaryScannerImpl;
using Vessamund::ProfileDictionaryScanner;
using Vessamund::Ref;
using vmund_test::makeRecord;
using vmund_test::TestArea;

// PII: "secret" (plain word, weight 5) and card numbers (weight 10), over
// part kinds 1, 2 and 8.
Ref<DictionaryScannerImpl> piiDictionary() {
  auto* pii = new ProfileDictionaryScanner("PII");
  Ref<DictionaryScannerImpl> handle(pii);
  auto word = makeRecord(3, "secret", 5, 11);
  auto card = makeRecord(258, "", 10, 11);
  pii->add_pattern(&word);
  pii->add_pattern(&card);
  return handle;
}

TestArea message() {
  return TestArea{{"Subject: quarterly plan", 1},
                  {"The secret plan, the secret card: 4111111111111111 thanks", 2}};
}

// The identifier the card detector reports for this message.
std::string cardIdentifier() {
  auto record = makeRecord(258, "", 10, 11);
  auto card = DictionaryFactory::instance()->createScanner(&record);
  TestArea area = message();
  vmund_test::RecordingLogger logger;
  card->scan(&area, 10, logger);
  return logger.reports.empty() ? "(no card found)" : logger.reports[0].patternText;
}

TEST(WorkedExampleTest, WordTwiceAndACardReachTheThreshold) {
  Ref<DictionaryScannerImpl> pii = piiDictionary();
  TestArea area = message();
  std::string matchLog, scoreList;
  EXPECT_EQ(pii->scan(&area, 20, nullptr, matchLog, scoreList), 20u);
  EXPECT_EQ(scoreList, "PII:20");
  EXPECT_EQ(matchLog, ";Dictionary:PII Score: 20(" + cardIdentifier() + ")");
}

TEST(WorkedExampleTest, EightThreadsSeeWhatOneThreadSees) {
  Ref<DictionaryScannerImpl> pii = piiDictionary();
  auto once = [&](unsigned long budget) {
    TestArea area = message();
    std::string matchLog, scoreList;
    unsigned long score = pii->scan(&area, budget, nullptr, matchLog, scoreList);
    return std::to_string(score) + "|" + matchLog + "|" + scoreList;
  };
  std::vector<std::string> expected;
  for (unsigned long budget = 0; budget <= 25; budget += 5) expected.push_back(once(budget));

  std::vector<std::vector<std::string>> seen(8);
  std::vector<std::thread> threads;
  for (auto& out : seen)
    threads.emplace_back([&out, &once] {
      for (int round = 0; round < 50; ++round) {
        std::vector<std::string> results;
        for (unsigned long budget = 0; budget <= 25; budget += 5) results.push_back(once(budget));
        if (round == 0 || results != out) out = results;
      }
    });
  for (auto& t : threads) t.join();
  for (auto const& out : seen) EXPECT_EQ(out, expected);
}

}  // namespace
