#include "host/extract/pdf_form_fields.h"

#include <poppler.h>

#include <climits>

#include "host/utf8_text.h"

namespace vmund {

bool mayHoldForm(std::string const& bytes) {
  return bytes.find("/AcroForm") != std::string::npos || bytes.find("/ObjStm") != std::string::npos;
}

std::string pdfFormValues(std::string const& bytes, uint64_t maxBytes,
                          std::chrono::steady_clock::time_point deadline) {
  if (bytes.size() > static_cast<size_t>(INT_MAX)) return "";
  GBytes* data = g_bytes_new_static(bytes.data(), bytes.size());
  GError* error = nullptr;
  PopplerDocument* doc = poppler_document_new_from_bytes(data, nullptr, &error);
  g_clear_error(&error);
  std::string out;
  auto add = [&](gchar* value) {
    if (value && *value && out.size() < maxBytes) {
      out += value;
      out += '\n';
    }
    g_free(value);
  };
  int pages = doc ? poppler_document_get_n_pages(doc) : 0;
  for (int i = 0; i < pages && std::chrono::steady_clock::now() < deadline; ++i) {
    PopplerPage* page = poppler_document_get_page(doc, i);
    if (!page) continue;
    GList* fields = poppler_page_get_form_field_mapping(page);
    for (GList* l = fields; l; l = l->next) {
      PopplerFormField* f = static_cast<PopplerFormFieldMapping*>(l->data)->field;
      switch (poppler_form_field_get_field_type(f)) {
        case POPPLER_FORM_FIELD_TEXT:
          add(poppler_form_field_text_get_text(f));
          break;
        case POPPLER_FORM_FIELD_CHOICE: {
          int n = poppler_form_field_choice_get_n_items(f);
          bool chosen = false;
          for (int k = 0; k < n && k < 10000; ++k) {
            if (!poppler_form_field_choice_is_item_selected(f, k)) continue;
            chosen = true;
            add(poppler_form_field_choice_get_item(f, k));
          }
          // An editable combo box holds typed text instead.
          if (!chosen) add(poppler_form_field_choice_get_text(f));
          break;
        }
        default:
          break;
      }
    }
    poppler_page_free_form_field_mapping(fields);
    g_object_unref(page);
  }
  if (doc) g_object_unref(doc);
  g_bytes_unref(data);
  if (out.size() > maxBytes) out.resize(maxBytes);
  return lfLines(validUtf8(std::move(out)));
}

}  // namespace vmund
