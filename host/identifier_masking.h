// Masks the identifiers in a short text shown to a person (a message's From
// or Subject in a report), whatever the policy being scanned for counts.
#ifndef VMUND_HOST_IDENTIFIER_MASKING_H_
#define VMUND_HOST_IDENTIFIER_MASKING_H_

#include <string>

namespace vmund {

// `text` with the value of every identifier that any of the eighteen
// detectors accepts in it replaced by its mask (value_mask.h). The first call
// compiles the detectors once for the process; later calls, from any thread,
// share them.
std::string maskIdentifiers(std::string const& text);

}  // namespace vmund

#endif  // VMUND_HOST_IDENTIFIER_MASKING_H_
