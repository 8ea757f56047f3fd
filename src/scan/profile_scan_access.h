// What tests, benchmarks and the loaders may do with a profile scanner
// beyond its public interface: scan it the reference way (every item over
// every part, no plan), and prepare its plan before it is published.
#ifndef VESSAMUND_SRC_SCAN_PROFILE_SCAN_ACCESS_H_
#define VESSAMUND_SRC_SCAN_PROFILE_SCAN_ACCESS_H_

#include <string>

#include "scan/scan_plan.h"
#include "vessamund/scanner.h"

namespace Vessamund {
namespace internal {

struct ProfileScanAccess {
  // ProfileDictionaryScanner::scan without the plan: each item reads every
  // part it selects. The reference a planned scan must equal byte for byte.
  static unsigned long scanReference(ProfileDictionaryScanner& scanner, DScanAreaImpl* area,
                                     unsigned long budget, ProgressCb* progress,
                                     std::string& matchLog, std::string& scoreList) {
    return scanner.scanWith(area, budget, progress, matchLog, scoreList, false);
  }

  // Builds the plan now if it is not there yet, and returns it. Never null.
  static ScanPlan const& prepare(ProfileDictionaryScanner& scanner) { return *scanner.plan(); }
};

// While one lives, every profile scan on the constructing thread runs the
// reference way, members of groups and the factory's scanners included: a
// benchmark's or a test's baseline. Nests; not for the scan path itself.
class ReferenceScans {
 public:
  ReferenceScans() { ++depth(); }
  ~ReferenceScans() { --depth(); }
  ReferenceScans(ReferenceScans const&) = delete;
  ReferenceScans& operator=(ReferenceScans const&) = delete;

  static bool active() { return depth() != 0; }

 private:
  static int& depth();
};

}  // namespace internal
}  // namespace Vessamund

#endif  // VESSAMUND_SRC_SCAN_PROFILE_SCAN_ACCESS_H_
