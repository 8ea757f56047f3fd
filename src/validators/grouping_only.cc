// itin, frcni, usein: identifiers without a check digit, judged by their
// surroundings and the grouping of their digits alone.
#include "validators/boundary_check.h"
#include "vessamund/validators.h"

namespace Vessamund {
namespace Regex {

namespace {

template <char const* kGroups>
bool groupedAs(char const* id, int n) {
  return DigitalPatternSPCheck(true, id, n, kGroups);
}

constexpr char kItinGroups[] = "324";
constexpr char kFrcniGroups[] = "228";
constexpr char kUseinGroups[] = "27";

}  // namespace

bool itin::do_check(ExpressionImpl const* /*expr*/, char const* text, unsigned int length,
                    unsigned int& resume, int* ovector, int count) {
  return internal::CheckIdentifier(text, length, resume, ovector, count,
                                   groupedAs<kItinGroups>);
}

bool frcni::do_check(ExpressionImpl const* /*expr*/, char const* text, unsigned int length,
                     unsigned int& resume, int* ovector, int count) {
  return internal::CheckIdentifier(text, length, resume, ovector, count,
                                   groupedAs<kFrcniGroups>);
}

bool usein::do_check(ExpressionImpl const* /*expr*/, char const* text, unsigned int length,
                     unsigned int& resume, int* ovector, int count) {
  return internal::CheckIdentifier(text, length, resume, ovector, count,
                                   groupedAs<kUseinGroups>);
}

}  // namespace Regex
}  // namespace Vessamund
