// The candidate table (candidate_table.h): records kept during the pass,
// ranges merged part by part, cursors for the items.
#include "items/candidate_table.h"

#include <algorithm>
#include <cstring>

namespace Vessamund {
namespace internal {

void CandidateTable::reset(Signal const* signals, uint32_t signalCount) {
  signals_ = signals;
  head_.assign(signalCount, kNoRecord);
  tail_.assign(signalCount, kNoRecord);
  records_.clear();
  found_.clear();
  ranges_.clear();
  raw_.clear();
  partHasNul_.clear();
  part_ = 0;
  knownParts_ = 0;
  complete_ = false;
  full_ = false;
}

void CandidateTable::beginPart(uint32_t ordinal, char const* text, uint32_t length) {
  part_ = ordinal;
  text_ = text;
  length_ = length;
  counted_ = false;
  raw_.clear();
  if (partHasNul_.size() <= ordinal) partHasNul_.resize(ordinal + 1, 0);
}

CandidateTable::Record* CandidateTable::recordFor(uint32_t signal) {
  uint32_t const tail = tail_[signal];
  if (tail != kNoRecord && records_[tail].part == part_) return &records_[tail];
  if (records_.size() >= kMaxRecords) {
    full_ = true;
    return nullptr;
  }
  uint32_t const index = static_cast<uint32_t>(records_.size());
  records_.push_back(Record{part_, kNoRecord, 0, 0, 0, 0, 0, kNoRecord, false, false});
  if (tail == kNoRecord) {
    head_[signal] = index;
    found_.push_back(signal);
  } else {
    records_[tail].next = index;
  }
  tail_[signal] = index;
  return &records_.back();
}

bool CandidateTable::onMatch(uint32_t signal, uint64_t end64, uint32_t from) {
  Signal const& s = signals_[signal];
  Record* r = recordFor(signal);
  if (r == nullptr) return false;
  // Parts are at most 4 GiB - 1 bytes long, so every end fits.
  uint32_t const end = static_cast<uint32_t>(end64);
  switch (s.kind) {
    case SignalKind::kCount:
      counted_ = true;
      // Occurrences of one literal all have its length, so taking them in
      // order of their ends is taking them in order of their starts: the
      // first one that starts at or after the end of the last counted one is
      // the one strcasestr would find next. That holds only if the ends come
      // in order; when they do not, the part is counted the full way.
      if (end < r->lastSeen) r->outOfOrder = true;
      r->lastSeen = std::max(r->lastSeen, end);
      if (end >= s.length && end - s.length >= r->lastEnd) {
        ++r->count;
        r->lastEnd = end;
      }
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
  if (r == nullptr) return false;
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
  if (raw_.size() >= kMaxRawRanges) {
    r->rangesLost = true;
    return;
  }
  r->lastRaw = static_cast<uint32_t>(raw_.size());
  raw_.push_back(RawRange{static_cast<uint32_t>(r - records_.data()), first, last});
}

void CandidateTable::endPart() {
  // strcasestr stops at the first zero byte; counts taken from the pass
  // hold only for parts without one.
  if (counted_) partHasNul_[part_] = std::memchr(text_, 0, length_) != nullptr ? 1 : 0;
  if (raw_.empty()) return;
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
      if (ranges_.size() >= kMaxRanges) {
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
}

void CandidateTable::finish(uint32_t partCount) {
  knownParts_ = full_ ? part_ : partCount;
  complete_ = !full_;
}

bool CandidateTable::mayMatch(uint32_t signal) const {
  return !complete_ || head_[signal] != kNoRecord;
}

CandidateTable::Cursor::Cursor(CandidateTable const* table, uint32_t signal)
    : table_(table), record_(table->head_[signal]) {}

PartCandidates CandidateTable::Cursor::at(uint32_t ordinal) {
  PartCandidates pc{};
  if (ordinal >= table_->knownParts_) {
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
  pc.count = r.count;
  pc.countExact = !r.outOfOrder && (ordinal >= table_->partHasNul_.size() ||
                                     table_->partHasNul_[ordinal] == 0);
  pc.wholePart = r.rangesLost;
  pc.ranges = r.rangesLost ? nullptr : table_->ranges_.data() + r.firstRange;
  pc.rangeCount = r.rangesLost ? 0 : r.rangeCount;
  return pc;
}

}  // namespace internal
}  // namespace Vessamund
