// One message as the MTA hands it over, piece by piece: headers, then body
// chunks. Kept until end of message, when it is scanned and judged.
#ifndef VMUND_MILTER_MESSAGE_STATE_H_
#define VMUND_MILTER_MESSAGE_STATE_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace vmund {
namespace milter {

// The two headers the milter writes. Copies that arrive with a message are
// not scanned and are removed before the milter adds its own, so a sender
// cannot forge them.
extern char const kScoreHeader[];   // "X-Vessamund-Score"
extern char const kStatusHeader[];  // "X-Vessamund-Status"
extern char const kFindingsHeader[];  // "X-Vessamund-Findings"

// Collects one message up to a size limit. Past the limit the text collected
// so far is dropped and later pieces are only counted, so an oversized
// message costs no memory. One object per SMTP transaction, used by one
// thread at a time; reset() for the next message of a connection.
class MessageState {
 public:
  explicit MessageState(uint64_t maxSize) : maxSize_(maxSize) {}

  // A header as the MTA gives it: name without the colon, value without the
  // blank after it; folded lines keep their line breaks.
  void addHeader(std::string const& name, std::string const& value);
  // A chunk of the body, line ends as the MTA sends them (CRLF).
  void addBody(unsigned char const* data, size_t length);

  // True once headers and body have passed the size limit.
  bool overLimit() const { return overLimit_; }
  // Bytes received, headers included, also past the limit.
  uint64_t size() const { return size_; }
  // How many copies of kScoreHeader / kStatusHeader arrived (any letter case).
  int scoreHeaders() const { return scoreHeaders_; }
  int statusHeaders() const { return statusHeaders_; }
  int findingsHeaders() const { return findingsHeaders_; }
  // The Message-ID header's value ("" when there is none), for the log.
  std::string const& messageId() const { return messageId_; }

  // The message as text: "Name: value" lines, a blank line, the body.
  // Empty once over the limit. Leaves the state empty (the text is moved
  // out), so call once, at end of message.
  std::string takeText();

  // Forgets everything, for the next message on the same connection.
  void reset();

 private:
  void count(size_t bytes);

  uint64_t maxSize_;
  std::string text_;
  bool bodyStarted_ = false;
  bool overLimit_ = false;
  uint64_t size_ = 0;
  int scoreHeaders_ = 0;
  int statusHeaders_ = 0;
  int findingsHeaders_ = 0;
  std::string messageId_;
};

}  // namespace milter
}  // namespace vmund

#endif  // VMUND_MILTER_MESSAGE_STATE_H_
