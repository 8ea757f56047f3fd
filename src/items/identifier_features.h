// The prefilter of the identifier detectors: one pass over a part that finds
// the shapes of the identifiers the built-in expressions (predefined_patterns.h)
// look for, so that each expression is searched only where one of its
// candidates can start (Regex::matchesIn in outside/ranged_search.h).
//
// A feature is a loose form of an identifier: its characters, its separators
// widened to "a hyphen, a full stop, a blank run or nothing" (the two copies
// of a separator need not agree), the character before it one that can end
// a leading context, the character after it one that can begin a trailing
// context. It is found at the end of the identifier's last digit (`end`),
// with `from` where the identifier begins. Every candidate whose text has no
// long blank run starts at most `lead` bytes before the `from` of a feature
// of its expression found inside it. Candidates with a long blank run, and
// every search position where the engine could reach its backtracking limit,
// lie in the ranges the pass reports around long blank runs.
// identifier_features.cc says why, feature by feature.
#ifndef VESSAMUND_SRC_ITEMS_IDENTIFIER_FEATURES_H_
#define VESSAMUND_SRC_ITEMS_IDENTIFIER_FEATURES_H_

#include <cstdint>

#include "vessamund/regex.h"

namespace Vessamund {
namespace internal {

// Blocks are digits unless said otherwise; "separated" means by the widened
// separator.
enum IdentifierFeature : uint8_t {
  kCanSin,       // 3-3-3, the first digit 0-7 or 9
  kSsnItin,      // 3-2-4 starting 0-8 (usssn)
  kAba,          // 4-4-1
  kUkNhs,        // 3-3-4
  kUsEin,        // 2-7
  kFrCni,        // 2-2-8
  kInsee,        // 1-2-2, then 2-3 or 3-2, then 3-2
  kCard16,       // 4-4-4-4 starting 4
  kCard15,       // 4-6-5 starting 34 or 37
  kCard14,       // 4-6-4 starting 300-305
  kPassport9,    // nine digits, or a letter and seven
  kDea,          // one of ABFGMPR, one of ABFGMPR9, then 6-1
  kUkni,         // two letters, then 2-2-2, then a separator and a letter A-D
  kFrPassport,   // 2 digits, 2 letters, 5 digits, separated
  kCusip,        // 3 digits, 3 letters or digits, 2 letters or digits, a digit
  kIsin,         // at a word start: 2 letters, 9 letters or digits, a digit
  kIbanStart,    // two letters and two digits (what follows may be short)
  kDePassport,   // ten of 0-9 C F G H J K L M N P R T V W X Y Z
  // The other starts of shapes above, one feature per expression, so that a
  // dense run of one kind of identifier wakes only the expression it fits.
  kItin,         // 3-2-4 starting 9
  kCard16Mc,     // 4-4-4-4 starting 51-55
  kCard16Jcb,    // 4-4-4-4 starting 35
  kCard16Disc,   // 4-4-4-4 starting 6011
  kCard16Other,  // 4-4-4-4 starting 65
  kCard15Other,  // 4-6-5 starting 1800 or 2131
  kCard14Other,  // 4-6-4 starting 36 or 38
  kFeatureCount
};

// A blank run this long or longer is long.
constexpr uint32_t kLongBlankRun = 16;

// Receives what the pass finds: each feature's events in text order.
class FeatureSink {
 public:
  virtual void feature(IdentifierFeature feature, uint32_t end, uint32_t from) = 0;
  // Every start position whose candidate or search could reach a long blank
  // run: [first, last].
  virtual void longRun(uint32_t first, uint32_t last) = 0;

 protected:
  ~FeatureSink() = default;
};

// Finds the features whose bit (1 << feature) is set in `wanted`, and the
// long blank runs, in text[0, length). Allocates nothing.
void findIdentifierFeatures(char const* text, uint32_t length, unsigned int wanted,
                            FeatureSink& sink);

// `lead`: a candidate starts at most this many bytes before the feature's
// `from`; `reach`: at most this many before its `end`.
struct FeatureUse {
  IdentifierFeature feature;
  uint32_t reach;
  uint32_t lead;
};

// The features of one built-in expression (at most two); returns how many.
// 0 for any other expression.
int identifierFeaturesOf(Regex::ExpressionImpl const* expression, FeatureUse out[2]);

}  // namespace internal
}  // namespace Vessamund

#endif  // VESSAMUND_SRC_ITEMS_IDENTIFIER_FEATURES_H_
