// What one pass over a message found, signal by signal and part by part: the
// table a planned scan fills before its items run, and the cursors through
// which each item learns, per part, whether it can match there and where.
//
// A signal is one prefilter pattern of a scan plan (src/scan/scan_plan.h). It
// has a record for each part in which it matched at least once; a part
// without a record is a part where the signal's items provably cannot match.
#ifndef VESSAMUND_SRC_SCAN_CANDIDATE_TABLE_H_
#define VESSAMUND_SRC_SCAN_CANDIDATE_TABLE_H_

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
              // strcasestr's search-and-skip loop counts them
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
  // kCount, kFound: `count` is exactly what the search-and-skip loop would
  // count in the part. False when the part holds a zero byte (the loop stops
  // there) or the engine reported the occurrences out of order.
  bool countExact;
  uint32_t count;
  // kRanges, kFound: sorted, disjoint start ranges; none when `wholePart`
  // (too many to keep: search the whole part).
  bool wholePart;
  StartRange const* ranges;
  uint32_t rangeCount;
};

// Per-thread working memory of planned scans: reset at the start of every
// scan, grown on demand and never shrunk, so a warmed-up thread scans without
// allocating. Bounded: past kMaxRecords records or kMaxRanges ranges the pass
// stops keeping details and the parts concerned read the full way.
class CandidateTable {
 public:
  static constexpr uint32_t kNoRecord = UINT32_MAX;
  static constexpr uint32_t kMaxRecords = 1u << 17;
  static constexpr uint32_t kMaxRanges = 1u << 19;
  static constexpr uint32_t kMaxRawRanges = 1u << 16;  // per part, before merging

  // Starts a pass over a message for `signals` (borrowed until the next
  // reset). Every part counts as unknown until the pass has covered it.
  void reset(Signal const* signals, uint32_t signalCount);

  // Pass, in part order: beginPart (with the part's bytes, borrowed until
  // endPart), the engine's matches through onMatch,
  // endPart; finish with the number of parts walked once they run out (parts
  // the pass skipped count as covered: nothing matched there). onMatch returns false when the
  // table is full: the pass must stop, and this part and every later one
  // stay unknown.
  void beginPart(uint32_t ordinal, char const* text, uint32_t length);
  static constexpr uint32_t kNoFrom = UINT32_MAX;
  bool onMatch(uint32_t signal, uint64_t end, uint32_t from = kNoFrom);
  // A kRanges signal's start range given whole.
  bool onRange(uint32_t signal, uint32_t first, uint32_t last);
  void endPart();
  // Ends what the pass knows at part `ordinal`: it and every later part stay
  // unknown (the engine could not scan it, say).
  void stopAt(uint32_t ordinal) {
    full_ = true;
    part_ = ordinal;
  }
  void finish(uint32_t partCount);

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
    // REQUIRES: ordinals passed in increasing order.
    PartCandidates at(uint32_t ordinal);

   private:
    CandidateTable const* table_ = nullptr;
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
    uint32_t count;       // kCount: occurrences counted
    uint32_t lastEnd;     // kCount: end of the last counted occurrence
    uint32_t lastSeen;    // kCount: largest end reported so far
    uint32_t firstRange;  // kRanges: into ranges_, after endPart
    uint32_t rangeCount;
    uint32_t lastRaw;     // kRanges: its latest range in raw_, kNoRecord if none
    bool outOfOrder;      // kCount: an end came before one already seen
    bool rangesLost;      // kRanges: more ranges than could be kept
  };
  struct RawRange {
    uint32_t record;
    uint32_t first;
    uint32_t last;
  };

  Record* recordFor(uint32_t signal);
  void addRange(Record* r, uint32_t first, uint32_t last);

  Signal const* signals_ = nullptr;
  std::vector<uint32_t> head_;  // per signal: first record
  std::vector<uint32_t> tail_;  // per signal: last record
  std::vector<Record> records_;
  std::vector<StartRange> ranges_;
  std::vector<RawRange> raw_;       // this part's ranges, merged at endPart
  std::vector<uint8_t> partHasNul_;  // per part ordinal covered, where a count was kept
  std::vector<StartRange> join_;
  std::vector<uint32_t> items_;
  std::vector<uint32_t> found_;  // signals with a record
  uint32_t part_ = 0;              // the part being passed over
  char const* text_ = nullptr;     // its bytes
  uint32_t length_ = 0;
  bool counted_ = false;           // a kCount signal matched in it
  uint32_t knownParts_ = 0;        // parts [0, knownParts_) are covered
  bool complete_ = false;          // the pass saw the last part and kept everything
  bool full_ = false;              // stopped keeping records at part_
  bool inUse_ = false;
};

}  // namespace internal
}  // namespace Vessamund

#endif  // VESSAMUND_SRC_SCAN_CANDIDATE_TABLE_H_
