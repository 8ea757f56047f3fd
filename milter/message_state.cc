// Collecting a message from the MTA's headers and body chunks.
#include "milter/message_state.h"

#include <strings.h>

namespace vmund {
namespace milter {

char const kScoreHeader[] = "X-Vessamund-Score";
char const kStatusHeader[] = "X-Vessamund-Status";
char const kFindingsHeader[] = "X-Vessamund-Findings";

void MessageState::count(size_t bytes) {
  size_ += bytes;
  if (!overLimit_ && size_ > maxSize_) {
    overLimit_ = true;
    std::string().swap(text_);  // give the memory back now, not at end of message
  }
}

void MessageState::addHeader(std::string const& name, std::string const& value) {
  if (strcasecmp(name.c_str(), kScoreHeader) == 0) {
    ++scoreHeaders_;
    return;
  }
  if (strcasecmp(name.c_str(), kStatusHeader) == 0) {
    ++statusHeaders_;
    return;
  }
  if (strcasecmp(name.c_str(), kFindingsHeader) == 0) {
    ++findingsHeaders_;
    return;
  }
  if (messageId_.empty() && strcasecmp(name.c_str(), "Message-ID") == 0)
    messageId_ = value.substr(0, 200);
  count(name.size() + 2 + value.size() + 2);
  if (overLimit_) return;
  text_.append(name).append(": ").append(value).append("\r\n");
}

void MessageState::addBody(unsigned char const* data, size_t length) {
  if (!bodyStarted_) {
    bodyStarted_ = true;
    count(2);
    if (!overLimit_) text_.append("\r\n");
  }
  count(length);
  if (overLimit_) return;
  text_.append(reinterpret_cast<char const*>(data), length);
}

std::string MessageState::takeText() {
  if (!bodyStarted_ && !overLimit_) text_.append("\r\n");
  std::string out;
  out.swap(text_);
  return out;
}

void MessageState::reset() {
  std::string().swap(text_);
  bodyStarted_ = false;
  overLimit_ = false;
  size_ = 0;
  scoreHeaders_ = 0;
  statusHeaders_ = 0;
  findingsHeaders_ = 0;
  messageId_.clear();
}

}  // namespace milter
}  // namespace vmund
