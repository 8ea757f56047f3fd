// The stream in which the extractor helper (vmund-extract) hands its results
// back: one record per text or skipped part, in order, then the budget it
// used and an end mark. Records are self-delimiting so that a helper killed
// half-way still leaves every record it finished:
//   "text LABELLEN TEXTLEN\n" LABEL TEXT
//   "skip U LABELLEN REASONLEN\n" LABEL REASON     (U: 1 unscannable, 0 not)
//   "used ENTRIES BYTES\n"
//   "end\n"
#ifndef VMUND_HOST_EXTRACT_WIRE_H_
#define VMUND_HOST_EXTRACT_WIRE_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "host/extraction.h"

namespace vmund {

std::string wireText(std::string const& label, std::string const& text);
std::string wireSkip(std::string const& label, std::string const& reason, bool unscannable);
std::string wireUsed(uint64_t entries, uint64_t bytes);
std::string wireEnd();

// What a stream held besides its records.
struct WireSummary {
  bool ended = false;     // the end mark came, after every record
  std::string error;      // "" or what is wrong with the stream (then it stops there)
  uint64_t entries = 0;   // from the "used" record
  uint64_t bytes = 0;
};

// Hands every complete record of `stream` to `sink`, in order. Labels and
// text are made valid UTF-8 here: the helper's output is trusted no more
// than its input.
WireSummary readWire(std::string_view stream, ExtractSink& sink);

}  // namespace vmund

#endif  // VMUND_HOST_EXTRACT_WIRE_H_
