#include "host/utf8_text.h"

#include <cstdint>
#include <cstring>

namespace vmund {
namespace {

// Length of the valid UTF-8 sequence at `p` (bounded by `end`), 0 if none.
size_t sequenceLength(unsigned char const* p, unsigned char const* end) {
  unsigned char c = p[0];
  if (c < 0x80) return 1;
  size_t n;
  uint32_t min;
  if (c >= 0xC2 && c <= 0xDF) n = 2, min = 0x80;
  else if (c >= 0xE0 && c <= 0xEF) n = 3, min = 0x800;
  else if (c >= 0xF0 && c <= 0xF4) n = 4, min = 0x10000;
  else return 0;
  if (static_cast<size_t>(end - p) < n) return 0;
  uint32_t cp = c & (0x3F >> (n - 1));
  for (size_t i = 1; i < n; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (p[i] & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

}  // namespace

void appendUtf8(std::string& out, uint32_t cp) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string validUtf8(std::string text) {
  auto const* p = reinterpret_cast<unsigned char const*>(text.data());
  auto const* end = p + text.size();
  auto const* q = p;
  while (q < end && sequenceLength(q, end) != 0) q += sequenceLength(q, end);
  if (q == end) return text;  // the common case: nothing to copy
  std::string out(text, 0, static_cast<size_t>(q - p));
  while (q < end) {
    size_t n = sequenceLength(q, end);
    if (n == 0) {
      out += "\xEF\xBF\xBD";
      ++q;
    } else {
      out.append(reinterpret_cast<char const*>(q), n);
      q += n;
    }
  }
  return out;
}

std::string cp1252ToUtf8(std::string const& text) {
  // 0x80..0x9F; 0 marks the five bytes the charset leaves undefined.
  static uint16_t const kHigh[32] = {
      0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c < 0x80) out += ch;
    else if (c < 0xA0) appendUtf8(out, kHigh[c - 0x80] ? kHigh[c - 0x80] : 0xFFFD);
    else appendUtf8(out, c);
  }
  return out;
}

std::string lfLines(std::string text) {
  if (std::memchr(text.data(), '\r', text.size()) == nullptr) return text;
  size_t w = 0;
  for (size_t r = 0; r < text.size(); ++r) {
    if (text[r] == '\r') {
      text[w++] = '\n';
      if (r + 1 < text.size() && text[r + 1] == '\n') ++r;
    } else {
      text[w++] = text[r];
    }
  }
  text.resize(w);
  return text;
}

}  // namespace vmund
