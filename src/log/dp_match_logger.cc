// The bounded, comma-separated list of identifiers that matched during one
// dictionary scan.
#include "vessamund/match_logger.h"

namespace Vessamund {

DictionaryMatchLogger::~DictionaryMatchLogger() {}

DPMatchLogger::DPMatchLogger(std::string& output, unsigned int capacity)
    : output_(output), capacity_(capacity), pending_(nullptr) {}

DPMatchLogger::~DPMatchLogger() { logRemaining(); }

void DPMatchLogger::log(char const* pattern, char const* /*match*/, unsigned int /*length*/) {
  // Once full, always full: the output only grows. The entry pending when the
  // output first turned out full is dropped, not written.
  if (capacity_ <= output_.size()) {
    pending_ = nullptr;
    return;
  }
  // Identity, not text: a run is consecutive reports of one stored pattern.
  if (pattern != pending_) {
    logRemaining();
    pending_ = pattern;
  }
}

void DPMatchLogger::logRemaining() {
  if (pending_ == nullptr) return;
  if (!output_.empty()) output_.push_back(',');
  output_.append(pending_);
}

}  // namespace Vessamund
