// Two basics the whole library uses: the exception type the library throws
// at configuration time, and the unsigned minimum.
#ifndef VESSAMUND_EXCEPTION_H_
#define VESSAMUND_EXCEPTION_H_

#include <exception>
#include <string>

namespace Vessamund {

// The one exception type thrown by the library's own code. Thrown only while
// scanners are built (never from a scan). Carries a message, a numeric code
// and, when known, the source position that raised it.
//
// Codes in use: 1 = dereferencing an empty handle, 4 = a control object asked
// to add a reference to nothing. Other layers may use further codes.
class Exception : public std::exception {
 public:
  // `file` is borrowed and must be a literal or otherwise outlive the
  // exception; it may be null.
  Exception(std::string const& message, int code, char const* file,
            unsigned int line);

  std::string const& message() const { return message_; }
  int code() const { return code_; }
  char const* file() const { return file_; }  // may be null
  unsigned int line() const { return line_; }
  char const* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
  int code_;
  char const* file_;
  unsigned int line_;
};

// The smaller of two unsigned values. Item scoring uses it to apply an item's
// cap to the dictionary's remaining threshold.
unsigned long min(unsigned long a, unsigned long b);

}  // namespace Vessamund

#endif  // VESSAMUND_EXCEPTION_H_
