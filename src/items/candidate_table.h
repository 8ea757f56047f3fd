// What one pass over a message found, signal by signal and part by part: the
// table a planned scan fills before its items run, and the cursors through
// which each item learns, per part, whether it can match there and where.
//
// A signal is one prefilter pattern of a scan plan (src/scan/scan_plan.h). A
// kPresence or kRanges signal has a record for each part in which it matched
// at least once; a part without a record is a part where the signal's items
// provably cannot match. A kCount signal keeps no record per part: its counts
// are summed over the message by the mask its parts are selected with, which
// is all a plain word's score needs, so that many words in many parts cost no
// more memory than in one.
#ifndef VESSAMUND_SRC_SCAN_CANDIDATE_TABLE_H_
#define VESSAMUND_SRC_SCAN_CANDIDATE_TABLE_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "outside/ranged_search.h"

namespace Vessamund {
namespace internal {

using Regex::StartRange;

// How a signal's matches are kept.
enum class SignalKind : uint8_t {
  kPresence,  // only whether it matched in the part
  kCount,     // a literal: its non-overlapping occurrences, counted as
              // strcasestr's search-and-skip loop counts them, summed per
              // selection mask (CandidateTable::Cursor::totals)
  kRanges,    // each match end e gives the start range [e - reach, e],
              // narrowed to [from - lead, e] when the match says where
              // the characters it counted begin (`from`)
};

constexpr uint32_t kNoLead = UINT32_MAX;

struct Signal {
  SignalKind kind;
  uint32_t length;  // kCount: the literal's length in bytes
  uint32_t reach;   // kRanges: how far before a match end a candidate may start
  uint32_t lead;    // kRanges: how far before `from` it may start; kNoLead: no bound
};

// One part as a signal saw it.
struct PartCandidates {
  enum State : uint8_t {
    kUnknown,  // the pass did not cover the part: read it the full way
    kNone,     // the signal did not match in it
    kFound,
  };
  State state;
  // kRanges, kFound: sorted, disjoint start ranges; none when `wholePart`
  // (too many to keep: search the whole part).
  bool wholePart;
  StartRange const* ranges;
  uint32_t rangeCount;
};

// What a kCount signal found in the parts an item selects: `count`
// occurrences in the parts the pass could count, and whether some selected
// part must still be read the full way (`readParts`: then readsPart() says
// which).
struct CountTotals {
  uint64_t count;
  bool readParts;
};

// Per-thread working memory of planned scans: reset at the start of every
// scan, grown on demand and never shrunk, so a warmed-up thread scans without
// allocating. Bounded whatever the message: at most kMaxWorkingBytes plus
// kBytesPerSignal for each signal of the plan and 8 bytes for each item
// (besides the engine's scratch, one per thread and pattern set).
// Past kMaxRecords records the pass keeps no more records but goes on
// summing counts: the items of the other signals read the later parts the
// full way, the words do not. Past kMaxNulParts parts with a zero byte or
// kMaxMasks selection masks it stops, and every later part reads the full
// way. Past kMaxRanges ranges, or kMaxRawRanges ranges in one part, the
// signal concerned searches the whole part.
class CandidateTable {
 public:
  static constexpr uint32_t kNoRecord = UINT32_MAX;
  static constexpr uint32_t kMaxRecords = 1u << 17;
  static constexpr uint32_t kMaxRanges = 1u << 19;
  static constexpr uint32_t kMaxRawRanges = 1u << 19;  // per part, before merging
  static constexpr uint32_t kMaxNulParts = 1u << 12;
  static constexpr uint32_t kMaxMasks = 16;
  // What those bounds come to: records, merged and raw ranges, an item's
  // joined ranges and the parts with a zero byte; and what each signal adds
  // (counts and sums of kCount signals, list heads). Vectors grow by
  // doubling up to the bounds, which are powers of two.
  static constexpr size_t kMaxWorkingBytes = (17u << 20) + (16u << 10);
  static constexpr size_t kBytesPerSignal = 384;

  // The bounds in force: the constants above, or smaller ones (never larger)
  // that tests set, before any scan and on one thread, to make ordinary
  // messages overflow.
  struct Limits {
    uint32_t records = kMaxRecords;
    uint32_t ranges = kMaxRanges;
    uint32_t rawRanges = kMaxRawRanges;
    uint32_t nulParts = kMaxNulParts;
    uint32_t masks = kMaxMasks;
  };
  static void setLimitsForTesting(Limits const& limits) { limits_ = limits; }

  // Starts a pass over a message for `signals` (borrowed until the next
  // reset). Every part counts as unknown until the pass has covered it.
  void reset(Signal const* signals, uint32_t signalCount);

  // Pass, in part order: beginPart (with the part's bytes, borrowed until
  // endPart, and the mask the part is selected with), the engine's matches
  // through onMatch, endPart; finish with the number of parts walked once
  // they run out (parts the pass skipped count as covered: nothing matched
  // there). onMatch returns false when the table can take no more counts:
  // the pass must stop, and this part and every later one stay unknown.
  // Once records are full (recordsFull), matches of the signals that keep
  // records are dropped and those signals read the full way from the part
  // where it happened.
  void beginPart(uint32_t ordinal, char const* text, uint32_t length, uint16_t mask);
  static constexpr uint32_t kNoFrom = UINT32_MAX;
  bool onMatch(uint32_t signal, uint64_t end, uint32_t from = kNoFrom);
  // A kRanges signal's start range given whole.
  bool onRange(uint32_t signal, uint32_t first, uint32_t last);
  // `complete`: the part was passed to its end; if not, its counts are not
  // summed. Returns false when the part is not kept (incomplete, or the
  // table can take no more): call stopAt next.
  bool endPart(bool complete = true);
  // Ends what the pass knows at part `ordinal`: it and every later part stay
  // unknown (the engine could not scan it, say).
  void stopAt(uint32_t ordinal) {
    full_ = true;
    part_ = ordinal;
  }
  void finish(uint32_t partCount);
  bool recordsFull() const { return recordsFrom_ != kNoRecord; }

  // True when `signal` may have a candidate in some part: it has a record,
  // or some part was left unknown (including parts after those the pass saw).
  // After a complete pass that found nothing, an item of this signal scores
  // 0 without reading a part.
  bool mayMatch(uint32_t signal) const;

  // True when the pass covered every part and kept everything it found.
  bool complete() const { return complete_; }

  // Walks one signal's records along the parts, for one item scan.
  class Cursor {
   public:
    Cursor() = default;
    Cursor(CandidateTable const* table, uint32_t signal);
    // REQUIRES: ordinals passed in increasing order; not a kCount signal.
    PartCandidates at(uint32_t ordinal);

    // A kCount signal: its occurrences summed over the parts an item of
    // `scanArea` selects.
    CountTotals totals(uint16_t scanArea) const;
    // With totals: whether part `ordinal` is left out of them, to be read
    // the full way.
    bool readsPart(uint32_t ordinal) const;

   private:
    CandidateTable const* table_ = nullptr;
    uint32_t signal_ = kNoRecord;
    uint32_t record_ = kNoRecord;
  };

  Cursor cursor(uint32_t signal) const { return Cursor(this, signal); }

  // Scratch for an item that joins several signals' ranges, and for the
  // list of items a scan asks; reused, grown on demand.
  std::vector<StartRange>& joinBuffer() { return join_; }
  std::vector<uint32_t>& itemBuffer() { return items_; }

  // The signals that have a record, in no order, each once.
  std::vector<uint32_t> const& signalsFound() const { return found_; }

  // Guards against a scan started from inside another on the same thread (a
  // progress callback that scans): only the outer one may use the table.
  bool acquire() {
    if (inUse_) return false;
    inUse_ = true;
    return true;
  }
  void release() { inUse_ = false; }

 private:
  struct Record {
    uint32_t part;
    uint32_t next;        // the signal's next record, kNoRecord at the end
    uint32_t firstRange;  // kRanges: into ranges_, after endPart
    uint32_t rangeCount;
    uint32_t lastRaw;     // kRanges: its latest range in raw_, kNoRecord if none
    bool rangesLost;      // kRanges: more ranges than could be kept
  };
  // A kCount signal in the part being passed.
  struct PartCount {
    uint32_t part;      // kNoRecord: not counted in this pass yet
    uint32_t count;     // occurrences counted
    uint32_t lastEnd;   // end of the last counted occurrence
    uint32_t lastSeen;  // largest end reported so far
  };
  struct RawRange {
    uint32_t record;
    uint32_t first;
    uint32_t last;
  };

  Record* recordFor(uint32_t signal);
  void addRange(Record* r, uint32_t first, uint32_t last);
  bool count(uint32_t signal, uint32_t end);

  static Limits limits_;
  Signal const* signals_ = nullptr;
  std::vector<uint32_t> head_;  // per signal: first record
  std::vector<uint32_t> tail_;  // per signal: last record
  std::vector<Record> records_;
  std::vector<StartRange> ranges_;
  std::vector<RawRange> raw_;       // this part's ranges, merged at endPart
  // kCount signals: per signal, this part's count and the index of its sums
  // (kNoRecord: none yet; kInexact: the engine reported its occurrences out
  // of order, so its parts read the full way); the signals counted in this
  // part; kMaxMasks sums per signal, one per entry of masks_.
  static constexpr uint32_t kInexact = UINT32_MAX - 1;
  std::vector<PartCount> partCounts_;
  std::vector<uint32_t> sumsOf_;
  std::vector<uint32_t> counted_;
  std::vector<uint64_t> sums_;
  uint16_t masks_[kMaxMasks] = {};
  uint32_t maskCount_ = 0;
  uint32_t maskIndex_ = 0;  // this part's mask in masks_
  // Covered parts with a zero byte, ascending: strcasestr stops there, so
  // their counts are left out of the sums.
  std::vector<uint32_t> nulParts_;
  std::vector<StartRange> join_;
  std::vector<uint32_t> items_;
  std::vector<uint32_t> found_;  // signals with a record
  uint32_t part_ = 0;              // the part being passed over
  char const* text_ = nullptr;     // its bytes
  uint32_t length_ = 0;
  uint32_t knownParts_ = 0;        // parts [0, knownParts_) are covered
  uint32_t recordsFrom_ = kNoRecord;  // the first part whose records were dropped
  uint32_t recordsKnown_ = 0;      // parts [0, recordsKnown_) have all their records
  bool countsComplete_ = false;    // the pass saw the last part
  bool complete_ = false;          // ... and kept every record
  bool full_ = false;              // stopped at part_
  bool inUse_ = false;
};

}  // namespace internal
}  // namespace Vessamund

#endif  // VESSAMUND_SRC_SCAN_CANDIDATE_TABLE_H_
