// A growable byte buffer. Used where a pattern is
// rewritten at configuration time; never on the scan path.
#ifndef VESSAMUND_BUFFER_H_
#define VESSAMUND_BUFFER_H_

#include <vector>

namespace Vessamund {

// Not thread-safe; owned by one builder at a time. Appends may allocate and
// throw std::bad_alloc.
class Buffer {
 public:
  Buffer() = default;

  void append(unsigned char byte) { bytes_.push_back(byte); }
  // Appends `count` bytes starting at `bytes` (borrowed for the call).
  void append(unsigned char* bytes, unsigned int count) {
    bytes_.insert(bytes_.end(), bytes, bytes + count);
  }

  // The bytes held so far; valid until the next append. Not zero-terminated
  // unless a zero byte was appended.
  unsigned char* data() { return bytes_.data(); }
  unsigned char const* data() const { return bytes_.data(); }
  unsigned int length() const { return static_cast<unsigned int>(bytes_.size()); }

 private:
  std::vector<unsigned char> bytes_;
};

}  // namespace Vessamund

#endif  // VESSAMUND_BUFFER_H_
