// Header values as the host reads them.
#ifndef VMUND_HOST_HEADER_TEXT_H_
#define VMUND_HOST_HEADER_TEXT_H_

#include <string>

namespace vmund {

// `value` (a raw header value; null reads as empty) with folded lines, and
// the stray line ends of broken headers, joined by one blank and its ends
// trimmed of blanks and tabs.
std::string unfoldedHeader(char const* value);

}  // namespace vmund

#endif  // VMUND_HOST_HEADER_TEXT_H_
