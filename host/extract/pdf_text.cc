#include "host/extract/pdf_text.h"

#include <poppler-document.h>
#include <poppler-embedded-file.h>
#include <poppler-global.h>
#include <poppler-page.h>

#include <climits>
#include <memory>
#include <mutex>

#include "host/extract/pdf_form_fields.h"
#include "host/utf8_text.h"

namespace vmund {
namespace {

// poppler reports every syntax problem of a damaged file on stderr; the
// caller reports what matters.
void quiet(std::string const&, void*) {}

}  // namespace

PdfText pdfText(std::string const& bytes, uint64_t maxBytes,
                std::chrono::steady_clock::time_point deadline) {
  static std::once_flag once;
  std::call_once(once, [] { poppler::set_debug_error_function(&quiet, nullptr); });
  PdfText out;
  if (bytes.size() > static_cast<size_t>(INT_MAX)) {
    out.error = "PDF too large";
    return out;
  }
  std::unique_ptr<poppler::document> doc(
      poppler::document::load_from_raw_data(bytes.data(), static_cast<int>(bytes.size())));
  if (!doc) {
    out.error = "unreadable PDF";
    return out;
  }
  if (doc->is_locked()) {
    out.encrypted = true;
    out.error = "encrypted PDF (needs a password)";
    return out;
  }
  uint64_t used = 0;
  int pages = doc->pages();
  for (int i = 0; i < pages; ++i) {
    if (std::chrono::steady_clock::now() >= deadline) {
      out.truncated = true;
      out.error = "time budget spent at page " + std::to_string(i + 1);
      break;
    }
    std::unique_ptr<poppler::page> page(doc->create_page(i));
    if (!page) continue;
    poppler::byte_array utf8 = page->text(poppler::rectf(), poppler::page::raw_order_layout).to_utf8();
    std::string text = lfLines(std::string(utf8.begin(), utf8.end()));
    // poppler ends pages with a form feed; a line ends with LF.
    for (char& c : text)
      if (c == '\f') c = '\n';
    if (!text.empty() && text.back() != '\n') text += '\n';
    if (used + text.size() > maxBytes) {
      out.text += text.substr(0, maxBytes - used);
      out.truncated = true;
      out.error = "text past the size limit";
      break;
    }
    used += text.size();
    out.text += text;
  }
  out.text = validUtf8(std::move(out.text));
  // Filled form fields after the pages: their values are on no page.
  if (!out.truncated && mayHoldForm(bytes)) {
    std::string values = pdfFormValues(bytes, maxBytes - used, deadline);
    used += values.size();
    out.text += values;
  }
  if (doc->has_embedded_files()) {
    for (poppler::embedded_file* f : doc->embedded_files()) {
      if (!f || !f->is_valid()) continue;
      poppler::byte_array data = f->data();
      if (used + data.size() > maxBytes) {
        out.truncated = true;
        out.error = "embedded files past the size limit";
        break;
      }
      used += data.size();
      out.embedded.push_back({f->name(), std::string(data.begin(), data.end())});
    }
  }
  return out;
}

}  // namespace vmund
