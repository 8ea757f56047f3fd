// MIME reading with GMime: the message tree becomes an ordered list of text
// parts (see mime_reader.h for the kinds). GMime stays inside this file.
#include "host/mime_reader.h"

#include <gmime/gmime.h>

#include <iconv.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "host/attachment_extractor.h"
#include "host/format_sniff.h"
#include "host/header_text.h"
#include "host/html_text.h"
#include "host/utf8_text.h"

namespace vmund {
namespace {

// GMime's global state (charset tables, iconv cache) must be set up once
// before any thread parses; call_once makes the first reader do it.
void initMime() {
  static std::once_flag once;
  std::call_once(once, [] { g_mime_init(); });
}

// Releases a GObject reference at scope end.
struct Unref {
  void operator()(gpointer p) const {
    if (p) g_object_unref(p);
  }
};
template <typename T>
using Owned = std::unique_ptr<T, Unref>;

std::string lowerAscii(char const* s) {
  std::string out = s ? s : "";
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::string mimeTypeOf(GMimeObject* obj) {
  GMimeContentType* ct = g_mime_object_get_content_type(obj);
  if (!ct) return "text/plain";
  std::string type = lowerAscii(g_mime_content_type_get_media_type(ct));
  std::string sub = lowerAscii(g_mime_content_type_get_media_subtype(ct));
  if (type.empty()) type = "text";
  if (sub.empty()) sub = "plain";
  return type + "/" + sub;
}

bool startsWith(std::string const& s, char const* prefix) {
  return s.compare(0, std::strlen(prefix), prefix) == 0;
}

// Application types whose content is text meant for people or programs.
bool isTextualType(std::string const& mime) {
  static char const* const kTextual[] = {
      "application/json",       "application/xml",         "application/csv",
      "application/javascript", "application/x-sh",        "application/x-shellscript",
      "application/sql",        "application/x-yaml",      "application/yaml",
      "application/x-perl",     "application/x-python",    "application/rtf",
      "application/x-tex",      "application/ecmascript",  "application/x-javascript",
      "application/x-csh",      "application/x-httpd-php", "application/pgp-keys"};
  if (startsWith(mime, "text/") || startsWith(mime, "message/")) return true;
  for (char const* t : kTextual)
    if (mime == t) return true;
  size_t plus = mime.rfind('+');
  return plus != std::string::npos && (mime.compare(plus, std::string::npos, "+xml") == 0 ||
                                       mime.compare(plus, std::string::npos, "+json") == 0);
}

// Content declared only as bytes counts as text when its start has no NUL
// byte and is valid UTF-8 apart from a sequence cut at the sample's end.
bool looksLikeText(std::string const& bytes) {
  size_t n = bytes.size() < 8192 ? bytes.size() : 8192;
  if (n == 0) return false;
  if (std::memchr(bytes.data(), 0, n)) return false;
  char const* end = nullptr;
  if (g_utf8_validate(bytes.data(), static_cast<gssize>(n), &end)) return true;
  return n == 8192 && static_cast<size_t>(bytes.data() + n - end) < 4;
}

// Writes the part's content, transfer-decoded, through `filters` into memory.
std::string contentThrough(GMimePart* part, std::vector<GMimeFilter*> const& filters) {
  GMimeDataWrapper* content = g_mime_part_get_content(part);
  if (!content) return std::string();
  Owned<GMimeStream> mem(g_mime_stream_mem_new());
  Owned<GMimeStream> filtered(g_mime_stream_filter_new(mem.get()));
  for (GMimeFilter* f : filters) {
    g_mime_stream_filter_add(GMIME_STREAM_FILTER(filtered.get()), f);
    g_object_unref(f);
  }
  g_mime_data_wrapper_write_to_stream(content, filtered.get());
  g_mime_stream_flush(filtered.get());
  GByteArray* array = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(mem.get()));
  return std::string(reinterpret_cast<char const*>(array->data), array->len);
}


bool isUtf8Compatible(std::string const& charset) {
  return charset.empty() || charset == "utf-8" || charset == "utf8" || charset == "us-ascii" ||
         charset == "ascii";
}

// Turns `text` into valid UTF-8: bytes that are not UTF-8 are read with
// GMime's fallback charsets (Latin-1 at the end, which accepts anything).
std::string ensureUtf8(std::string text) {
  if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) return text;
  char* fixed = g_mime_utils_decode_8bit(nullptr, text.data(), text.size());
  if (!fixed) return text;
  // The C library's converter takes lead bytes past U+10FFFF (F5 to F7) for
  // UTF-8, so the text it chose as UTF-8 may still not be: what remains
  // invalid becomes U+FFFD.
  if (!g_utf8_validate(fixed, -1, nullptr)) {
    char* valid = g_utf8_make_valid(fixed, -1);
    g_free(fixed);
    fixed = valid;
  }
  std::string out(fixed);
  g_free(fixed);
  return out;
}

// The C library loads a charset's converter module when a conversion opens
// and unloads it when the last one closes, so every part in that charset
// would map and unmap a shared object. One conversion per charset name kept
// open for the life of the process keeps its module loaded. Bounded, so
// that mail naming endless charset aliases cannot grow the set.
void keepConverterLoaded(std::string const& charset) {
  struct Kept {
    std::string charset;
    iconv_t converter;
  };
  static std::mutex mutex;
  // Never freed, so the converters stay reachable to leak checkers.
  static auto* kept = new std::vector<Kept>;
  constexpr size_t kMaxKept = 64;
  std::lock_guard<std::mutex> lock(mutex);
  if (kept->size() >= kMaxKept) return;
  for (Kept const& k : *kept)
    if (k.charset == charset) return;
  char const* name = g_mime_charset_iconv_name(charset.c_str());
  kept->push_back({charset, iconv_open("UTF-8", name ? name : charset.c_str())});
}

// The part's text in UTF-8 with LF line ends, whatever its transfer encoding
// and declared charset. An unknown charset is read as if undeclared.
std::string decodedText(GMimePart* part) {
  std::string charset =
      lowerAscii(g_mime_object_get_content_type_parameter(GMIME_OBJECT(part), "charset"));
  std::vector<GMimeFilter*> filters;
  if (!isUtf8Compatible(charset)) {
    keepConverterLoaded(charset);
    if (GMimeFilter* conv = g_mime_filter_charset_new(charset.c_str(), "UTF-8"))
      filters.push_back(conv);
  }
  return ensureUtf8(lfLines(contentThrough(part, filters)));
}

// Appends "Name: value\n" for every header of `obj`, values unfolded and
// RFC 2047-decoded.
void appendHeaders(GMimeObject* obj, std::string& block) {
  GMimeHeaderList* list = g_mime_object_get_header_list(obj);
  int count = list ? g_mime_header_list_get_count(list) : 0;
  for (int i = 0; i < count; ++i) {
    GMimeHeader* h = g_mime_header_list_get_header_at(list, i);
    char const* name = g_mime_header_get_name(h);
    char const* raw = g_mime_header_get_raw_value(h);
    // Decoding the raw value ourselves treats every header alike (GMime's
    // own value is re-encoded for some address headers).
    std::string value = unfoldedHeader(raw);
    char* decoded = g_mime_utils_header_decode_text(nullptr, value.c_str());
    std::string line = name ? name : "";
    line += ": ";
    // An encoded word may itself decode to line ends; the value stays one line.
    line += decoded ? unfoldedHeader(decoded) : value;
    // The name too may hold bytes that are not UTF-8.
    block += ensureUtf8(std::move(line));
    block += '\n';
    g_free(decoded);
  }
}

// The whole header block of a message. GMime keeps the Content-* headers of
// the top level with the body object, so they follow the message's own.
std::string headerBlock(GMimeMessage* msg) {
  std::string block;
  appendHeaders(GMIME_OBJECT(msg), block);
  if (GMimeObject* body = g_mime_message_get_mime_part(msg)) appendHeaders(body, block);
  return block;
}

// One header of `msg`, unfolded and RFC 2047-decoded; "" when absent.
std::string headerText(GMimeMessage* msg, char const* name) {
  char const* raw = g_mime_object_get_header(GMIME_OBJECT(msg), name);
  if (raw == nullptr) return std::string();
  std::string value = unfoldedHeader(raw);
  char* decoded = g_mime_utils_header_decode_text(nullptr, value.c_str());
  if (decoded) value = unfoldedHeader(decoded);
  g_free(decoded);
  value.erase(0, value.find_first_not_of(' '));
  return ensureUtf8(std::move(value));
}

std::string labelOf(GMimePart* part, std::string const& mime) {
  char const* file = g_mime_part_get_filename(part);
  return file && *file ? ensureUtf8(file) : mime;
}

// Hands what an extractor finds to the message's area.
class AreaSink : public ExtractSink {
 public:
  explicit AreaSink(MessageArea& area) : area_(area) {}
  void text(std::string const& label, std::string text) override {
    area_.addPart(kAttachment, std::move(text), label);
  }
  void skipped(std::string const& label, std::string const& reason, bool unscannable) override {
    area_.addSkipped(label, "", reason, unscannable);
  }

 private:
  MessageArea& area_;
};

class TreeWalker {
 public:
  TreeWalker(MessageArea& area, ReadOptions const& options)
      : area_(area), options_(options),
        budget_(options.extractor ? options.extractor->limits() : ExtractLimits{},
                options.deadline) {}

  void message(GMimeMessage* msg, bool attached) {
    std::string headers = headerBlock(msg);
    if (!headers.empty())
      area_.addPart(attached ? kAttachment : kHeader, std::move(headers),
                    attached ? "attached message header" : "header");
    if (GMimeObject* body = g_mime_message_get_mime_part(msg)) walk(body, attached, false);
  }

 private:
  // `attached`: inside an attachment (everything text becomes kind 2);
  // `htmlTwin`: the first HTML leaf below is the alternative of a plain body.
  void walk(GMimeObject* obj, bool attached, bool htmlTwin) {
    if (GMIME_IS_MESSAGE_PART(obj)) {
      if (GMimeMessage* inner = g_mime_message_part_get_message(GMIME_MESSAGE_PART(obj)))
        message(inner, true);
      return;
    }
    if (GMIME_IS_MULTIPART(obj)) {
      multipart(GMIME_MULTIPART(obj), attached, htmlTwin);
      return;
    }
    if (GMIME_IS_PART(obj)) leaf(GMIME_PART(obj), attached, htmlTwin);
    // message/partial fragments carry no readable whole: nothing to add.
  }

  void multipart(GMimeMultipart* mp, bool attached, bool htmlTwin) {
    bool alternative = mimeTypeOf(GMIME_OBJECT(mp)) == "multipart/alternative";
    int count = g_mime_multipart_get_count(mp);
    bool afterPlainBody = false;
    for (int i = 0; i < count; ++i) {
      GMimeObject* child = g_mime_multipart_get_part(mp, i);
      size_t before = area_.partCount();
      bool twin = (alternative && afterPlainBody) || (htmlTwin && i == 0);
      walk(child, attached, twin);
      afterPlainBody = area_.partCount() == before + 1 && area_.kind(before) == kBody &&
                       mimeTypeOf(child) == "text/plain";
    }
    // The text before the first boundary and after the last one is no part,
    // but it travels with the message and a reader can see it: it is scanned
    // after the parts, so that it does not join their runs. When the boundary
    // is missing or never occurs, or the nesting went deeper than the parser
    // follows, the whole content is such text.
    std::string raw;
    if (char const* before = g_mime_multipart_get_prologue(mp)) raw += before;
    if (char const* after = g_mime_multipart_get_epilogue(mp)) {
      if (!raw.empty()) raw += '\n';
      raw += after;
    }
    if (raw.find_first_not_of(" \t\r\n") != std::string::npos) {
      area_.addPart(attached ? kAttachment : kBody, ensureUtf8(lfLines(std::move(raw))),
                    mimeTypeOf(GMIME_OBJECT(mp)) + " text");
    }
  }

  void leaf(GMimePart* part, bool attached, bool htmlTwin) {
    std::string mime = mimeTypeOf(GMIME_OBJECT(part));
    // A named part is an attachment even when marked inline: the sender
    // attached a file, whatever the reader then shows.
    bool attachment =
        attached || g_mime_part_is_attachment(part) || g_mime_part_get_filename(part) != nullptr;
    std::string label = labelOf(part, mime);
    if (mime == "text/html") {
      uint16_t kind = attachment ? kAttachment : htmlTwin ? kHtmlAlternative : kBody;
      area_.addPart(kind, htmlToText(decodedText(part)), label);
      return;
    }
    if (startsWith(mime, "text/") && !attachment) {
      area_.addPart(kBody, decodedText(part), label);
      return;
    }
    // RTF is 7-bit text to look at, but its words stand between control
    // words: with an extractor it is read as the document it is.
    if (options_.extractor && (mime == "application/rtf" || mime == "text/rtf" ||
                               mime == "application/octet-stream")) {
      std::string raw = contentThrough(part, {});
      if (sniffFormat(raw) == Format::kRtf) {
        AreaSink sink(area_);
        options_.extractor->extract(raw, label, budget_, sink);
        return;
      }
    }
    if (isTextualType(mime)) {
      area_.addPart(kAttachment, decodedText(part), label);
      return;
    }
    if (mime == "application/octet-stream" || mime == "application/unknown") {
      std::string raw = lfLines(contentThrough(part, {}));
      if (looksLikeText(raw)) {
        // Only the start was sampled: bytes further on that are not UTF-8
        // become U+FFFD, keeping the text around them as it is.
        if (!g_utf8_validate(raw.data(), static_cast<gssize>(raw.size()), nullptr)) {
          char* valid = g_utf8_make_valid(raw.data(), static_cast<gssize>(raw.size()));
          raw = valid;
          g_free(valid);
        }
        area_.addPart(kAttachment, std::move(raw), label);
        return;
      }
    }
    if (options_.extractor) {
      binary(part, label, mime);
      return;
    }
    area_.addSkipped(label, mime);
  }

  // An attachment declared as neither text nor octet-stream text: read by
  // what its content is.
  void binary(GMimePart* part, std::string const& label, std::string const& mime) {
    std::string raw = contentThrough(part, {});
    Format format = sniffFormat(raw);
    if (format == Format::kText || format == Format::kHtml) {
      std::string text = ensureUtf8(lfLines(std::move(raw)));
      area_.addPart(kAttachment, format == Format::kHtml ? htmlToText(text) : std::move(text), label);
    } else if (isExtractable(format)) {
      AreaSink sink(area_);
      options_.extractor->extract(raw, label, budget_, sink);
    } else if (format != Format::kEmpty) {
      area_.addSkipped(label, mime, std::string(formatName(format)) + ": no text to read", false);
    }
  }

  MessageArea& area_;
  ReadOptions const& options_;
  ExtractBudget budget_;  // shared by the attachments of one message
};

bool isHeaderLine(std::string const& bytes, size_t start) {
  size_t i = start;
  while (i < bytes.size() && bytes[i] > ' ' && bytes[i] < 127 && bytes[i] != ':') ++i;
  return i > start && i < bytes.size() && bytes[i] == ':';
}

// Mail starts with a header line ("Name:"), after an mbox "From " line if
// it is an mbox. Anything else (a text file, binary data) is not mail.
bool startsWithHeader(std::string const& bytes, size_t start) {
  if (bytes.compare(start, 5, "From ") == 0) {
    size_t nl = bytes.find('\n', start);
    if (nl == std::string::npos) return false;
    start = nl + 1;
  }
  return isHeaderLine(bytes, start);
}

}  // namespace

void initMimeLibrary() { initMime(); }

ReadResult readMessages(std::string const& bytes, std::string const& name) {
  return readMessages(bytes, name, ReadOptions{});
}

ReadResult readMessages(std::string const& bytes, std::string const& name,
                        ReadOptions const& options) {
  ReadResult result;
  if (bytes.empty()) {
    result.error = "empty file";
    return result;
  }
  bool mbox = startsWith(bytes, "From ");
  // Leading blank lines or blanks make GMime see no header at all; a reader
  // would still show the message, so they are skipped.
  size_t start = mbox ? 0 : bytes.find_first_not_of(" \t\r\n");
  if (start == std::string::npos || !startsWithHeader(bytes, start)) {
    result.error = "no mail headers found";
    return result;
  }
  initMime();
  Owned<GMimeStream> stream(
      g_mime_stream_mem_new_with_buffer(bytes.data() + start, bytes.size() - start));
  Owned<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
  g_mime_parser_set_format(parser.get(), mbox ? GMIME_FORMAT_MBOX : GMIME_FORMAT_MESSAGE);
  int n = 0;
  while (!g_mime_parser_eos(parser.get())) {
    Owned<GMimeMessage> msg(g_mime_parser_construct_message(parser.get(), nullptr));
    if (!msg) break;
    ++n;
    Message m;
    m.id = mbox ? name + "#" + std::to_string(n) : name;
    m.offset = mbox ? static_cast<size_t>(g_mime_parser_get_mbox_marker_offset(parser.get()))
                    : start;
    m.messageId = headerText(msg.get(), "Message-ID");
    if (m.messageId.size() > 1 && m.messageId.front() == '<' && m.messageId.back() == '>')
      m.messageId = m.messageId.substr(1, m.messageId.size() - 2);
    m.from = headerText(msg.get(), "From");
    m.subject = headerText(msg.get(), "Subject");
    TreeWalker(m.area, options).message(msg.get(), false);
    result.messages.push_back(std::move(m));
    if (!mbox) break;
  }
  if (result.messages.empty()) result.error = "no mail message could be read";
  return result;
}

ReadResult readMailOrText(std::string const& bytes, std::string const& name,
                          ReadOptions const& options) {
  ReadResult result = readMessages(bytes, name, options);
  if (!result.messages.empty() || bytes.empty()) return result;
  result.error.clear();
  Message m;
  m.id = name;
  m.notMail = true;
  m.area.addPart(kBody, ensureUtf8(lfLines(bytes)), "whole input, not mail");
  result.messages.push_back(std::move(m));
  return result;
}

}  // namespace vmund
