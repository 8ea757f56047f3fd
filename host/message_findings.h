// A message's findings in the host's terms: what matched (a detector's name,
// the word or wildcard, or which expression), in which part (its kind and
// label), where in that part's text (byte and code-point offsets, line and
// column), and the matched text itself. The command, the milter and the
// Python module all report from these.
#ifndef VMUND_HOST_MESSAGE_FINDINGS_H_
#define VMUND_HOST_MESSAGE_FINDINGS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "host/message_area.h"
#include "vessamund/findings.h"
#include "vessamund/scanner.h"

namespace vmund {

struct MessageFinding {
  std::string dictionary;
  uint32_t item = 0;         // position in the dictionary, from 0
  uint16_t patternType = 0;  // as Vessamund::Finding
  // What matched, safe to show: a detector's name ("creditcard"), the word
  // or wildcard as the administrator wrote it (wildcards lower-case), or
  // "expression N" for the dictionary's N-th item (from 1).
  std::string kind;
  uint32_t part = 0;      // position in the area
  uint16_t partKind = 0;  // the part's kind (PartKind)
  std::string label;      // the part's label ("header", "customers.csv", ...)
  uint32_t offset = 0;    // bytes into the part's text
  uint32_t length = 0;
  uint32_t codePointOffset = 0;  // the same span in code points
  uint32_t codePointLength = 0;
  uint32_t line = 1;    // from 1; lines end at LF
  uint32_t column = 1;  // from 1, in code points
  std::string value;    // the matched text, whole: mask it before showing it

  // A detector's finding: its value is sensitive and is masked for display.
  bool identifier() const { return patternType >= 256 && patternType <= 273; }
  // Words and wildcards are the administrator's own text; anything else
  // (identifiers, an expression's match) may be sensitive.
  bool sensitive() const { return patternType != 2 && patternType != 3; }
};

// Appends one MessageFinding per finding in `list`, which a scan of `area`
// produced, in the list's order. Copies everything it needs: the result
// does not depend on the scanners or the list afterwards. Without
// `positions`, codePointOffset, line and column are left at their defaults
// (finding them reads every part with findings up to its last one).
void describeFindings(Vessamund::FindingList const& list, MessageArea const& area,
                      std::vector<MessageFinding>& out, bool positions = true);

// Scans `area` with `scanner` exactly as scanner.scan(&area, budget,
// progress, matchLog, scoreList) does and returns its score; when
// `findings` is not null, also appends the scan's findings to it, and adds
// to `*dropped` (when not null) the matches that counted past the
// thread's list of FindingList::kDefaultCapacity findings. The list is one
// per thread, reused, so only the MessageFindings themselves allocate.
unsigned long scanMessage(Vessamund::DictionaryScannerImpl& scanner, MessageArea& area,
                          unsigned long budget, Vessamund::ProgressCb* progress,
                          std::string& matchLog, std::string& scoreList,
                          std::vector<MessageFinding>* findings,
                          unsigned long* dropped = nullptr, bool positions = true);

// The value as it may be shown: words and wildcards as matched, everything
// else masked (maskValue).
std::string shownValue(MessageFinding const& f);

}  // namespace vmund

#endif  // VMUND_HOST_MESSAGE_FINDINGS_H_
