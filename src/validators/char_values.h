// The character classes and values the checksum rules share. ASCII only,
// independent of the locale.
#ifndef VESSAMUND_SRC_VALIDATORS_CHAR_VALUES_H_
#define VESSAMUND_SRC_VALIDATORS_CHAR_VALUES_H_

namespace Vessamund {
namespace Regex {
namespace internal {

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

inline bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// A check character's value: its code minus that of '0'. Only a decimal digit
// gives 0 to 9, so comparing any other byte with a check value fails.
inline int digitValue(char c) { return c - '0'; }

// A letter's value in the securities and bank-account schemes: A and a are
// 10, Z and z are 35. REQUIRES: isLetter(c).
inline int letterValue(char c) { return (c >= 'a' ? c - 'a' : c - 'A') + 10; }

}  // namespace internal
}  // namespace Regex
}  // namespace Vessamund

#endif  // VESSAMUND_SRC_VALIDATORS_CHAR_VALUES_H_
