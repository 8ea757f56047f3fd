// Text of RTF documents: the characters a reader shows, in UTF-8.
#ifndef VMUND_HOST_EXTRACT_RTF_TEXT_H_
#define VMUND_HOST_EXTRACT_RTF_TEXT_H_

#include <cstdint>
#include <string>

namespace vmund {

// Paragraphs (\par) and line breaks end with LF, table cells (\cell) are
// joined by TAB and rows (\row) end with LF. 8-bit characters (\'hh) are
// read as Windows-1252, \uN as Unicode. Groups that hold no text a reader
// sees (font and colour tables, pictures, embedded objects, \* destinations)
// are left out. Unbalanced braces are tolerated. `maxBytes` caps the text.
std::string rtfText(std::string const& bytes, uint64_t maxBytes);

}  // namespace vmund

#endif  // VMUND_HOST_EXTRACT_RTF_TEXT_H_
