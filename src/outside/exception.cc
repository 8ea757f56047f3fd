// The library's exception type and the unsigned minimum.
#include "vessamund/exception.h"

namespace Vessamund {

Exception::Exception(std::string const& message, int code, char const* file, unsigned int line)
    : message_(message), code_(code), file_(file), line_(line) {}

unsigned long min(unsigned long a, unsigned long b) { return a < b ? a : b; }

}  // namespace Vessamund
