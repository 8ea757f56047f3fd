// Items and scanners with scripted results, for tests of the scanners and
// the factory that must not depend on how real items match.
#ifndef VESSAMUND_TESTS_SUPPORT_FAKE_ITEMS_H_
#define VESSAMUND_TESTS_SUPPORT_FAKE_ITEMS_H_

#include <atomic>
#include <string>

#include "support/test_area.h"
#include "vessamund/scanner.h"

namespace vmund_test {

// Returns `score` (whatever the budget) and, when it scores, reports its
// pattern text as the identifier once. Remembers the budget of its last scan.
class FakeItem : public Vessamund::DictionaryItemImpl {
 public:
  FakeItem(unsigned long score, std::string const& identifier)
      : FakeItem(makeRecord(0, identifier, 1), score) {}

  unsigned long scan(Vessamund::DScanAreaImpl*, unsigned long budget,
                     Vessamund::DictionaryMatchLogger& logger) override {
    ++scans;
    lastBudget = budget;
    if (score_ != 0 && !pattern.empty()) logger.log(pattern.c_str(), pattern.c_str(), 1);
    return score_;
  }

  static Vessamund::Ref<Vessamund::DictionaryItemImpl> make(unsigned long score,
                                                           std::string const& identifier = "") {
    return Vessamund::Ref<Vessamund::DictionaryItemImpl>(new FakeItem(score, identifier));
  }

  std::atomic<int> scans{0};
  std::atomic<unsigned long> lastBudget{0};

 private:
  FakeItem(__vmund_dictionary_item const& record, unsigned long score)
      : DictionaryItemImpl(&record), score_(score) {}
  unsigned long score_;
};

// A scanner that returns `score`, writes the given texts into the strings it
// is handed, and remembers what it was called with.
class FakeScanner : public Vessamund::DictionaryScannerImpl {
 public:
  FakeScanner(unsigned long score, std::string matchText, std::string scoreText)
      : score_(score), matchText_(std::move(matchText)), scoreText_(std::move(scoreText)) {}

  unsigned long scan(Vessamund::DScanAreaImpl*, unsigned long budget, Vessamund::ProgressCb*,
                     std::string& matchLog, std::string& scoreList) override {
    ++scans;
    lastBudget = budget;
    stringsWereEmpty = matchLog.empty() && scoreList.empty();
    matchLog += matchText_;
    scoreList += scoreText_;
    return score_;
  }

  int scans = 0;
  unsigned long lastBudget = 0;
  bool stringsWereEmpty = false;

 private:
  unsigned long score_;
  std::string matchText_;
  std::string scoreText_;
};

// Counts calls; poll() and expired() answer from scripts.
class ScriptedProgress : public Vessamund::ProgressCb {
 public:
  unsigned int start(Vessamund::DScanAreaImpl*, std::string& matchText) override {
    ++starts;
    matchText += startText;
    return interval;
  }
  bool poll() override { return ++polls <= pollsAllowed; }
  bool expired() override { return ++expiries > expiriesAllowed; }

  unsigned int interval = 0;
  std::string startText;
  int pollsAllowed = 1 << 30;
  int expiriesAllowed = 1 << 30;
  int starts = 0;
  int polls = 0;
  int expiries = 0;
};

}  // namespace vmund_test

#endif  // VESSAMUND_TESTS_SUPPORT_FAKE_ITEMS_H_
