// The seam between the MIME reader and whatever reads binary attachments:
// the reader hands over each attachment whose content is an archive or a
// document, the extractor reports texts and skipped parts to the sink.
#ifndef VMUND_HOST_ATTACHMENT_EXTRACTOR_H_
#define VMUND_HOST_ATTACHMENT_EXTRACTOR_H_

#include <string>

#include "host/extraction.h"

namespace vmund {

class AttachmentExtractor {
 public:
  virtual ~AttachmentExtractor() = default;
  // Reads `bytes`, the content of the attachment named `label`, within the
  // limits and drawing on `budget`. Never throws for bad input: every
  // failure is a skipped part with its reason. Safe to call from several
  // threads at once.
  virtual void extract(std::string const& bytes, std::string const& label, ExtractBudget& budget,
                       ExtractSink& sink) const = 0;
  virtual ExtractLimits const& limits() const = 0;
};

}  // namespace vmund

#endif  // VMUND_HOST_ATTACHMENT_EXTRACTOR_H_
