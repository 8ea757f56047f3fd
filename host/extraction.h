// What reading binary attachments (archives, Office documents, PDFs) may
// cost, and where its results go: the limits an administrator sets, the
// per-message budget they draw on, and the sink that receives each text and
// each part that could not be read.
#ifndef VMUND_HOST_EXTRACTION_H_
#define VMUND_HOST_EXTRACTION_H_

#include <chrono>
#include <cstdint>
#include <string>

namespace vmund {

// The defaults follow what established mail scanners ship with.
struct ExtractLimits {
  unsigned maxDepth = 10;                 // containers inside containers
  uint64_t maxEntries = 1000;             // archive members per message
  uint64_t maxTotalBytes = 400ull << 20;  // decompressed bytes per message
  uint64_t maxEntryBytes = 100ull << 20;  // decompressed bytes per member
  unsigned maxRatio = 100;                // member bytes per byte of its container ...
  uint64_t ratioFloor = 1ull << 20;       // ... checked once a member passes this size
};

// What is left of a message's limits; each attachment draws on it.
struct ExtractBudget {
  uint64_t entriesLeft;
  uint64_t bytesLeft;
  std::chrono::steady_clock::time_point deadline;  // time_point::max() for none

  ExtractBudget(ExtractLimits const& limits, std::chrono::steady_clock::time_point deadline)
      : entriesLeft(limits.maxEntries), bytesLeft(limits.maxTotalBytes), deadline(deadline) {}
  bool expired() const { return std::chrono::steady_clock::now() >= deadline; }
};

// Receives, in order, every text read out of an attachment and every part of
// it that could not be read. Labels are container paths below the
// attachment's own label: "export.zip/2024/customers.xlsx".
class ExtractSink {
 public:
  virtual ~ExtractSink() = default;
  // `text` is UTF-8 with LF line ends.
  virtual void text(std::string const& label, std::string text) = 0;
  // `unscannable`: the part may hold text that was not read (encrypted, past
  // a limit, damaged, the extractor failed); false for parts that hold no
  // text to read (an image, a format without text).
  virtual void skipped(std::string const& label, std::string const& reason, bool unscannable) = 0;
};

}  // namespace vmund

#endif  // VMUND_HOST_EXTRACTION_H_
