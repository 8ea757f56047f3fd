// The RTF reader on any bytes: valid UTF-8, no CR, under its cap; and text
// without any control word or group comes out as it went in.
//
// Input: an RTF document.
#include <cstddef>
#include <cstdint>
#include <string>

#include "extract_fuzz_check.h"
#include "host/extract/rtf_text.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  std::string const bytes(reinterpret_cast<char const*>(data), size);
  size_t const cap = 1 << 16;
  std::string const text = vmund::rtfText(bytes, cap);
  vmund_fuzz::checkText("rtf", text, cap);
  bool plain = bytes.size() < cap && bytes.find_first_of("\\{}\r\n") == std::string::npos;
  for (char c : bytes) plain &= static_cast<unsigned char>(c) < 0x80;
  if (plain && text != bytes) vmund_fuzz::fail("rtf", "plain ASCII changed");
  return 0;
}
