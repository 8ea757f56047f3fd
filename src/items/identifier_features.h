// The prefilter of the identifier detectors: one pass over a part that finds
// the features every candidate of the built-in expressions
// (predefined_patterns.h) holds, so that each expression can be searched
// only near them (ExpressionImpl::matchesIn).
//
// A feature is found at an end offset; an expression that uses it has a
// reach: every candidate of the expression whose text has no long blank run
// starts at most `reach` bytes before the end of a feature found inside it.
// Candidates with a long blank run, and every search position where the
// engine could reach its backtracking limit, lie in the ranges the pass
// reports around long blank runs. identifier_features.cc says why, feature
// by feature.
#ifndef VESSAMUND_SRC_ITEMS_IDENTIFIER_FEATURES_H_
#define VESSAMUND_SRC_ITEMS_IDENTIFIER_FEATURES_H_

#include <cstdint>

#include "vessamund/regex.h"

namespace Vessamund {
namespace internal {

// Separators below are what the expressions put between the blocks of an
// identifier: a hyphen, a full stop, a blank run (spaces and tabs), or
// nothing. "Found at" is the offset just past the character named.
enum IdentifierFeature : uint8_t {
  kChain6,      // a digit ending a chain of at least 6 digits, each joined to
  kChain9,      //   the next by a hyphen, a full stop, a blank run or nothing
  kChain14,     //   (at least 9, at least 14)
  kFrShape,     // a digit ending: 2 digits, a separator, 2 letters, the
                //   separator again, 5 digits
  kIsinTail,    // a digit after nine letters or digits and, between them, a
                //   hyphen, a blank run or nothing
  kCusipShape,  // a digit ending: 3 digits, 3 letters or digits, a hyphen, a
                //   blank run or nothing, 2 letters or digits, the same
                //   choice again
  kIbanStart,   // a digit ending two letters and two digits, the letters at
                //   the text's start or after a character that can lead an
                //   identifier (see kLeadingContext in the source)
  kDeRun,       // a character ending ten of 0-9 C F G H J K L M N P R T V W X Y Z
  kFeatureCount
};

// A blank run this long or longer is long.
constexpr uint32_t kLongBlankRun = 16;

// Receives what the pass finds, in text order.
class FeatureSink {
 public:
  // `from`: for the chains, the offset of the chain's first digit; for the
  // other features the start of what was matched.
  virtual void feature(IdentifierFeature feature, uint32_t end, uint32_t from) = 0;
  // Every start position whose candidate or search could reach the long
  // blank run at [runStart, runEnd): [first, last].
  virtual void longRun(uint32_t first, uint32_t last) = 0;

 protected:
  ~FeatureSink() = default;
};

// Finds the features whose bit (1 << feature) is set in `wanted`, and the
// long blank runs, in text[0, length). Allocates nothing.
void findIdentifierFeatures(char const* text, uint32_t length, unsigned int wanted,
                            FeatureSink& sink);

// `lead`: a candidate also starts at most this many bytes before the
// feature's `from`; kNoFeatureLead when that gives no bound.
constexpr uint32_t kNoFeatureLead = UINT32_MAX;

struct FeatureUse {
  IdentifierFeature feature;
  uint32_t reach;
  uint32_t lead;
};

// The features of one built-in expression (at most two) and their reaches;
// returns how many. 0 for any other expression.
int identifierFeaturesOf(Regex::ExpressionImpl const* expression, FeatureUse out[2]);

}  // namespace internal
}  // namespace Vessamund

#endif  // VESSAMUND_SRC_ITEMS_IDENTIFIER_FEATURES_H_
