// The text of Office documents (OOXML and ODF), from the members of their
// zip container, in one shape: the runs of a paragraph joined with nothing
// between, paragraphs ended by LF; a spreadsheet row's cells joined by TAB,
// rows ended by LF, sheets in workbook order.
#ifndef VMUND_HOST_EXTRACT_OFFICE_TEXT_H_
#define VMUND_HOST_EXTRACT_OFFICE_TEXT_H_

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace vmund {

// A container's members by path ("word/document.xml").
using ZipMembers = std::map<std::string, std::string>;

enum class OfficeKind { kNone, kWord, kSpreadsheet, kPresentation, kOpenDocument };

// Which document a zip holds, from its member names alone.
OfficeKind officeKind(ZipMembers const& members);

// Whether `name` is a member the text extractor of `kind` reads (only those
// need to be decompressed).
bool isTextMember(OfficeKind kind, std::string const& name);

struct OfficeText {
  std::string text;
  std::string error;       // "" or the first XML error (text before it is kept)
  bool truncated = false;  // the text reached `maxBytes` and stops there

  // Appends `s`, or what of it fits in `max` bytes of text; past that,
  // nothing more (and `truncated` is set).
  void append(std::string_view s, uint64_t max) {
    if (truncated) return;
    if (text.size() + s.size() > max) {
      text.append(s.substr(0, max - text.size()));
      truncated = true;
      return;
    }
    text.append(s);
  }
};

// `maxBytes` caps the text collected.
OfficeText wordText(ZipMembers const& members, uint64_t maxBytes);
OfficeText spreadsheetText(ZipMembers const& members, uint64_t maxBytes);
OfficeText presentationText(ZipMembers const& members, uint64_t maxBytes);
OfficeText openDocumentText(ZipMembers const& members, uint64_t maxBytes);

// One XML part alone, for the fuzzers: paragraphs (docx, pptx), a worksheet
// over the shared strings of `sharedStrings` ("" for none), ODF content.
OfficeText paragraphXmlText(std::string const& xml, uint64_t maxBytes);
OfficeText worksheetXmlText(std::string const& sharedStrings, std::string const& sheet,
                            uint64_t maxBytes);
OfficeText odfXmlText(std::string const& xml, uint64_t maxBytes);

}  // namespace vmund

#endif  // VMUND_HOST_EXTRACT_OFFICE_TEXT_H_
