// Administrator patterns are untrusted input to the engine: any bytes must
// compile or be refused, and any compiled pattern must search any text
// without crashing, looping or reading outside the text.
//
// Input layout: first byte = option selector, then pattern and text split at
// the first 0xFF byte (no split: the input is both).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "vessamund/regex.h"
#include "vessamund/validators.h"

namespace {

using namespace Vessamund::Regex;

// Accepts every other candidate and resumes at awkward places, to drive the
// engine's progress rule.
class Jumpy : public Re_Validator {
 public:
  bool check(ExpressionImpl const*, char const*, unsigned int length, unsigned int& resume,
             int* ov, int count) override {
    if (count < 1 || ov[0] < 0 || ov[1] < ov[0] || static_cast<unsigned>(ov[1]) > length)
      __builtin_trap();
    ++calls_;
    resume = (calls_ % 3 == 0) ? static_cast<unsigned>(ov[0]) : static_cast<unsigned>(ov[1]);
    return calls_ % 2 == 0;
  }

 private:
  unsigned calls_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  if (size < 1) return 0;
  static unsigned const kOptions[] = {0, kCaseless, kCaseless | kUtf8, kAnyNewline | kMultiline};
  unsigned options = kOptions[data[0] % 4];
  std::string rest(reinterpret_cast<char const*>(data + 1), size - 1);
  std::size_t split = rest.find('\xff');
  std::string pattern = split == std::string::npos ? rest : rest.substr(0, split);
  std::string text = split == std::string::npos ? rest : rest.substr(split + 1);

  ExpressionImpl e;
  e.pattern(pattern, options, true);
  Jumpy v;
  e.matches(text.data(), static_cast<unsigned>(text.size()), 1000, 0, &v, 20000, nullptr);
  return 0;
}
