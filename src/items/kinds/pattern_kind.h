// The pattern kinds: for each pattern-type code of an item record, the item
// it makes, the names tools show and read for it, and the prefilter a scan
// plan gives its items. One table (pattern_kinds.cc) that item creation, the
// scan plan, the identifier detectors and the database tools all read.
//
// Self-contained on purpose: the tools that write the configuration database
// include this header alone (CMake target vessamund_pattern_kinds) to read
// the kind names, without seeing the rest of the library's internals.
#ifndef VESSAMUND_SRC_ITEMS_KINDS_PATTERN_KIND_H_
#define VESSAMUND_SRC_ITEMS_KINDS_PATTERN_KIND_H_

#include <cstddef>
#include <cstdint>

struct __vmund_dictionary_item;

namespace Vessamund {

class DictionaryItemImpl;
class DictionaryMatchLogger;
class DScanAreaImpl;
template <class T>
class Ref;
namespace Regex {
class Expression;
}  // namespace Regex

namespace internal {

struct IdentifierHints;
struct PatternKind;

// What a scan plan finds in its one pass for an item of a kind, so that the
// item reads only the parts (or stretches) where it can match.
enum class Prefilter : uint8_t {
  kLiteral,     // plain word: its occurrences, counted exactly
  kWildcard,    // a literal every match of the wildcard pattern contains
  kExpression,  // what every match of the administrator's expression contains
  kIdentifier,  // the shapes of the detector's identifiers
};

// A new item for `record` holding its creation reference. Throws what the
// item's constructor throws.
using ItemMaker = DictionaryItemImpl* (*)(__vmund_dictionary_item const* record);

// A detector's scan of `item` with the kind's expressions and validator;
// `hints` may be null (the item's own scan).
using IdentifierScan = unsigned long (*)(DictionaryItemImpl const& item, PatternKind const& kind,
                                         DScanAreaImpl* area, unsigned long budget,
                                         DictionaryMatchLogger& logger,
                                         IdentifierHints const* hints);

struct PatternKind {
  uint16_t code;
  char const* name;   // what tools write and read: "word", "regex", "creditcard"
  char const* label;  // detectors: the fixed pattern text their items take
                      // ("CreditCard"), which tools also read; else null
  char const* alias;  // one more name tools read ("contain", "CC"), or null
  ItemMaker make;
  Prefilter prefilter;
  // Detectors only (null and 0 for the other kinds): the built-in
  // expressions, run in order over each selected part, and the scan that
  // runs them with the kind's validator.
  Regex::Expression const* expressions;
  unsigned int expressionCount;
  IdentifierScan scan;
};

// Every row, in code order (1, 2, 3, then the eighteen detectors 256..273);
// `count` receives how many. The table is constant: usable from any static
// initialiser, by any number of threads.
PatternKind const* patternKinds(std::size_t* count);

// The row of `code`, or null when no row has that code.
PatternKind const* findPatternKind(uint16_t code);

// The kind a record of `code` makes: its row, or the wildcard row for a code
// without one (no code is refused).
PatternKind const& patternKindFor(uint16_t code);

// kind.make(record) in a handle that holds the only reference. Borrows the
// record; throws what the item's constructor throws, or std::bad_alloc.
Ref<DictionaryItemImpl> makeItem(PatternKind const& kind, __vmund_dictionary_item const* record);

}  // namespace internal
}  // namespace Vessamund

#endif  // VESSAMUND_SRC_ITEMS_KINDS_PATTERN_KIND_H_
