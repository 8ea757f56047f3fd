// Re_Logger: the validator base that reports accepted candidates to the
// scan's match logger, and the accept-all rule of administrator expressions.
#include "vessamund/validators.h"

namespace Vessamund {
namespace Regex {

bool Re_Logger::check(ExpressionImpl const* expr, char const* text, unsigned int length,
                      unsigned int& resume, int* ovector, int count) {
  if (!do_check(expr, text, length, resume, ovector, count)) return false;
  // The whole match, context characters included, under the expression's
  // stored text: its address identifies the entry to the logger.
  logger.log(expr->pattern().c_str(), text + ovector[0],
             static_cast<unsigned int>(ovector[1] - ovector[0]));
  return true;
}

bool Re_Logger::do_check(ExpressionImpl const* /*expr*/, char const* /*text*/,
                         unsigned int /*length*/, unsigned int& resume, int* ovector,
                         int /*count*/) {
  resume = static_cast<unsigned int>(ovector[1]);
  return true;
}

}  // namespace Regex
}  // namespace Vessamund
