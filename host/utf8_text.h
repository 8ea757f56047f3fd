// Text as the scanner takes it from extractors: valid UTF-8, LF line ends.
#ifndef VMUND_HOST_UTF8_TEXT_H_
#define VMUND_HOST_UTF8_TEXT_H_

#include <cstdint>
#include <string>

namespace vmund {

// `text` with every byte sequence that is not UTF-8 replaced by U+FFFD (the
// text around it kept as it is).
std::string validUtf8(std::string text);

// `text` read as Windows-1252 (the 8-bit charset of old Office files and
// RTF), in UTF-8.
std::string cp1252ToUtf8(std::string const& text);

// Appends code point `cp` as UTF-8 (U+FFFD for surrogates and values past
// U+10FFFF).
void appendUtf8(std::string& out, uint32_t cp);

// Line ends as a reader renders them: CRLF and a lone CR (old Macintosh
// files, doubled CRs from broken gateways) each become LF.
std::string lfLines(std::string text);

}  // namespace vmund

#endif  // VMUND_HOST_UTF8_TEXT_H_
