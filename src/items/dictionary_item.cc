// Common fields of every item, copied from its record.
#include "vessamund/dictionary_item.h"

#include <cstring>

namespace Vessamund {

namespace {
// The record's pattern is meant to be terminated within its 256 bytes; a host
// record that is not still yields at most 255 bytes.
std::string patternOf(__vmund_dictionary_item const* record) {
  return std::string(record->pattern, strnlen(record->pattern, sizeof(record->pattern) - 1));
}
}  // namespace

DictionaryItemImpl::DictionaryItemImpl(__vmund_dictionary_item const* record)
    : weight(record->pattern_weight),
      scan_area(record->pattern_scan_area),
      max_weight(record->pattern_max_weight),
      max_limit(record->pattern_max_limit != 0),
      pattern(patternOf(record)) {}

DictionaryItemImpl::~DictionaryItemImpl() {}

}  // namespace Vessamund
