// Pattern-type names for CSV import/export and `vmund dict`, read from the
// library's table of pattern kinds.
#include "admin/pattern_types.h"

#include <strings.h>

#include <cerrno>
#include <cstdlib>

#include "pattern_kind.h"

namespace vmund {
namespace admin {
namespace {

using Vessamund::internal::PatternKind;

bool names(PatternKind const& kind, char const* text) {
  for (char const* name : {kind.name, kind.label, kind.alias}) {
    if (name != nullptr && strcasecmp(text, name) == 0) return true;
  }
  return false;
}

}  // namespace

bool parsePatternType(std::string const& text, uint16_t& code) {
  std::size_t count = 0;
  PatternKind const* kinds = Vessamund::internal::patternKinds(&count);
  for (std::size_t i = 0; i < count; ++i) {
    if (names(kinds[i], text.c_str())) {
      code = kinds[i].code;
      return true;
    }
  }
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
  errno = 0;
  unsigned long v = std::strtoul(text.c_str(), nullptr, 10);
  if (errno != 0 || v > 65535) return false;
  code = static_cast<uint16_t>(v);
  return true;
}

std::string patternTypeName(uint16_t code) {
  PatternKind const* kind = Vessamund::internal::findPatternKind(code);
  return kind != nullptr ? kind->name : std::to_string(code);
}

std::vector<std::string> patternTypeNames() {
  std::size_t count = 0;
  PatternKind const* kinds = Vessamund::internal::patternKinds(&count);
  std::vector<std::string> out;
  for (std::size_t i = 0; i < count; ++i) out.push_back(kinds[i].name);
  return out;
}

}  // namespace admin
}  // namespace vmund
