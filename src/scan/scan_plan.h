// A dictionary's scan plan: the prefilters of its items compiled into one
// pattern set (and, for identifier detectors, the identifier feature pass),
// so that a scan passes over each part once and then lets every item read
// only the parts, or stretches of parts, where it can match.
//
// The items still run in order, each over the whole area as it always does
// (part selection, the kind-8 rule, budgets and caps, the logger calls in
// their order): a plan only tells an item where its matcher would find
// nothing, so every score and record is the one the scan without a plan
// gives. The prefilter of each kind of item says why it is a superset:
// plain words count their literal exactly (candidate_table.h), wildcard
// patterns in wildcard_superset.h, administrators' expressions in
// regex_prefilter.h, identifiers in identifier_features.h.
#ifndef VESSAMUND_SRC_SCAN_SCAN_PLAN_H_
#define VESSAMUND_SRC_SCAN_SCAN_PLAN_H_

#include <cstdint>
#include <memory>
#include <vector>

#include "items/hinted_scan.h"
#include "items/identifier_features.h"
#include "items/kinds/pattern_kind.h"
#include "outside/pattern_set.h"
#include "items/candidate_table.h"
#include "vessamund/dictionary_item.h"

namespace Vessamund {
namespace internal {

// Immutable once built: any number of threads may scan with one plan at once
// (each uses its own thread's candidate table and pattern scratch).
class ScanPlan {
 public:
  // Fewer items with a prefilter than this, and a scan does not pay for a
  // pass: each item reads the parts itself, as without a plan.
  static constexpr unsigned int kMinPrefilteredItems = 1;

  // Builds the plan of `items`, in their order, each made as `kinds` says
  // (its prefilter; a null kind: an item made elsewhere, which reads every
  // part); with fewer than `minPrefiltered` prefiltered items it is not
  // worthwhile. Configuration work: allocates, compiles a pattern set (long
  // for large dictionaries). REQUIRES: kinds.size() == items.size();
  // `items` stays alive and unchanged while the plan is used.
  static std::unique_ptr<ScanPlan> build(std::vector<Ref<DictionaryItemImpl>> const& items,
                                         std::vector<PatternKind const*> const& kinds,
                                         unsigned int minPrefiltered = kMinPrefilteredItems);

  // False when a scan would gain nothing: too few items with a prefilter.
  // Scans then run without the plan.
  bool worthwhile() const { return prefiltered_ != 0 && prefiltered_ >= minPrefiltered_; }

  // How many items have a prefilter.
  unsigned int prefilteredItems() const { return prefiltered_; }

 private:
  friend class PlannedScan;
  static constexpr uint32_t kNoSignal = UINT32_MAX;

  struct Entry {
    enum Kind : uint8_t { kOpaque, kContain, kWildcard, kRegex, kIdentifier };
    Kind kind;
    uint16_t code;          // kIdentifier: the detector's code
    uint32_t signal;        // kContain, kWildcard, kRegex; kNoSignal: reads every part
    uint32_t firstFeature;  // kIdentifier: its expressions' features in features_;
                            // kNoSignal: reads every part
  };

  ScanPlan() = default;

  std::vector<Entry> entries_;  // one per item, in the dictionary's order
  // Each entry's handle in the dictionary's list (unchanged while the plan
  // is used).
  std::vector<Ref<DictionaryItemImpl> const*> handles_;
  // Entries without a prefilter, which every scan asks, in order.
  std::vector<uint32_t> alwaysAsked_;
  // For each signal, the entries it prefilters: signalEntries_ from
  // signalEntryStart_[s] to signalEntryStart_[s + 1].
  std::vector<uint32_t> signalEntryStart_;
  std::vector<uint32_t> signalEntries_;
  // The pattern set's patterns first (signal = pattern id), then the
  // identifier features.
  std::vector<Signal> signals_;
  std::vector<IdentifierHints::Features> features_;
  std::unique_ptr<PatternSet> set_;  // null when no item needs one
  uint16_t setArea_ = 0;      // every area an item prefiltered by set_ reads
  uint16_t featureArea_ = 0;  // every area a prefiltered detector reads
  unsigned int featuresWanted_ = 0;  // bit per IdentifierFeature
  uint32_t featureSignal_[kFeatureCount] = {};
  uint32_t longBlankRun_ = kNoSignal;
  unsigned int prefiltered_ = 0;
  unsigned int minPrefiltered_ = kMinPrefilteredItems;
};

// One dictionary scan with a plan, on the calling thread. Borrows the
// thread's candidate table for its lifetime; a scan started from inside
// another one on the same thread (from a progress callback) finds the table
// taken and runs without the plan.
class PlannedScan {
 public:
  // `plan` may be null or not worthwhile: every item then scans as without.
  PlannedScan(ScanPlan const* plan, DScanAreaImpl* area);
  ~PlannedScan();
  PlannedScan(PlannedScan const&) = delete;
  PlannedScan& operator=(PlannedScan const&) = delete;

  // The score of the dictionary's item number `index`, which is `item`,
  // exactly as item.scan(area, budget, logger) gives it. The first call that
  // needs the pass makes it: one pass of the pattern set over every part
  // some prefiltered item could read. Allocates nothing on a thread whose
  // table and scratch have seen a message this large before.
  unsigned long scanItem(size_t index, DictionaryItemImpl& item, unsigned long budget,
                         DictionaryMatchLogger& logger);

  // True when item number `index` surely scores 0 and logs nothing: the
  // pass found none of its prefilter in any part. Makes the pass if it is
  // not made yet. Cheap: a dictionary of many words asks it of every item.
  bool skippable(size_t index);

  // Whether the scan uses the plan at all.
  bool active() const { return plan_ != nullptr; }

  // The numbers of the items that are not skippable, ascending: the items
  // a scan without a progress callback needs to ask. Makes the pass. Costs
  // in proportion to the signals that matched, not to the dictionary.
  // Valid until the next call on this thread's table.
  // REQUIRES: active().
  std::vector<uint32_t> const& askedItems();

  // Item number `index` as the dictionary holds it. REQUIRES: active().
  Ref<DictionaryItemImpl> const& item(size_t index) const { return *plan_->handles_[index]; }

 private:
  bool prefiltered(ScanPlan::Entry const& entry) const {
    return entry.kind == ScanPlan::Entry::kIdentifier ? entry.firstFeature != ScanPlan::kNoSignal
                                                      : entry.signal != ScanPlan::kNoSignal;
  }
  bool mayMatch(ScanPlan::Entry const& entry) const;
  void pass();

  ScanPlan const* plan_;  // null: scan without the plan
  DScanAreaImpl* area_;
  CandidateTable* table_ = nullptr;
  bool passed_ = false;
};

}  // namespace internal
}  // namespace Vessamund

#endif  // VESSAMUND_SRC_SCAN_SCAN_PLAN_H_
