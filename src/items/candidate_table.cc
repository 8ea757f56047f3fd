// The candidate table (candidate_table.h): records kept during the pass,
// ranges merged part by part, cursors for the items.
#include "items/candidate_table.h"

#include <algorithm>
#include <cstring>

namespace Vessamund {
namespace internal {

CandidateTable::Limits CandidateTable::limits_;

void CandidateTable::reset(Signal const* signals, uint32_t signalCount) {
  signals_ = signals;
  head_.assign(signalCount, kNoRecord);
  tail_.assign(signalCount, kNoRecord);
  partCounts_.assign(signalCount, PartCount{kNoRecord, 0, 0, 0});
  sumsOf_.assign(signalCount, kNoRecord);
  counted_.clear();
  sums_.clear();
  maskCount_ = 0;
  nulParts_.clear();
  records_.clear();
  found_.clear();
  ranges_.clear();
  raw_.clear();
  part_ = 0;
  knownParts_ = 0;
  recordsFrom_ = kNoRecord;
  recordsKnown_ = 0;
  countsComplete_ = false;
  complete_ = false;
  full_ = false;
}

void CandidateTable::beginPart(uint32_t ordinal, char const* text, uint32_t length,
                               uint16_t mask) {
  part_ = ordinal;
  text_ = text;
  length_ = length;
  counted_.clear();
  raw_.clear();
  maskIndex_ = 0;
  while (maskIndex_ < maskCount_ && masks_[maskIndex_] != mask) ++maskIndex_;
  if (maskIndex_ == maskCount_) {
    // Too many different masks to sum by: the part is left unknown at its
    // first count (count() refuses it).
    if (maskCount_ < limits_.masks) masks_[maskCount_++] = mask;
  }
}

CandidateTable::Record* CandidateTable::recordFor(uint32_t signal) {
  if (part_ >= recordsFrom_) return nullptr;
  uint32_t const tail = tail_[signal];
  if (tail != kNoRecord && records_[tail].part == part_) return &records_[tail];
  if (records_.size() >= limits_.records) {
    recordsFrom_ = part_;
    return nullptr;
  }
  uint32_t const index = static_cast<uint32_t>(records_.size());
  records_.push_back(Record{part_, kNoRecord, 0, 0, kNoRecord, false});
  if (tail == kNoRecord) {
    head_[signal] = index;
    found_.push_back(signal);
  } else {
    records_[tail].next = index;
  }
  tail_[signal] = index;
  return &records_.back();
}

bool CandidateTable::count(uint32_t signal, uint32_t end) {
  if (maskIndex_ == maskCount_) {
    full_ = true;  // no sum for this part's mask
    return false;
  }
  PartCount& c = partCounts_[signal];
  if (c.part != part_) {
    if (sumsOf_[signal] == kNoRecord) {
      sumsOf_[signal] = static_cast<uint32_t>(sums_.size());
      sums_.resize(sums_.size() + kMaxMasks, 0);
      found_.push_back(signal);
    }
    c = PartCount{part_, 0, 0, 0};
    counted_.push_back(signal);
  }
  // Occurrences of one literal all have its length, so taking them in order
  // of their ends is taking them in order of their starts: the first one
  // that starts at or after the end of the last counted one is the one
  // strcasestr would find next. That holds only if the ends come in order;
  // when they do not, the signal's parts are counted the full way.
  if (end < c.lastSeen) sumsOf_[signal] = kInexact;
  c.lastSeen = std::max(c.lastSeen, end);
  uint32_t const length = signals_[signal].length;
  if (end >= length && end - length >= c.lastEnd) {
    ++c.count;
    c.lastEnd = end;
  }
  return true;
}

bool CandidateTable::onMatch(uint32_t signal, uint64_t end64, uint32_t from) {
  Signal const& s = signals_[signal];
  // Parts are at most 4 GiB - 1 bytes long, so every end fits.
  uint32_t const end = static_cast<uint32_t>(end64);
  if (s.kind == SignalKind::kCount) return count(signal, end);
  Record* r = recordFor(signal);
  if (r == nullptr) return true;  // records full: counts go on
  switch (s.kind) {
    case SignalKind::kCount:
      break;
    case SignalKind::kRanges: {
      uint32_t first = end > s.reach ? end - s.reach : 0;
      if (from != kNoFrom && s.lead != kNoLead) {
        uint32_t const floor = from > s.lead ? from - s.lead : 0;
        if (floor > first) first = floor;
      }
      addRange(r, first, end);
      break;
    }
    case SignalKind::kPresence:
      break;
  }
  return true;
}

bool CandidateTable::onRange(uint32_t signal, uint32_t first, uint32_t last) {
  Record* r = recordFor(signal);
  if (r == nullptr) return true;
  addRange(r, first, last);
  return true;
}

void CandidateTable::addRange(Record* r, uint32_t first, uint32_t last) {
  if (r->rangesLost) return;
  if (r->lastRaw != kNoRecord) {
    // Ends mostly come in order, so most ranges touch the one before.
    RawRange& previous = raw_[r->lastRaw];
    if (first <= uint64_t{previous.last} + 1 && uint64_t{last} + 1 >= previous.first) {
      previous.first = std::min(previous.first, first);
      previous.last = std::max(previous.last, last);
      return;
    }
  }
  if (raw_.size() >= limits_.rawRanges) {
    r->rangesLost = true;
    return;
  }
  r->lastRaw = static_cast<uint32_t>(raw_.size());
  raw_.push_back(RawRange{static_cast<uint32_t>(r - records_.data()), first, last});
}

bool CandidateTable::endPart(bool complete) {
  if (!counted_.empty() && complete) {
    // strcasestr stops at the first zero byte; counts taken from the pass
    // hold only for parts without one, and the others are read again.
    if (std::memchr(text_, 0, length_) != nullptr) {
      if (nulParts_.size() >= limits_.nulParts) {
        complete = false;
      } else {
        nulParts_.push_back(part_);
      }
    } else {
      for (uint32_t signal : counted_) {
        uint32_t const sums = sumsOf_[signal];
        if (sums != kInexact) sums_[sums + maskIndex_] += partCounts_[signal].count;
      }
    }
  }
  counted_.clear();
  if (raw_.empty()) return complete;
  std::sort(raw_.begin(), raw_.end(), [](RawRange const& a, RawRange const& b) {
    return a.record != b.record ? a.record < b.record : a.first < b.first;
  });
  for (size_t i = 0; i < raw_.size();) {
    Record& r = records_[raw_[i].record];
    size_t j = i;
    r.firstRange = static_cast<uint32_t>(ranges_.size());
    while (j < raw_.size() && raw_[j].record == raw_[i].record) {
      StartRange merged{raw_[j].first, raw_[j].last};
      for (++j; j < raw_.size() && raw_[j].record == raw_[i].record &&
                raw_[j].first <= uint64_t{merged.last} + 1;
           ++j) {
        merged.last = std::max(merged.last, raw_[j].last);
      }
      if (ranges_.size() >= limits_.ranges) {
        r.rangesLost = true;
        break;
      }
      ranges_.push_back(merged);
    }
    r.rangeCount = static_cast<uint32_t>(ranges_.size()) - r.firstRange;
    while (j < raw_.size() && raw_[j].record == raw_[i].record) ++j;
    i = j;
  }
  raw_.clear();
  return complete;
}

void CandidateTable::finish(uint32_t partCount) {
  knownParts_ = full_ ? part_ : partCount;
  recordsKnown_ = std::min(knownParts_, recordsFrom_);
  countsComplete_ = !full_;
  complete_ = countsComplete_ && recordsFrom_ == kNoRecord;
}

bool CandidateTable::mayMatch(uint32_t signal) const {
  if (signals_[signal].kind == SignalKind::kCount) {
    return !countsComplete_ || sumsOf_[signal] != kNoRecord;
  }
  return !complete_ || head_[signal] != kNoRecord;
}

CandidateTable::Cursor::Cursor(CandidateTable const* table, uint32_t signal)
    : table_(table), signal_(signal), record_(table->head_[signal]) {}

CountTotals CandidateTable::Cursor::totals(uint16_t scanArea) const {
  CountTotals t{0, !table_->countsComplete_ || !table_->nulParts_.empty()};
  uint32_t const sums = table_->sumsOf_[signal_];
  if (sums == kInexact) return CountTotals{0, true};
  if (sums == kNoRecord) return t;
  for (uint32_t m = 0; m < table_->maskCount_; ++m) {
    if ((table_->masks_[m] & scanArea) != 0) t.count += table_->sums_[sums + m];
  }
  return t;
}

bool CandidateTable::Cursor::readsPart(uint32_t ordinal) const {
  if (ordinal >= table_->knownParts_ || table_->sumsOf_[signal_] == kInexact) return true;
  auto const& nul = table_->nulParts_;
  return std::binary_search(nul.begin(), nul.end(), ordinal);
}

PartCandidates CandidateTable::Cursor::at(uint32_t ordinal) {
  PartCandidates pc{};
  if (ordinal >= table_->recordsKnown_) {
    pc.state = PartCandidates::kUnknown;
    return pc;
  }
  auto const& records = table_->records_;
  while (record_ != kNoRecord && records[record_].part < ordinal) record_ = records[record_].next;
  if (record_ == kNoRecord || records[record_].part != ordinal) {
    pc.state = PartCandidates::kNone;
    return pc;
  }
  Record const& r = records[record_];
  pc.state = PartCandidates::kFound;
  pc.wholePart = r.rangesLost;
  pc.ranges = r.rangesLost ? nullptr : table_->ranges_.data() + r.firstRange;
  pc.rangeCount = r.rangesLost ? 0 : r.rangeCount;
  return pc;
}

}  // namespace internal
}  // namespace Vessamund
