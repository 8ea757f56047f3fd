// Building a scan plan from a dictionary's items, and one scan with it: the
// pass over the parts, then each item with its hints (scan_plan.h).
#include "scan/scan_plan.h"

#include <algorithm>
#include <map>
#include <string>
#include <utility>

#include "items/regex_prefilter.h"
#include "items/wildcard_superset.h"
#include "items/item_scan.h"
#include "vessamund/regex_item.h"

namespace Vessamund {
namespace internal {

namespace {

// Collects the patterns of a plan, one signal each; items that share a
// pattern share its signal.
class SignalCollector {
 public:
  uint32_t add(SetPattern const& pattern, Signal const& signal) {
    std::string key = pattern.expression;
    key += '\0';
    key += static_cast<char>('0' + pattern.flags);
    key += static_cast<char>('0' + static_cast<int>(signal.kind));
    key += std::to_string(signal.reach) + '/' + std::to_string(signal.lead);
    auto found = index_.find(key);
    if (found != index_.end()) return found->second;
    uint32_t const id = static_cast<uint32_t>(patterns.size());
    patterns.push_back(pattern);
    signals.push_back(signal);
    index_.emplace(std::move(key), id);
    return id;
  }

  std::vector<SetPattern> patterns;
  std::vector<Signal> signals;

 private:
  std::map<std::string, uint32_t> index_;
};

CandidateTable& threadTable() {
  thread_local CandidateTable table;
  return table;
}

class TableSink : public SetMatchSink {
 public:
  explicit TableSink(CandidateTable& table) : table_(table) {}
  bool onMatch(unsigned int id, uint64_t end) override { return table_.onMatch(id, end); }

 private:
  CandidateTable& table_;
};

// Identifier features into their signals. Remembers when the table filled
// up, since the feature pass cannot be stopped half-way.
class FeatureTableSink : public FeatureSink {
 public:
  FeatureTableSink(CandidateTable& table, uint32_t const* signals, uint32_t longRun)
      : table_(table), signals_(signals), longRun_(longRun) {}
  void feature(IdentifierFeature f, uint32_t end, uint32_t from) override {
    full_ = full_ || !table_.onMatch(signals_[f], end, from);
  }
  void longRun(uint32_t first, uint32_t last) override {
    full_ = full_ || !table_.onRange(longRun_, first, last);
  }
  bool full() const { return full_; }

 private:
  CandidateTable& table_;
  uint32_t const* signals_;
  uint32_t longRun_;
  bool full_ = false;
};

}  // namespace

std::unique_ptr<ScanPlan> ScanPlan::build(std::vector<Ref<DictionaryItemImpl>> const& items,
                                          std::vector<PatternKind const*> const& kinds,
                                          unsigned int minPrefiltered) {
  std::unique_ptr<ScanPlan> plan(new ScanPlan);
  plan->minPrefiltered_ = minPrefiltered;
  SignalCollector collector;
  // Identifier features are signals after the set's patterns; their reach
  // is the largest any expression of the dictionary needs.
  uint32_t featureReach[kFeatureCount] = {};
  uint32_t featureLead[kFeatureCount] = {};
  std::vector<std::vector<IdentifierFeature>> entryFeatures;
  for (size_t i = 0; i < items.size(); ++i) {
    Ref<DictionaryItemImpl> const& ref = items[i];
    Entry entry{Entry::kOpaque, 0, kNoSignal, kNoSignal};
    plan->handles_.push_back(&ref);
    // An empty handle, or an item of no known kind (made elsewhere: it may
    // scan its own way), stays for the scan to meet in its turn.
    if (ref.empty() || kinds[i] == nullptr) {
      plan->entries_.push_back(entry);
      continue;
    }
    DictionaryItemImpl const& item = *ref.get();
    Prefilter const kindPrefilter = kinds[i]->prefilter;
    if (kindPrefilter == Prefilter::kLiteral) {
      entry.kind = Entry::kContain;
      // Every occurrence, so that the part's count can be taken from the
      // pass. An empty word is found everywhere; it needs no pass.
      if (!item.pattern.empty()) {
        entry.signal = collector.add(
            SetPattern{setLiteral(item.pattern, true), 0},
            Signal{SignalKind::kCount, static_cast<uint32_t>(item.pattern.size()), 0, kNoLead});
      }
    } else if (kindPrefilter == Prefilter::kWildcard) {
      entry.kind = Entry::kWildcard;
      std::string const superset = wildcardSuperset(item.pattern.c_str());
      if (!superset.empty()) {
        entry.signal = collector.add(SetPattern{superset, kSetSingleMatch},
                                     Signal{SignalKind::kPresence, 0, 0, kNoLead});
      }
    } else if (kindPrefilter == Prefilter::kExpression) {
      entry.kind = Entry::kRegex;
      SetPattern prefilter;
      if (regexPrefilter(static_cast<DictionaryRegex const&>(item), &prefilter)) {
        entry.signal = collector.add(prefilter, Signal{SignalKind::kPresence, 0, 0, kNoLead});
      }
    } else if (kindPrefilter == Prefilter::kIdentifier) {
      uint16_t const code = kinds[i]->code;
      entry.kind = Entry::kIdentifier;
      entry.code = code;
      unsigned int count = 0;
      Regex::Expression const* expressions = identifierExpressions(code, &count);
      uint32_t const first = static_cast<uint32_t>(plan->features_.size());
      bool complete = true;
      for (unsigned int i = 0; i < count; ++i) {
        FeatureUse uses[IdentifierHints::kMaxFeatures];
        IdentifierHints::Features f{};
        f.count = static_cast<uint8_t>(identifierFeaturesOf(expressions[i].get(), uses));
        if (f.count == 0) complete = false;
        for (int k = 0; k < f.count; ++k) {
          // The signal number is filled in once the set's patterns are known.
          f.signal[k] = uses[k].feature;
          plan->featuresWanted_ |= 1u << uses[k].feature;
          uint32_t& reach = featureReach[uses[k].feature];
          uint32_t& lead = featureLead[uses[k].feature];
          if (uses[k].reach > reach) reach = uses[k].reach;
          if (uses[k].lead > lead) lead = uses[k].lead;
        }
        plan->features_.push_back(f);
      }
      if (complete) entry.firstFeature = first;
    }
    plan->entries_.push_back(entry);
  }

  std::vector<bool> dead(collector.patterns.size(), false);
  if (!collector.patterns.empty()) {
    std::vector<unsigned int> refused;
    plan->set_ = PatternSet::compile(collector.patterns, &refused);
    // A refused pattern never reports, which would read as "nothing here":
    // its items read every part instead.
    if (plan->set_ == nullptr) dead.assign(dead.size(), true);
    for (unsigned int id : refused) dead[id] = true;
  }
  plan->signals_ = std::move(collector.signals);
  for (int f = 0; f < kFeatureCount; ++f) {
    plan->featureSignal_[f] = kNoSignal;
    if (plan->featuresWanted_ & (1u << f)) {
      plan->featureSignal_[f] = static_cast<uint32_t>(plan->signals_.size());
      plan->signals_.push_back(Signal{SignalKind::kRanges, 0, featureReach[f], featureLead[f]});
    }
  }
  if (plan->featuresWanted_ != 0) {
    plan->longBlankRun_ = static_cast<uint32_t>(plan->signals_.size());
    plan->signals_.push_back(Signal{SignalKind::kRanges, 0, 0, kNoLead});
  }
  for (auto& f : plan->features_) {
    for (int k = 0; k < f.count; ++k) f.signal[k] = plan->featureSignal_[f.signal[k]];
  }

  std::vector<std::vector<uint32_t>> entriesOf(plan->signals_.size());
  auto it = items.begin();
  for (uint32_t index = 0; index < plan->entries_.size(); ++index) {
    Entry& entry = plan->entries_[index];
    DictionaryItemImpl const* item = (it++)->get();
    if (entry.kind == Entry::kIdentifier && entry.firstFeature != kNoSignal) {
      plan->featureArea_ |= item->scan_area;
      unsigned int count = 0;
      identifierExpressions(entry.code, &count);
      for (unsigned int i = 0; i < count; ++i) {
        auto const& f = plan->features_[entry.firstFeature + i];
        for (int k = 0; k < f.count; ++k) entriesOf[f.signal[k]].push_back(index);
      }
    } else if (entry.kind != Entry::kIdentifier && entry.signal != kNoSignal &&
               !dead[entry.signal]) {
      plan->setArea_ |= item->scan_area;
      entriesOf[entry.signal].push_back(index);
    } else {
      if (entry.kind != Entry::kIdentifier) entry.signal = kNoSignal;
      plan->alwaysAsked_.push_back(index);
      continue;
    }
    ++plan->prefiltered_;
  }
  for (auto const& list : entriesOf) {
    plan->signalEntryStart_.push_back(static_cast<uint32_t>(plan->signalEntries_.size()));
    plan->signalEntries_.insert(plan->signalEntries_.end(), list.begin(), list.end());
  }
  plan->signalEntryStart_.push_back(static_cast<uint32_t>(plan->signalEntries_.size()));
  return plan;
}

PlannedScan::PlannedScan(ScanPlan const* plan, DScanAreaImpl* area)
    : plan_(plan != nullptr && plan->worthwhile() && area != nullptr ? plan : nullptr),
      area_(area) {
  if (plan_ == nullptr) return;
  table_ = &threadTable();
  if (!table_->acquire()) {
    plan_ = nullptr;
    table_ = nullptr;
  }
}

PlannedScan::~PlannedScan() {
  if (table_ != nullptr) table_->release();
}

void PlannedScan::pass() {
  passed_ = true;
  CandidateTable& table = *table_;
  table.reset(plan_->signals_.data(), static_cast<uint32_t>(plan_->signals_.size()));
  PatternSet const* set = plan_->set_.get();
  if (set != nullptr && !set->prepareThread()) {
    table.stopAt(0);  // no scratch: every part reads the full way
    table.finish(0);
    return;
  }
  // Every part some prefiltered item could select: the selection of one
  // item differs from this only by parts it leaves out.
  uint16_t const area = plan_->setArea_ | plan_->featureArea_;
  PartSelector selector(area, /*skipAfterHit=*/false);
  TableSink sink(table);
  FeatureTableSink features(table, plan_->featureSignal_, plan_->longBlankRun_);
  uint32_t ordinal = 0;
  for (DScanAreaPart* part = area_->first(); part != nullptr; part = area_->next(), ++ordinal) {
    if (!selector.select(*part) || part->text == nullptr) continue;
    // A part no item of a kind can select needs no pass of that kind: its
    // items never ask about it.
    uint16_t const mask = selector.lastMask();
    table.beginPart(ordinal, part->text, part->length, mask & plan_->setArea_);
    bool complete = true;
    if (set != nullptr && (mask & plan_->setArea_) != 0) {
      complete = set->scan(part->text, part->length, sink);
    }
    // Features only make records: once records are full they are not looked for.
    if (complete && plan_->featuresWanted_ != 0 && (mask & plan_->featureArea_) != 0 &&
        !table.recordsFull()) {
      findIdentifierFeatures(part->text, part->length, plan_->featuresWanted_, features);
      complete = !features.full();
    }
    if (!table.endPart(complete)) {
      // Full, or the engine failed: nothing from here on is known.
      table.stopAt(ordinal);
      break;
    }
  }
  table.finish(ordinal);
}

bool PlannedScan::mayMatch(ScanPlan::Entry const& entry) const {
  if (entry.kind != ScanPlan::Entry::kIdentifier) return table_->mayMatch(entry.signal);
  unsigned int count = 0;
  identifierExpressions(entry.code, &count);
  for (unsigned int i = 0; i < count; ++i) {
    auto const& f = plan_->features_[entry.firstFeature + i];
    for (int k = 0; k < f.count; ++k) {
      if (table_->mayMatch(f.signal[k])) return true;
    }
  }
  return false;
}

bool PlannedScan::skippable(size_t index) {
  if (plan_ == nullptr) return false;
  ScanPlan::Entry const& entry = plan_->entries_[index];
  if (!prefiltered(entry)) return false;
  if (!passed_) pass();
  // Found in no part: the item's own walk would count nothing and log
  // nothing.
  return !mayMatch(entry);
}

std::vector<uint32_t> const& PlannedScan::askedItems() {
  if (!passed_) pass();
  std::vector<uint32_t>& asked = table_->itemBuffer();
  asked = plan_->alwaysAsked_;
  if (!table_->complete()) {
    // Some part is unknown to some signals: their items may match there.
    for (uint32_t s = 0; s + 1 < plan_->signalEntryStart_.size(); ++s) {
      if (!table_->mayMatch(s)) continue;
      asked.insert(asked.end(), plan_->signalEntries_.begin() + plan_->signalEntryStart_[s],
                   plan_->signalEntries_.begin() + plan_->signalEntryStart_[s + 1]);
    }
  } else {
    for (uint32_t s : table_->signalsFound()) {
      asked.insert(asked.end(), plan_->signalEntries_.begin() + plan_->signalEntryStart_[s],
                   plan_->signalEntries_.begin() + plan_->signalEntryStart_[s + 1]);
    }
  }
  std::sort(asked.begin(), asked.end());
  asked.erase(std::unique(asked.begin(), asked.end()), asked.end());
  return asked;
}

unsigned long PlannedScan::scanItem(size_t index, DictionaryItemImpl& item, unsigned long budget,
                                    DictionaryMatchLogger& logger) {
  if (plan_ == nullptr) return item.scan(area_, budget, logger);
  ScanPlan::Entry const& entry = plan_->entries_[index];
  // Nothing to learn, or nothing to count: the item as it is.
  if (!prefiltered(entry) || maxMatchCount(item, budget) == 0) {
    return item.scan(area_, budget, logger);
  }
  if (!passed_) pass();
  if (!mayMatch(entry)) return 0;
  CandidateTable& table = *table_;
  switch (entry.kind) {
    case ScanPlan::Entry::kContain:
    case ScanPlan::Entry::kWildcard:
    case ScanPlan::Entry::kRegex: {
      CandidateTable::Cursor hints = table.cursor(entry.signal);
      if (entry.kind == ScanPlan::Entry::kContain) return scanContain(item, area_, budget, &hints);
      if (entry.kind == ScanPlan::Entry::kWildcard) {
        return scanWildcard(item, area_, budget, logger, &hints);
      }
      return scanRegex(static_cast<DictionaryRegex const&>(item), area_, budget, logger, &hints);
    }
    case ScanPlan::Entry::kIdentifier: {
      IdentifierHints const hints{&table, &plan_->features_[entry.firstFeature],
                                  plan_->longBlankRun_};
      return scanIdentifierItem(item, entry.code, area_, budget, logger, &hints);
    }
    case ScanPlan::Entry::kOpaque:
      break;
  }
  return item.scan(area_, budget, logger);
}

}  // namespace internal
}  // namespace Vessamund
