// The short names of the identifier detectors, as administrators write them.
#include <cstdint>

#include "vessamund/findings.h"

namespace Vessamund {

char const* identifierKindName(uint16_t code) {
  // Indexed by code - 256, in code order.
  static char const* const kNames[] = {
      "cansin", "ussn",  "creditcard", "aba",   "cusip", "isin",       "ukni",
      "uknhs",  "usein", "usdea",      "frcni", "insee", "depassport", "iban",
      "itin",   "uspassport", "frpassport", "ukpassport"};
  static_assert(sizeof kNames / sizeof kNames[0] == 273 - 256 + 1, "one name per detector");
  if (code < 256 || code > 273) return nullptr;
  return kNames[code - 256];
}

}  // namespace Vessamund
