// Recognises an attachment's format by its content (magic bytes), whatever
// its declared type or file name say.
#ifndef VMUND_HOST_FORMAT_SNIFF_H_
#define VMUND_HOST_FORMAT_SNIFF_H_

#include <string_view>

namespace vmund {

enum class Format {
  kEmpty,
  kText,     // UTF-8 (or plain 8-bit) text without NUL bytes: read as it is
  kHtml,     // text that starts like an HTML document
  kZip,      // also every OOXML and ODF document
  kTar,
  kGzip,
  kBzip2,
  kXz,
  k7z,
  kRar,
  kPdf,
  kRtf,
  kOle,      // legacy Office (.doc, .xls, .ppt): a compound file
  kImage,    // PNG, JPEG, GIF, BMP, TIFF, WebP: no text to read
  kMedia,    // audio and video: no text to read
  kUnknown,  // binary data of no format we read
};

Format sniffFormat(std::string_view bytes);

// Short lower-case name for reports: "zip", "pdf", "image", ...
char const* formatName(Format format);

// True for the formats the extractor reads (archives and documents).
bool isExtractable(Format format);

}  // namespace vmund

#endif  // VMUND_HOST_FORMAT_SNIFF_H_
