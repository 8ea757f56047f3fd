// Text of PDF files through poppler (GPL: this file is linked only into the
// vmund-extract helper, the tests and the fuzzers, never into the library or
// the tools that load it).
#ifndef VMUND_HOST_EXTRACT_PDF_TEXT_H_
#define VMUND_HOST_EXTRACT_PDF_TEXT_H_

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace vmund {

struct PdfText {
  std::string text;    // page text in reading order, each line ending in LF, pages in order,
                       // then the values of filled form fields, one a line
  std::string error;   // "" or why there is no (or only part of the) text
  bool encrypted = false;  // needs a password to open
  bool truncated = false;  // reached the byte cap or the deadline
  struct Embedded {
    std::string name;
    std::string data;
  };
  std::vector<Embedded> embedded;  // attached files, for the caller to read in turn
};

// `maxBytes` caps the text and the embedded files together.
PdfText pdfText(std::string const& bytes, uint64_t maxBytes,
                std::chrono::steady_clock::time_point deadline);

}  // namespace vmund

#endif  // VMUND_HOST_EXTRACT_PDF_TEXT_H_
