// Masking of sensitive values for reports and redacted mail.
#include "host/value_mask.h"

#include <vector>

namespace vmund {
namespace {

constexpr uint16_t kIban = 269;

// Blanks and ASCII punctuation separate groups and carry nothing secret.
bool isSeparator(unsigned char c) {
  return c < 0x80 && !((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'));
}

size_t sequenceLength(unsigned char c) {
  if (c < 0x80) return 1;
  if (c >= 0xF0) return 4;
  if (c >= 0xE0) return 3;
  if (c >= 0xC0) return 2;
  return 1;  // a stray continuation byte stands alone
}

}  // namespace

std::string maskValue(std::string const& value, uint16_t patternType) {
  // The characters that carry the value, as (start, length) in bytes.
  std::vector<std::pair<size_t, size_t>> chars;
  for (size_t i = 0; i < value.size();) {
    size_t n = sequenceLength(static_cast<unsigned char>(value[i]));
    if (i + n > value.size()) n = value.size() - i;
    if (!isSeparator(static_cast<unsigned char>(value[i]))) chars.push_back({i, n});
    i += n;
  }
  size_t const count = chars.size();
  size_t keepFirst = 0;
  size_t keepLast = count >= 8 ? 4 : count / 2;
  if (patternType == kIban && count >= 8) {
    keepFirst = 2;
    keepLast = 2;
  }
  std::string out;
  size_t next = 0;  // the next carrying character
  for (size_t i = 0; i < value.size();) {
    if (next < count && chars[next].first == i) {
      bool const keep = next < keepFirst || next >= count - keepLast;
      if (keep) {
        out.append(value, i, chars[next].second);
      } else {
        out += '*';
      }
      i += chars[next].second;
      ++next;
    } else {
      out += value[i++];
    }
  }
  return out;
}

}  // namespace vmund
