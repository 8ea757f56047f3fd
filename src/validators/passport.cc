// passport: passport and national insurance numbers, which carry no check
// digit the candidates could be judged by; the surroundings decide alone.
#include "validators/boundary_check.h"
#include "vessamund/validators.h"

namespace Vessamund {
namespace Regex {

bool passport::do_check(ExpressionImpl const* /*expr*/, char const* text, unsigned int length,
                        unsigned int& resume, int* ovector, int count) {
  return internal::CheckIdentifier(text, length, resume, ovector, count,
                                   [](char const*, int) { return true; });
}

}  // namespace Regex
}  // namespace Vessamund
