// The attachment extractor on any file: format by content, archives through
// libarchive (nested ones too), Office documents, PDF, RTF. Under small
// limits every text must be valid UTF-8 with LF line ends, labelled below
// the attachment's label, and the limits must hold: no more texts than
// members allowed, no member text past its cap.
//
// Input: the bytes of one attachment.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "extract_fuzz_check.h"
#include "host/extract/file_extractor.h"

namespace {

class CheckingSink : public vmund::ExtractSink {
 public:
  explicit CheckingSink(vmund::ExtractLimits const& l) : limits_(l) {}
  void text(std::string const& label, std::string text) override {
    if (label.rfind("a.bin", 0) != 0) vmund_fuzz::fail("archive", "label not below the attachment");
    vmund_fuzz::checkText("archive", text, limits_.maxEntryBytes * 4);
    if (++texts_ > limits_.maxEntries + 64) vmund_fuzz::fail("archive", "more texts than members allowed");
  }
  void skipped(std::string const& label, std::string const& reason, bool) override {
    if (label.rfind("a.bin", 0) != 0 || reason.empty()) vmund_fuzz::fail("archive", "bad skip");
  }

 private:
  vmund::ExtractLimits const& limits_;
  uint64_t texts_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  vmund::ExtractLimits limits;
  limits.maxDepth = 4;
  limits.maxEntries = 64;
  limits.maxTotalBytes = 8 << 20;
  limits.maxEntryBytes = 2 << 20;
  limits.ratioFloor = 64 << 10;
  std::string const bytes(reinterpret_cast<char const*>(data), size);
  vmund::ExtractBudget budget(limits, std::chrono::steady_clock::now() + std::chrono::seconds(5));
  CheckingSink sink(limits);
  vmund::extractFile(bytes, "a.bin", limits, budget, sink);
  return 0;
}
