// Many patterns searched in one pass over a text: the multi-pattern engine
// (Vectorscan, block mode) behind our own types. Nothing of the engine shows
// through this header.
#ifndef VESSAMUND_SRC_OUTSIDE_PATTERN_SET_H_
#define VESSAMUND_SRC_OUTSIDE_PATTERN_SET_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Vessamund {
namespace internal {

// Flag bits of SetPattern.
constexpr unsigned int kSetCaseless = 1;     // ASCII letters fold (bytes >= 0x80 do not)
constexpr unsigned int kSetSingleMatch = 2;  // report at most one match per scan
constexpr unsigned int kSetPrefilter = 4;    // may report more than the pattern matches, never less

// One pattern in the engine's syntax (PCRE-like; bytes as \xHH escapes are
// always safe).
struct SetPattern {
  std::string expression;
  unsigned int flags;
};

// Writing patterns byte by byte, whatever the bytes: a class of exactly the
// bytes b with accepted[b] ("" when there are none), and a literal whose
// ASCII letters match either case when `asciiCaseless` (other bytes match
// only themselves).
std::string setByteClass(bool const accepted[256]);
std::string setLiteral(std::string const& bytes, bool asciiCaseless);

// Receives the matches of one scan. Called on the scanning thread from inside
// the engine: it must not scan again from there.
class SetMatchSink {
 public:
  // `id` is the pattern's index in the compiled vector, `end` the offset just
  // past the match. Matches come in no guaranteed order, and a pattern may
  // report several ends. Return false to stop the scan.
  virtual bool onMatch(unsigned int id, uint64_t end) = 0;

 protected:
  ~SetMatchSink() = default;
};

// A compiled set. Immutable once compiled: any number of threads may scan
// with it at once, each with its own scratch (kept per thread by this class).
class PatternSet {
 public:
  // Compiles `patterns`; ids are their indices. A pattern the engine refuses
  // is left out and its index appended to `refused` (it never reports), so
  // one bad pattern does not cost the others. Returns null when no pattern is
  // left or the engine cannot build the set at all. Configuration time only:
  // allocates, may take long for large sets.
  static std::unique_ptr<PatternSet> compile(std::vector<SetPattern> const& patterns,
                                             std::vector<unsigned int>* refused);

  ~PatternSet();
  PatternSet(PatternSet const&) = delete;
  PatternSet& operator=(PatternSet const&) = delete;

  // Makes the calling thread's scratch fit this set. Allocates the first time
  // a thread meets a set larger than any before; afterwards it is one
  // comparison. False when memory could not be had (then scan() must not be
  // called on this thread).
  bool prepareThread() const;

  // Scans text[0, length) and hands every match to `sink`. True when the scan
  // ran to its end; false when the sink stopped it or the engine failed
  // (without scratch, for instance), so the caller must not trust that every
  // match was seen. Allocates nothing, takes no lock.
  // REQUIRES: prepareThread() returned true on this thread.
  bool scan(char const* text, uint32_t length, SetMatchSink& sink) const;

 private:
  explicit PatternSet(void* database);
  void* database_;   // hs_database_t*
  uint64_t serial_;  // tells threads' scratch which sets it already fits
};

}  // namespace internal
}  // namespace Vessamund

#endif  // VESSAMUND_SRC_OUTSIDE_PATTERN_SET_H_
