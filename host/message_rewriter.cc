// Rewriting the readable text of a message with GMime (message_rewriter.h).
// Reads text the way mime_reader.cc does, so that what a scan found there is
// found here too.
#include "host/message_rewriter.h"

#include <gmime/gmime.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "host/header_text.h"
#include "host/mime_reader.h"

namespace vmund {
namespace {

struct Unref {
  void operator()(gpointer p) const {
    if (p) g_object_unref(p);
  }
};
template <typename T>
using Owned = std::unique_ptr<T, Unref>;

using Replacements = std::vector<std::pair<std::string, std::string>>;

std::string lowerAscii(char const* s) {
  std::string out = s ? s : "";
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// Replaces every occurrence, longest values first so that a value inside a
// longer one does not break the longer one's replacement. True if any.
bool replaceAll(std::string& text, Replacements const& replacements) {
  bool changed = false;
  for (auto const& r : replacements) {
    if (r.first.empty()) continue;
    for (size_t at = text.find(r.first); at != std::string::npos;
         at = text.find(r.first, at + r.second.size())) {
      text.replace(at, r.first.size(), r.second);
      changed = true;
    }
  }
  return changed;
}

bool isUtf8Compatible(std::string const& charset) {
  return charset.empty() || charset == "utf-8" || charset == "utf8" || charset == "us-ascii" ||
         charset == "ascii";
}

std::string charsetOf(GMimePart* part) {
  return lowerAscii(g_mime_object_get_content_type_parameter(GMIME_OBJECT(part), "charset"));
}

// `bytes` through a charset conversion (none when `from` and `to` are
// equal); "" when the converter cannot be made.
std::string converted(std::string const& bytes, char const* from, char const* to, bool* ok) {
  *ok = true;
  Owned<GMimeStream> mem(g_mime_stream_mem_new());
  Owned<GMimeStream> filtered(g_mime_stream_filter_new(mem.get()));
  if (std::strcmp(from, to) != 0) {
    GMimeFilter* conv = g_mime_filter_charset_new(from, to);
    if (conv == nullptr) {
      *ok = false;
      return std::string();
    }
    g_mime_stream_filter_add(GMIME_STREAM_FILTER(filtered.get()), conv);
    g_object_unref(conv);
  }
  g_mime_stream_write(filtered.get(), bytes.data(), bytes.size());
  g_mime_stream_flush(filtered.get());
  GByteArray* array = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(mem.get()));
  return std::string(reinterpret_cast<char const*>(array->data), array->len);
}

// The part's content, transfer-decoded and converted to UTF-8 from its
// declared charset; line ends as they were.
std::string decodedContent(GMimePart* part) {
  GMimeDataWrapper* content = g_mime_part_get_content(part);
  if (!content) return std::string();
  Owned<GMimeStream> mem(g_mime_stream_mem_new());
  g_mime_data_wrapper_write_to_stream(content, mem.get());
  GByteArray* array = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(mem.get()));
  std::string raw(reinterpret_cast<char const*>(array->data), array->len);
  std::string const charset = charsetOf(part);
  if (isUtf8Compatible(charset)) return raw;
  bool ok = false;
  std::string text = converted(raw, charset.c_str(), "UTF-8", &ok);
  return ok ? text : raw;
}

// What the host reads as text: no NUL byte and valid UTF-8. Binary files
// (images, archives, documents) fail this long before their end.
bool isText(std::string const& bytes) {
  if (bytes.empty() || std::memchr(bytes.data(), 0, bytes.size())) return false;
  return g_utf8_validate(bytes.data(), static_cast<gssize>(bytes.size()), nullptr);
}

class Rewriter {
 public:
  explicit Rewriter(Replacements const& r) : replacements_(r) {}

  void message(GMimeMessage* msg) {
    headers(GMIME_OBJECT(msg));
    if (GMimeObject* body = g_mime_message_get_mime_part(msg)) walk(body);
  }

  size_t changed() const { return changed_; }

 private:
  void headers(GMimeObject* obj) {
    GMimeHeaderList* list = g_mime_object_get_header_list(obj);
    int const count = list ? g_mime_header_list_get_count(list) : 0;
    bool any = false;
    for (int i = 0; i < count; ++i) {
      GMimeHeader* h = g_mime_header_list_get_header_at(list, i);
      std::string value = unfoldedHeader(g_mime_header_get_raw_value(h));
      char* decoded = g_mime_utils_header_decode_text(nullptr, value.c_str());
      std::string text = decoded ? unfoldedHeader(decoded) : value;
      g_free(decoded);
      if (!replaceAll(text, replacements_)) continue;
      g_mime_header_set_value(h, nullptr, text.c_str(), "utf-8");
      any = true;
    }
    changed_ += any;
  }

  void walk(GMimeObject* obj) {
    headers(obj);
    if (GMIME_IS_MESSAGE_PART(obj)) {
      if (GMimeMessage* inner = g_mime_message_part_get_message(GMIME_MESSAGE_PART(obj)))
        message(inner);
      return;
    }
    if (GMIME_IS_MULTIPART(obj)) {
      GMimeMultipart* mp = GMIME_MULTIPART(obj);
      for (int i = 0; i < g_mime_multipart_get_count(mp); ++i)
        walk(g_mime_multipart_get_part(mp, i));
      // The text around the parts is scanned too.
      if (char const* p = g_mime_multipart_get_prologue(mp)) {
        std::string text = p;
        if (replaceAll(text, replacements_)) {
          g_mime_multipart_set_prologue(mp, text.c_str());
          ++changed_;
        }
      }
      if (char const* e = g_mime_multipart_get_epilogue(mp)) {
        std::string text = e;
        if (replaceAll(text, replacements_)) {
          g_mime_multipart_set_epilogue(mp, text.c_str());
          ++changed_;
        }
      }
      return;
    }
    if (GMIME_IS_PART(obj)) leaf(GMIME_PART(obj));
  }

  void leaf(GMimePart* part) {
    std::string text = decodedContent(part);
    if (!isText(text) || !replaceAll(text, replacements_)) return;
    GMimeContentEncoding encoding = g_mime_part_get_content_encoding(part);
    // Back into the part's own charset, so that its headers stay as they
    // were: masks are ASCII, which every charset mail uses can hold.
    std::string const charset = charsetOf(part);
    bool utf8 = isUtf8Compatible(charset);
    if (!utf8) {
      bool ok = false;
      std::string back = converted(text, "UTF-8", charset.c_str(), &ok);
      if (ok) {
        text = std::move(back);
      } else {
        utf8 = true;
      }
    }
    Owned<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(text.data(), text.size()));
    Owned<GMimeDataWrapper> wrapper(
        g_mime_data_wrapper_new_with_stream(stream.get(), GMIME_CONTENT_ENCODING_DEFAULT));
    g_mime_part_set_content(part, wrapper.get());
    // Only a charset that could not be written back changes, to UTF-8.
    if (utf8 && !isUtf8Compatible(charset))
      g_mime_object_set_content_type_parameter(GMIME_OBJECT(part), "charset", "utf-8");
    // Masks add no 8-bit bytes and no long lines, so the part's own
    // transfer encoding still fits its text.
    if (encoding != GMIME_CONTENT_ENCODING_DEFAULT) g_mime_part_set_content_encoding(part, encoding);
    ++changed_;
  }

  Replacements const& replacements_;
  size_t changed_ = 0;
};

}  // namespace

RewriteResult rewriteMessage(std::string const& bytes, Replacements const& replacements) {
  RewriteResult result;
  size_t const start = bytes.find_first_not_of(" \t\r\n");
  if (start == std::string::npos) {
    result.error = "empty file";
    return result;
  }
  initMimeLibrary();
  Replacements sorted = replacements;
  std::sort(sorted.begin(), sorted.end(),
            [](auto const& a, auto const& b) { return a.first.size() > b.first.size(); });
  Owned<GMimeStream> stream(
      g_mime_stream_mem_new_with_buffer(bytes.data() + start, bytes.size() - start));
  Owned<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
  g_mime_parser_set_format(parser.get(), GMIME_FORMAT_MESSAGE);
  Owned<GMimeMessage> msg(g_mime_parser_construct_message(parser.get(), nullptr));
  if (!msg) {
    result.error = "no mail message could be read";
    return result;
  }
  Rewriter rewriter(sorted);
  rewriter.message(msg.get());
  result.changedParts = rewriter.changed();
  if (result.changedParts == 0) {
    result.output = bytes;  // nothing to change: the input as it was
    return result;
  }
  char* text = g_mime_object_to_string(GMIME_OBJECT(msg.get()), nullptr);
  result.output = text ? text : "";
  g_free(text);
  return result;
}

}  // namespace vmund
