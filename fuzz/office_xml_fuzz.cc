// The Office XML readers on any XML: WordprocessingML and DrawingML
// paragraphs, a worksheet over shared strings (the input up to its first
// NUL byte is the shared strings, the rest the sheet), and ODF content. The
// text must be valid UTF-8 under its cap, whatever expat makes of the input.
//
// Input: XML bytes (seeds: the XML parts of the fixtures).
#include <cstddef>
#include <cstdint>
#include <string>

#include "extract_fuzz_check.h"
#include "host/extract/office_text.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  std::string const xml(reinterpret_cast<char const*>(data), size);
  size_t const cap = 1 << 16;
  vmund_fuzz::checkText("office_xml", vmund::paragraphXmlText(xml, cap).text, cap);
  vmund_fuzz::checkText("office_xml", vmund::odfXmlText(xml, cap).text, cap);
  size_t nul = xml.find('\0');
  std::string const sst = nul == std::string::npos ? "" : xml.substr(0, nul);
  std::string const sheet = nul == std::string::npos ? xml : xml.substr(nul + 1);
  // Worksheet cells copy shared strings, which are bounded by the input.
  vmund_fuzz::checkText("office_xml", vmund::worksheetXmlText(sst, sheet, cap).text, cap);
  return 0;
}
