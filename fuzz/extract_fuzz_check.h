// Shared by the attachment-extractor fuzz targets: the rules every reader's
// output keeps, whatever its input.
#ifndef VMUND_FUZZ_EXTRACT_FUZZ_CHECK_H_
#define VMUND_FUZZ_EXTRACT_FUZZ_CHECK_H_

#include <cstdio>
#include <string>

#include "host/utf8_text.h"

namespace vmund_fuzz {

[[noreturn]] inline void fail(char const* target, char const* what) {
  std::fprintf(stderr, "%s: %s\n", target, what);
  __builtin_trap();
}

// Valid UTF-8, no CR, at most `max` bytes.
inline void checkText(char const* target, std::string const& text, size_t max) {
  if (vmund::validUtf8(text) != text) fail(target, "text is not valid UTF-8");
  if (text.find('\r') != std::string::npos) fail(target, "text holds a CR");
  if (text.size() > max) fail(target, "text past its cap");
}

}  // namespace vmund_fuzz

#endif  // VMUND_FUZZ_EXTRACT_FUZZ_CHECK_H_
