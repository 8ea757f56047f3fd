// One dictionary scanned over a message: its items in order until the score
// reaches the threshold, with the caller's progress callback between items
// and the score and match records at the end.
#include <climits>
#include <cstdio>
#include <ctime>

#include "scan/poll_timer.h"
#include "vessamund/exception.h"
#include "vessamund/factory.h"
#include "vessamund/scanner.h"

namespace Vessamund {

namespace {

// A score list this long or longer takes no further score record.
constexpr size_t kScoreListLimit = 256;
// The match text's capacity is what the caller's match log leaves of this
// many bytes (the logger may pass it by one identifier).
constexpr size_t kMatchLogCapacity = 1024;

uint32_t clockSeconds() { return static_cast<uint32_t>(time(nullptr)); }

void appendDecimal(std::string& out, unsigned long value) {
  char digits[24];
  int n = snprintf(digits, sizeof digits, "%lu", value);
  out.append(digits, static_cast<size_t>(n));
}

}  // namespace

ProfileDictionaryScanner::ProfileDictionaryScanner(std::string const& name) : name(name) {}

ProfileDictionaryScanner::~ProfileDictionaryScanner() {
  // Items go in list order, which std::list's destructor does not promise.
  while (!items.empty()) items.pop_front();
}

int ProfileDictionaryScanner::add_pattern(__vmund_dictionary_item const* record) {
  try {
    items.push_back(DictionaryFactory::instance()->createScanner(record));
  } catch (Exception const&) {
    // A pattern whose item cannot be made is left out of the dictionary.
  }
  return 1;
}

void ProfileDictionaryScanner::addItem(Ref<DictionaryItemImpl> const& item) {
  items.push_back(item);
}

unsigned long ProfileDictionaryScanner::scan(DScanAreaImpl* area, unsigned long budget,
                                             ProgressCb* progress, std::string& matchLog,
                                             std::string& scoreList) {
  std::string matchText;
  uint32_t const interval = progress != nullptr ? progress->start(area, matchText) : 0;

  unsigned long total = 0;
  {
    size_t const used = matchLog.size();
    unsigned int const capacity =
        used < kMatchLogCapacity ? static_cast<unsigned int>(kMatchLogCapacity - used) : 0;
    // Writes its last pending identifier into matchText when it goes.
    DPMatchLogger logger(matchText, capacity);

    if (budget != 0 && !items.empty()) {
      internal::PollTimer timer(progress != nullptr ? clockSeconds() : 0, interval);
      for (auto const& item : items) {
        if (progress != nullptr) {
          uint32_t const now = clockSeconds();
          if (timer.due(now)) {
            if (!progress->poll()) break;
            timer.polled(now);
          }
        }
        unsigned long const score = item->scan(area, budget - total, logger);
        // Only a budget near ULONG_MAX lets scores get this far; saturate
        // rather than wrap round to a small score.
        total = score > ULONG_MAX - total ? ULONG_MAX : total + score;
        if (total >= budget) break;
      }
    }
  }

  if (total == 0) return 0;

  if (scoreList.size() < kScoreListLimit) {
    if (!scoreList.empty()) scoreList += ';';
    scoreList += name;
    scoreList += ':';
    appendDecimal(scoreList, total);
  }
  if (!matchText.empty()) {
    matchLog += ";Dictionary:";
    matchLog += name;
    matchLog += " Score: ";
    appendDecimal(matchLog, total);
    matchLog += '(';
    matchLog += matchText;
    matchLog += ')';
  }
  return total;
}

}  // namespace Vessamund
