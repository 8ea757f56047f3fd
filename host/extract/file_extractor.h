// Reads one file (an attachment, or a member of one) into texts and skipped
// parts: recognises its format by content and hands it to the reader of that
// format, recursing into archive members, embedded files and the attachments
// of PDFs, under the limits and the message's budget.
#ifndef VMUND_HOST_EXTRACT_FILE_EXTRACTOR_H_
#define VMUND_HOST_EXTRACT_FILE_EXTRACTOR_H_

#include <string>

#include "host/attachment_extractor.h"
#include "host/extraction.h"

namespace vmund {

// Extracts `bytes` labelled `label` to `sink`. Never throws for bad input
// (std::bad_alloc aside).
void extractFile(std::string const& bytes, std::string const& label, ExtractLimits const& limits,
                 ExtractBudget& budget, ExtractSink& sink);

// The extractor in the calling process: for the helper itself, the tests,
// the fuzzers and the benchmarks. Links poppler (GPL).
class InProcessExtractor : public AttachmentExtractor {
 public:
  explicit InProcessExtractor(ExtractLimits limits = {}) : limits_(limits) {}
  void extract(std::string const& bytes, std::string const& label, ExtractBudget& budget,
               ExtractSink& sink) const override {
    extractFile(bytes, label, limits_, budget, sink);
  }
  ExtractLimits const& limits() const override { return limits_; }

 private:
  ExtractLimits limits_;
};

}  // namespace vmund

#endif  // VMUND_HOST_EXTRACT_FILE_EXTRACTOR_H_
