// The short names of the identifier detectors, as administrators write them:
// the detectors' rows of the pattern-kind table.
#include <cstdint>

#include "items/kinds/pattern_kind.h"
#include "vessamund/findings.h"

namespace Vessamund {

char const* identifierKindName(uint16_t code) {
  if (code < 256 || code > 273) return nullptr;
  internal::PatternKind const* kind = internal::findPatternKind(code);
  return kind != nullptr ? kind->name : nullptr;
}

}  // namespace Vessamund
