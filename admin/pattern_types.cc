// The pattern-type name table shared by CSV import/export and `vmund dict`.
#include "admin/pattern_types.h"

#include <strings.h>

#include <cerrno>
#include <cstdlib>

namespace vmund {
namespace admin {
namespace {

struct TypeName {
  uint16_t code;
  char const* name;   // what export writes
  char const* alias;  // the detector's fixed name, also accepted
};

TypeName const kNames[] = {
    {1, "regex", "regexp"},        {2, "wildcard", nullptr},      {3, "word", "contain"},
    {256, "cansin", "CANSIN"},     {257, "ussn", "USSSN"},        {258, "creditcard", "CC"},
    {259, "aba", "ABARouting"},    {260, "cusip", nullptr},       {261, "isin", nullptr},
    {262, "ukni", nullptr},        {263, "uknhs", nullptr},       {264, "usein", nullptr},
    {265, "usdea", nullptr},       {266, "frcni", nullptr},       {267, "insee", nullptr},
    {268, "depassport", "DEPSPT"}, {269, "iban", nullptr},        {270, "itin", nullptr},
    {271, "uspassport", "USPSPT"}, {272, "frpassport", "FRPSPT"}, {273, "ukpassport", "UKPSPT"},
};

}  // namespace

bool parsePatternType(std::string const& text, uint16_t& code) {
  for (TypeName const& t : kNames) {
    if (strcasecmp(text.c_str(), t.name) == 0 ||
        (t.alias && strcasecmp(text.c_str(), t.alias) == 0)) {
      code = t.code;
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
  for (TypeName const& t : kNames)
    if (t.code == code) return t.name;
  return std::to_string(code);
}

std::vector<std::string> patternTypeNames() {
  std::vector<std::string> names;
  for (TypeName const& t : kNames) names.push_back(t.name);
  return names;
}

}  // namespace admin
}  // namespace vmund
