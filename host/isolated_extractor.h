// Reads binary attachments in a child process, the `vmund-extract` helper,
// so that a crash, a hang or runaway memory in a document library costs one
// attachment, never the process that scans the mail: the child runs under
// limits on address space and CPU time, and is killed when the message's
// time budget runs out. Whatever it reported before it died is kept; the
// rest of the attachment becomes an unscannable part with the reason.
#ifndef VMUND_HOST_ISOLATED_EXTRACTOR_H_
#define VMUND_HOST_ISOLATED_EXTRACTOR_H_

#include <cstdint>
#include <string>

#include "host/attachment_extractor.h"

namespace vmund {

class IsolatedExtractor : public AttachmentExtractor {
 public:
  // `helper`: path of vmund-extract ("" = defaultHelperPath()).
  // `memoryLimit`: the child's address-space limit in bytes (0 = none).
  IsolatedExtractor(ExtractLimits limits, std::string helper = "",
                    uint64_t memoryLimit = 2048ull << 20);

  void extract(std::string const& bytes, std::string const& label, ExtractBudget& budget,
               ExtractSink& sink) const override;
  ExtractLimits const& limits() const override { return limits_; }
  std::string const& helper() const { return helper_; }

 private:
  ExtractLimits limits_;
  std::string helper_;
  uint64_t memoryLimit_;
};

// Where vmund-extract is: $VMUND_EXTRACT when set, else beside the running
// executable, else the installed one, else the one of the build tree.
std::string defaultHelperPath();

}  // namespace vmund

#endif  // VMUND_HOST_ISOLATED_EXTRACTOR_H_
