// Several dictionaries scanned as one: every member against the full
// threshold, and only the best member's records reported.
#include "scan/finding_recorder.h"
#include "vessamund/scanner.h"

namespace Vessamund {

GroupDictionaryScanner::GroupDictionaryScanner() {}

GroupDictionaryScanner::~GroupDictionaryScanner() {
  // Members go in list order, which std::vector's destructor does not promise.
  for (auto& member : scanners) member = Ref<DictionaryScannerImpl>();
}

void GroupDictionaryScanner::addScanner(Ref<DictionaryScannerImpl> const& scanner) {
  scanners.push_back(scanner);
}

unsigned long GroupDictionaryScanner::scan(DScanAreaImpl* area, unsigned long budget,
                                           ProgressCb* progress, std::string& matchLog,
                                           std::string& scoreList) {
  if (budget == 0 || scanners.empty()) return 0;
  unsigned long best = 0;
  std::string bestMatchLog;
  std::string bestScoreList;
  // Only the winner's findings stay: each member's are taken back when it
  // does not win, and the earlier winner's when it does.
  using Findings = internal::FindingListAccess;
  FindingList* const findings = Findings::active();
  Findings::Mark const groupStart = findings != nullptr ? Findings::mark(*findings) : Findings::Mark{};
  for (auto const& member : scanners) {
    Findings::Mark const memberStart =
        findings != nullptr ? Findings::mark(*findings) : Findings::Mark{};
    // Fresh strings: each member gets the whole match-text capacity and
    // writes its score record without a leading ";".
    std::string memberMatchLog;
    std::string memberScoreList;
    unsigned long const score = member->scan(area, budget, progress, memberMatchLog,
                                             memberScoreList);
    if (score > best) {  // the first of equal members stays the best
      best = score;
      bestMatchLog.swap(memberMatchLog);
      bestScoreList.swap(memberScoreList);
      if (findings != nullptr) Findings::cut(*findings, groupStart, memberStart);
    } else if (findings != nullptr) {
      Findings::rewind(*findings, memberStart);
    }
    if (progress != nullptr && progress->expired()) break;
    if (best >= budget) break;
  }
  if (best != 0) {
    matchLog += bestMatchLog;
    scoreList += bestScoreList;
  }
  return best;
}

}  // namespace Vessamund
