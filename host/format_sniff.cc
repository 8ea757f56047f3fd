// Magic numbers of the formats mail carries. Order matters only where one
// format's signature could start another's data: binary signatures first,
// the text tests last.
#include "host/format_sniff.h"

#include <cstring>
#include <string>

namespace vmund {
namespace {

bool startsWith(std::string_view b, std::string_view magic) {
  return b.size() >= magic.size() && std::memcmp(b.data(), magic.data(), magic.size()) == 0;
}

bool at(std::string_view b, size_t offset, std::string_view magic) {
  return b.size() >= offset + magic.size() &&
         std::memcmp(b.data() + offset, magic.data(), magic.size()) == 0;
}

// PDF readers accept the header anywhere in the first kilobyte.
bool isPdf(std::string_view b) {
  std::string_view head = b.substr(0, 1024);
  return head.find("%PDF-") != std::string_view::npos;
}

// Text: no NUL byte in the first 8 KiB and few control characters. Bytes
// above ASCII pass (any 8-bit charset is text); the reader makes them UTF-8.
bool isText(std::string_view b) {
  size_t n = b.size() < 8192 ? b.size() : 8192;
  size_t control = 0;
  for (size_t i = 0; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(b[i]);
    if (c == 0) return false;
    if (c < 32 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != 27) ++control;
  }
  return control * 100 <= n;  // at most 1 %
}

bool isHtml(std::string_view b) {
  size_t i = 0;
  if (startsWith(b, "\xEF\xBB\xBF")) i = 3;
  while (i < b.size() && (b[i] == ' ' || b[i] == '\t' || b[i] == '\r' || b[i] == '\n')) ++i;
  std::string head(b.substr(i, 15));
  for (char& c : head)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return head.compare(0, 9, "<!doctype") == 0 || head.compare(0, 5, "<html") == 0;
}

}  // namespace

Format sniffFormat(std::string_view b) {
  if (b.empty()) return Format::kEmpty;
  if (startsWith(b, "PK\x03\x04") || startsWith(b, std::string_view("PK\x05\x06", 4)) ||
      startsWith(b, "PK\x07\x08"))
    return Format::kZip;
  if (startsWith(b, "\x1F\x8B")) return Format::kGzip;
  if (startsWith(b, "BZh")) return Format::kBzip2;
  if (startsWith(b, std::string_view("\xFD" "7zXZ\0", 6))) return Format::kXz;
  if (startsWith(b, "7z\xBC\xAF\x27\x1C")) return Format::k7z;
  if (startsWith(b, "Rar!\x1A\x07")) return Format::kRar;
  if (startsWith(b, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) return Format::kOle;
  if (startsWith(b, "{\\rtf")) return Format::kRtf;
  if (isPdf(b)) return Format::kPdf;
  if (at(b, 257, "ustar")) return Format::kTar;
  if (startsWith(b, "\x89PNG") || startsWith(b, "\xFF\xD8\xFF") || startsWith(b, "GIF8") ||
      startsWith(b, "BM") || startsWith(b, std::string_view("II*\0", 4)) ||
      startsWith(b, std::string_view("MM\0*", 4)) || (startsWith(b, "RIFF") && at(b, 8, "WEBP")))
    return Format::kImage;
  if (startsWith(b, "ID3") || startsWith(b, "OggS") || startsWith(b, "fLaC") ||
      (startsWith(b, "RIFF") && (at(b, 8, "WAVE") || at(b, 8, "AVI "))) || at(b, 4, "ftyp") ||
      startsWith(b, "\x1A\x45\xDF\xA3"))
    return Format::kMedia;
  if (isText(b)) return isHtml(b) ? Format::kHtml : Format::kText;
  return Format::kUnknown;
}

char const* formatName(Format f) {
  switch (f) {
    case Format::kEmpty: return "empty";
    case Format::kText: return "text";
    case Format::kHtml: return "html";
    case Format::kZip: return "zip";
    case Format::kTar: return "tar";
    case Format::kGzip: return "gzip";
    case Format::kBzip2: return "bzip2";
    case Format::kXz: return "xz";
    case Format::k7z: return "7z";
    case Format::kRar: return "rar";
    case Format::kPdf: return "pdf";
    case Format::kRtf: return "rtf";
    case Format::kOle: return "legacy office";
    case Format::kImage: return "image";
    case Format::kMedia: return "audio or video";
    case Format::kUnknown: return "unknown binary";
  }
  return "unknown binary";
}

bool isExtractable(Format f) {
  switch (f) {
    case Format::kZip: case Format::kTar: case Format::kGzip: case Format::kBzip2:
    case Format::kXz: case Format::k7z: case Format::kRar: case Format::kPdf:
    case Format::kRtf: case Format::kOle:
      return true;
    default:
      return false;
  }
}

}  // namespace vmund
