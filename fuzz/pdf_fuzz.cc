// The PDF reader (poppler) on any bytes: text valid UTF-8 under its cap,
// embedded files within it, encrypted files reported as such.
//
// Input: a PDF file.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "extract_fuzz_check.h"
#include "host/extract/pdf_text.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  std::string const bytes(reinterpret_cast<char const*>(data), size);
  size_t const cap = 1 << 20;
  vmund::PdfText t =
      vmund::pdfText(bytes, cap, std::chrono::steady_clock::now() + std::chrono::seconds(5));
  vmund_fuzz::checkText("pdf", t.text, cap);
  size_t embedded = 0;
  for (auto const& e : t.embedded) embedded += e.data.size();
  if (t.text.size() + embedded > cap) vmund_fuzz::fail("pdf", "text and embedded files past the cap");
  if (t.encrypted && t.error.empty()) vmund_fuzz::fail("pdf", "encrypted without a reason");
  return 0;
}
