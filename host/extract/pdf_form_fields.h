// The values filled into a PDF's form fields, which are no part of any
// page's content and so not in its text: text fields and the chosen items
// of list and combo boxes. Through poppler's GLib interface, which has the
// form API (GPL, like the rest of the PDF reading).
#ifndef VMUND_HOST_EXTRACT_PDF_FORM_FIELDS_H_
#define VMUND_HOST_EXTRACT_PDF_FORM_FIELDS_H_

#include <chrono>
#include <cstdint>
#include <string>

namespace vmund {

// Each value on a line of its own, in page and widget order; "" for a file
// without filled fields (or one that does not open: the text reader reports
// that). At most `maxBytes`.
std::string pdfFormValues(std::string const& bytes, uint64_t maxBytes,
                          std::chrono::steady_clock::time_point deadline);

// Whether a file may hold a form at all: its catalog says /AcroForm, or sits
// in a compressed object stream where that cannot be seen without parsing.
bool mayHoldForm(std::string const& bytes);

}  // namespace vmund

#endif  // VMUND_HOST_EXTRACT_PDF_FORM_FIELDS_H_
