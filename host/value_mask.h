// Masks a sensitive value so that it can be shown or written back into a
// message: letters and digits become '*', separators stay, and at most four
// characters of the value survive (`**** **** **** 1111`, `***-**-6789`).
#ifndef VMUND_HOST_VALUE_MASK_H_
#define VMUND_HOST_VALUE_MASK_H_

#include <cstdint>
#include <string>

namespace vmund {

// `value` with every character that is not a separator (ASCII blank,
// punctuation) replaced by one '*', except the last few: four when the value
// has at least eight such characters, else half of them, rounded down, so a
// short value is never mostly shown. An IBAN (pattern type 269) keeps its
// country code and last two characters instead (`DE** **** ... 10`). A
// code point above ASCII counts as one character and becomes one '*'.
// The result is never longer than `value`; for ASCII values it is exactly
// as long.
std::string maskValue(std::string const& value, uint16_t patternType);

}  // namespace vmund

#endif  // VMUND_HOST_VALUE_MASK_H_
