// Where accepted matches are reported during a scan, and the bounded
// comma-separated list that becomes a dictionary's match text.
#ifndef VESSAMUND_MATCH_LOGGER_H_
#define VESSAMUND_MATCH_LOGGER_H_

#include <string>

namespace Vessamund {

// Sink for accepted matches. One sink belongs to one scan on one thread.
class DictionaryMatchLogger {
 public:
  virtual ~DictionaryMatchLogger();
  // One accepted match. `pattern` identifies what matched: a zero-terminated
  // text that stays at the same address for the whole scan; two reports are
  // the same entry exactly when their `pattern` pointers are equal. `match`
  // and `length` locate the matched bytes inside the scanned part (borrowed
  // for the call). Must not throw except for allocation failure.
  virtual void log(char const* pattern, char const* match, unsigned int length) = 0;
};

// Turns the reports of one scan into "A,B,A": one entry per run of equal
// identifiers, in the order the runs began, appended to `output`.
//
// Capacity: a report that finds `output` (including what it held before the
// logger existed) at `capacity` bytes or more is refused, the pending entry is
// dropped, and every later report is refused too. An entry that is written may
// carry the length past `capacity`; nothing is ever cut. So the text grows by
// at most one identifier (255 bytes) plus a comma beyond `capacity`.
//
// Neither `output` nor the identifiers are owned; both must outlive the
// logger. Writing allocates (std::string growth); repeated reports of the
// pending identifier cost one pointer comparison.
class DPMatchLogger : public DictionaryMatchLogger {
 public:
  DPMatchLogger(std::string& output, unsigned int capacity);
  // Writes the pending entry, if any.
  ~DPMatchLogger() override;

  void log(char const* pattern, char const* match, unsigned int length) override;

  // Writes the pending entry (preceded by "," when `output` is not empty).
  // Does not clear it: calling it outside log() and the destructor would
  // write the pending identifier twice.
  void logRemaining();

 private:
  std::string& output_;
  unsigned int capacity_;
  char const* pending_;  // null: nothing pending (or the output is full)
};

}  // namespace Vessamund

#endif  // VESSAMUND_MATCH_LOGGER_H_
