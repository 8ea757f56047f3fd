// Pattern conversion for DictionaryRegex: character references to engine
// escapes, malformed UTF-8 out.
#include "items/convert_pattern.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "vessamund/regex.h"

namespace Vessamund {
namespace internal {

namespace {

// Length of the UTF-8 sequence that `lead` announces, 0 when no sequence may
// start with it (continuation bytes, the overlong C0/C1, FE, FF).
unsigned int sequenceLength(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF7) return 4;
  if (lead >= 0xF8 && lead <= 0xFB) return 5;
  if (lead == 0xFC || lead == 0xFD) return 6;
  return 0;
}

// Lowest second byte after a lead whose shortest forms would be overlong.
unsigned char minimumSecondByte(unsigned char lead) {
  switch (lead) {
    case 0xE0: return 0xA0;
    case 0xF0: return 0x90;
    case 0xF8: return 0x88;
    case 0xFC: return 0x84;
    default: return 0x80;
  }
}

// Length of the well-formed sequence at `s` (with `remaining` bytes left,
// `s[0]` included), or 0 when it is malformed or cut short.
unsigned int wellFormedLength(unsigned char const* s, size_t remaining) {
  unsigned int length = sequenceLength(s[0]);
  if (length == 0 || remaining < length) return 0;
  for (unsigned int i = 1; i < length; ++i) {
    if (s[i] < 0x80 || s[i] > 0xBF) return 0;
  }
  return s[1] >= minimumSecondByte(s[0]) ? length : 0;
}

// Reads a numeric character reference at `s`, which points just after "&#".
// On success returns the number of bytes consumed after "&#" (the final ";"
// included) and stores the value.
//
// A reference needs at least one digit: "&#;" and "&#x;" are copied as they
// stand, since they name no character. A value beyond 32 bits is pinned at
// 0xFFFFFFFF rather than wrapped: wrapping would silently turn it into some
// other, valid character, whereas the pinned value is no code point and the
// engine refuses the expression, so the item matches nothing.
size_t readReference(unsigned char const* s, uint32_t* value) {
  bool const hex = s[0] == 'x' || s[0] == 'X';
  unsigned int const base = hex ? 16 : 10;
  size_t i = hex ? 1 : 0;
  size_t const firstDigit = i;
  uint64_t v = 0;
  for (; hex ? isxdigit(s[i]) : isdigit(s[i]); ++i) {
    unsigned int digit = isdigit(s[i]) ? s[i] - '0' : (tolower(s[i]) - 'a' + 10);
    v = v * base + digit;
    if (v > UINT32_MAX) v = UINT64_C(1) << 32;  // stays above the limit, never wraps
  }
  if (i == firstDigit || s[i] != ';') return 0;
  *value = v > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(v);
  return i + 1;
}

}  // namespace

Buffer convertPattern(char const* text, unsigned int* options) {
  *options = Regex::kCaseless;
  Buffer out;
  unsigned char const* s = reinterpret_cast<unsigned char const*>(text);
  size_t const length = std::strlen(text);
  if (length == 0) return out;

  size_t i = 0;
  while (i < length) {
    unsigned char const c = s[i];
    if (c >= 0x80) {
      *options |= Regex::kUtf8;
      unsigned int n = wellFormedLength(s + i, length - i);
      if (n == 0) {
        ++i;  // drop the lead byte only; what follows is judged on its own
        continue;
      }
      out.append(const_cast<unsigned char*>(s + i), n);
      i += n;
      continue;
    }
    if (c == '&' && s[i + 1] == '#') {
      uint32_t value = 0;
      size_t used = readReference(s + i + 2, &value);
      if (used != 0) {
        char escape[16];  // "\x{ffffffff}" and its zero byte
        int n = std::snprintf(escape, sizeof escape, "\\x{%x}", static_cast<unsigned int>(value));
        out.append(reinterpret_cast<unsigned char*>(escape), static_cast<unsigned int>(n));
        *options |= Regex::kUtf8;
        i += 2 + used;
        continue;
      }
    }
    out.append(c);
    ++i;
  }
  out.append(static_cast<unsigned char>(0));
  return out;
}

}  // namespace internal
}  // namespace Vessamund
