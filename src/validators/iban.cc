// iban: the ISO 13616 check (ISO 7064 MOD 97-10). No country's length is
// checked: any candidate of iban_expr with remainder 1 counts.
#include <cstdint>

#include "validators/boundary_check.h"
#include "validators/char_values.h"
#include "vessamund/validators.h"

namespace Vessamund {
namespace Regex {

namespace {

// iban_expr admits at most 34 characters, 30 after the first four; with
// every letter expanded that stays within 66 digits, six chunks of eleven.
constexpr int kMaxDigits = 66;
constexpr int kChunkDigits = 11;  // a chunk times a factor fits 64 bits

constexpr uint64_t powMod97(int exponent) {
  uint64_t r = 1;
  for (int i = 0; i < exponent; ++i) r = r * 10 % 97;
  return r;
}

// 10^(11k) mod 97: the weight of chunk k counted from the right.
constexpr uint64_t kChunkFactor[6] = {1, 5, 25, 28, 43, 21};
static_assert(kChunkFactor[1] == powMod97(11) && kChunkFactor[2] == powMod97(22) &&
                  kChunkFactor[3] == powMod97(33) && kChunkFactor[4] == powMod97(44) &&
                  kChunkFactor[5] == powMod97(55),
              "chunk factors are 10^(11k) mod 97");
static_assert(kMaxDigits <= 6 * kChunkDigits, "one factor per chunk");

// The identifier rearranged into the number whose remainder is checked.
class DigitString {
 public:
  // A digit as itself, a letter as the two digits of its value; other
  // characters are separators and add nothing. Digits past the capacity
  // are dropped.
  void add(char c) {
    if (internal::isDigit(c)) {
      push(internal::digitValue(c));
    } else if (internal::isLetter(c)) {
      int const v = internal::letterValue(c);
      push(v / 10);
      push(v % 10);
    }
  }

  // The number modulo 97, chunk by chunk from the right.
  uint64_t mod97() const {
    uint64_t r = 0;
    int k = 0;
    for (int end = size_; end > 0; end -= kChunkDigits, ++k) {
      int const begin = end > kChunkDigits ? end - kChunkDigits : 0;
      uint64_t chunk = 0;
      for (int i = begin; i < end; ++i) chunk = chunk * 10 + digits_[i];
      r = (r + chunk * kChunkFactor[k]) % 97;
    }
    return r;
  }

 private:
  void push(int digit) {
    if (size_ < kMaxDigits) digits_[size_++] = static_cast<unsigned char>(digit);
  }

  unsigned char digits_[kMaxDigits];
  int size_ = 0;
};

bool ibanRule(char const* id, int n) {
  // The account part first, then the country code, then the check digits.
  DigitString number;
  for (int i = 4; i < n; ++i) number.add(id[i]);
  for (int i = 0; i < 4 && i < n; ++i) number.add(id[i]);
  return number.mod97() == 1;
}

}  // namespace

bool iban::do_check(ExpressionImpl const* /*expr*/, char const* text, unsigned int length,
                    unsigned int& resume, int* ovector, int count) {
  return internal::CheckIdentifier(text, length, resume, ovector, count, ibanRule);
}

}  // namespace Regex
}  // namespace Vessamund
