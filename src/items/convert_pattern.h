// Rewrites an administrator's regular expression for the engine: numeric
// character references become code-point escapes and malformed UTF-8 lead
// bytes are dropped. Used by DictionaryRegex at construction only.
#ifndef VESSAMUND_SRC_ITEMS_CONVERT_PATTERN_H_
#define VESSAMUND_SRC_ITEMS_CONVERT_PATTERN_H_

#include "vessamund/buffer.h"

namespace Vessamund {
namespace internal {

// Converts the zero-terminated `text` (borrowed for the call) in one
// left-to-right pass and returns the result followed by one zero byte; an
// empty text gives an empty buffer, without the zero byte.
//
// - "&#<decimal>;", "&#x<hex>;" and "&#X<hex>;" become "\x{<lower-case hex>}".
//   Anything else after "&" ("&amp;", "&#65" without ";", "&#;") is copied.
// - A byte of 0x80 or above must start a well-formed UTF-8 sequence of up to
//   six bytes (no overlong three- to six-byte forms); a well-formed sequence is
//   copied whole, any other such byte alone is dropped.
//
// `*options` (REQUIRES: non-null) is overwritten: 0x1 (caseless), plus 0x800
// (UTF-8) when the text held a byte of 0x80 or above, kept or dropped, or a
// converted reference. Allocates; throws only std::bad_alloc.
Buffer convertPattern(char const* text, unsigned int* options);

}  // namespace internal
}  // namespace Vessamund

#endif  // VESSAMUND_SRC_ITEMS_CONVERT_PATTERN_H_
