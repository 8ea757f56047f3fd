// Text of legacy Office files (.doc, .xls, .ppt: OLE compound files), best
// effort, through the catdoc package's readers (catdoc, xls2csv, catppt).
#ifndef VMUND_HOST_EXTRACT_LEGACY_OFFICE_H_
#define VMUND_HOST_EXTRACT_LEGACY_OFFICE_H_

#include <chrono>
#include <cstdint>
#include <string>

namespace vmund {

struct LegacyText {
  std::string text;
  std::string error;  // "" or why there is no text
};

// Which reader fits is decided by the stream names in the file's directory
// (WordDocument, Workbook or Book, PowerPoint Document). A spreadsheet's
// cells are joined by TAB and its rows end with LF. The reader runs as a
// child process, killed at `deadline`; its output is capped at `maxBytes`.
LegacyText legacyOfficeText(std::string const& bytes, uint64_t maxBytes,
                            std::chrono::steady_clock::time_point deadline);

}  // namespace vmund

#endif  // VMUND_HOST_EXTRACT_LEGACY_OFFICE_H_
