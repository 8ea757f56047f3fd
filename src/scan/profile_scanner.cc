// One dictionary scanned over a message: its items in order until the score
// reaches the threshold, with the caller's progress callback between items
// and the score and match records at the end.
#include <atomic>
#include <climits>
#include <cstdio>
#include <ctime>
#include <vector>

#include "items/kinds/pattern_kind.h"
#include "scan/finding_recorder.h"
#include "scan/poll_timer.h"
#include "scan/scan_plan.h"
#include "vessamund/exception.h"
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

namespace internal {

// What a profile scanner holds besides its name.
class ProfileContents {
 public:
  ~ProfileContents() {
    // The plan points into the items.
    dropPlan();
    // Items go in list order, which std::vector's destructor does not promise.
    for (auto& item : items) item = Ref<DictionaryItemImpl>();
  }

  // Adds both or neither: only the reservation can fail.
  void append(Ref<DictionaryItemImpl> const& item, PatternKind const* kind) {
    kinds.reserve(kinds.size() + 1);
    items.push_back(item);
    kinds.push_back(kind);
    dropPlan();
  }

  // Adding never runs alongside a scan, so nobody can be using the plan.
  void dropPlan() { delete plan_.exchange(nullptr, std::memory_order_acq_rel); }

  ScanPlan const* plan() {
    ScanPlan const* plan = plan_.load(std::memory_order_acquire);
    if (plan != nullptr) return plan;
    // Threads that scan first together each build one; the first to finish
    // publishes it and the others drop theirs.
    ScanPlan const* built = ScanPlan::build(items, kinds).release();
    if (plan_.compare_exchange_strong(plan, built, std::memory_order_acq_rel,
                                      std::memory_order_acquire)) {
      return built;
    }
    delete built;
    return plan;
  }

  std::vector<Ref<DictionaryItemImpl>> items;
  // Each item's kind, in the same order; null for an item appended whole
  // (addItem), which the plan leaves to read every part.
  std::vector<PatternKind const*> kinds;

 private:
  // Built for the items as they are when first needed; null before and
  // after an item is added. Owned; set once by compare-and-swap.
  std::atomic<ScanPlan const*> plan_{nullptr};
};

}  // namespace internal

ProfileDictionaryScanner::ProfileDictionaryScanner(std::string const& name)
    : name(name), contents_(new internal::ProfileContents) {}

ProfileDictionaryScanner::~ProfileDictionaryScanner() { delete contents_; }

int ProfileDictionaryScanner::add_pattern(__vmund_dictionary_item const* record) {
  try {
    internal::PatternKind const& kind = internal::patternKindFor(record->pattern_type);
    contents_->append(internal::makeItem(kind, record), &kind);
  } catch (Exception const&) {
    // A pattern whose item cannot be made is left out of the dictionary.
  }
  return 1;
}

void ProfileDictionaryScanner::addItem(Ref<DictionaryItemImpl> const& item) {
  contents_->append(item, nullptr);
}

void ProfileDictionaryScanner::prepare() { contents_->plan(); }

std::vector<Ref<DictionaryItemImpl>> const& ProfileDictionaryScanner::itemList() const {
  return contents_->items;
}

unsigned long ProfileDictionaryScanner::scan(DScanAreaImpl* area, unsigned long budget,
                                             ProgressCb* progress, std::string& matchLog,
                                             std::string& scoreList) {
  std::vector<Ref<DictionaryItemImpl>> const& items = contents_->items;
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
      // Inert unless the thread asked for findings: then the items walk the
      // area through it, so that it knows the part of every match.
      internal::FindingRecorder findings(name, area);
      // The same items in the same order either way; the plan only spares
      // them parts where they cannot match.
      internal::PlannedScan run(contents_->plan(), findings.area());
      if (run.active() && progress == nullptr) {
        // Without polling, only the items the pass did not rule out are
        // asked, in their order; the others would count nothing and log
        // nothing.
        for (uint32_t index : run.askedItems()) {
          DictionaryItemImpl& item = *run.item(index).operator->();
          findings.beginItem(index, item, contents_->kinds[index]);
          unsigned long const score = run.scanItem(index, item, budget - total, logger);
          total = score > ULONG_MAX - total ? ULONG_MAX : total + score;
          if (total >= budget) break;
        }
      } else {
        internal::PollTimer timer(progress != nullptr ? clockSeconds() : 0, interval);
        size_t index = 0;
        for (auto const& item : items) {
          if (progress != nullptr) {
            uint32_t const now = clockSeconds();
            if (timer.due(now)) {
              if (!progress->poll()) break;
              timer.polled(now);
            }
          }
          // An item the plan shows to score 0 is not asked, as above.
          if (run.skippable(index)) {
            ++index;
            continue;
          }
          findings.beginItem(index, *item.operator->(), contents_->kinds[index]);
          unsigned long const score =
              run.scanItem(index++, *item.operator->(), budget - total, logger);
          // Only a budget near ULONG_MAX lets scores get this far; saturate
          // rather than wrap round to a small score.
          total = score > ULONG_MAX - total ? ULONG_MAX : total + score;
          if (total >= budget) break;
        }
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
