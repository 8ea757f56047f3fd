// Names for pattern-type codes, as administrators write them in CSV files
// and on the command line.
#ifndef VMUND_OUTSIDE_ADMIN_PATTERN_TYPES_H_
#define VMUND_OUTSIDE_ADMIN_PATTERN_TYPES_H_

#include <cstdint>
#include <string>
#include <vector>

namespace vmund {
namespace admin {

// Reads a pattern type: a name ("word", "wildcard", "regex", or one of the
// eighteen detector names such as "creditcard" or "ussn", in any letter
// case; a detector's fixed name such as "CreditCard" or "USSSN" works too)
// or a decimal code 0..65535. Returns false for anything else.
bool parsePatternType(std::string const& text, uint16_t& code);

// The name parsePatternType reads back as `code`: "word" for 3, "regex" for
// 1, "wildcard" for 2, a detector name for 256..273, else the decimal code.
std::string patternTypeName(uint16_t code);

// Every name parsePatternType accepts besides numbers, for help texts.
std::vector<std::string> patternTypeNames();

}  // namespace admin
}  // namespace vmund

#endif  // VMUND_OUTSIDE_ADMIN_PATTERN_TYPES_H_
