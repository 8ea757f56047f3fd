// Renders an HTML body as the plain text a mail reader would show, so that
// items see "4111&nbsp;1111" the way a person reads it.
#include "host/html_text.h"

#include <cstring>

#include "host/utf8_text.h"

namespace vmund {
namespace {

// Named references U+00A0..U+00FF in code-point order (HTML 4 Latin-1 set).
char const* const kLatin1Names[96] = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",
    "uml",    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",
    "deg",    "plusmn", "sup2",   "sup3",   "acute",  "micro",  "para",   "middot",
    "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12", "frac34", "iquest",
    "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil",
    "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",
    "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",
    "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",  "szlig",
    "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",
    "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide",
    "oslash", "ugrave", "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};

struct NamedRef {
  char const* name;
  unsigned long codepoint;
};

// The other references that turn up in mail: markup escapes and typography.
NamedRef const kOtherNames[] = {
    {"amp", '&'},       {"lt", '<'},        {"gt", '>'},         {"quot", '"'},
    {"apos", '\''},     {"euro", 0x20AC},   {"ndash", 0x2013},   {"mdash", 0x2014},
    {"lsquo", 0x2018},  {"rsquo", 0x2019},  {"sbquo", 0x201A},   {"ldquo", 0x201C},
    {"rdquo", 0x201D},  {"bdquo", 0x201E},  {"hellip", 0x2026},  {"bull", 0x2022},
    {"trade", 0x2122},  {"dagger", 0x2020}, {"Dagger", 0x2021},  {"permil", 0x2030},
    {"lsaquo", 0x2039}, {"rsaquo", 0x203A}, {"OElig", 0x152},    {"oelig", 0x153},
    {"Scaron", 0x160},  {"scaron", 0x161},  {"Yuml", 0x178},     {"zwnj", 0x200C},
    {"zwj", 0x200D},    {"thinsp", 0x2009}, {"ensp", 0x2002},    {"emsp", 0x2003}};

// Elements that start a new line where they open or close.
char const* const kBlockTags[] = {
    "address", "article", "aside", "blockquote", "br", "dd", "div", "dl", "dt",
    "fieldset", "figcaption", "figure", "footer", "form", "h1", "h2", "h3", "h4",
    "h5", "h6", "header", "hr", "li", "main", "nav", "ol", "p", "pre", "section",
    "table", "tbody", "tfoot", "thead", "tr", "ul"};

// Elements whose content a reader never sees.
char const* const kHiddenTags[] = {"script", "style", "head", "title", "template"};

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isAlnum(char c) { return isAlpha(c) || (c >= '0' && c <= '9'); }
char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Value of a digit in base 16 (or 10), or -1.
int digitValue(char c, bool hex) {
  if (c >= '0' && c <= '9') return c - '0';
  if (!hex) return -1;
  c = lower(c);
  return (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
}

template <size_t N>
bool inList(char const* const (&list)[N], std::string const& name) {
  for (char const* entry : list)
    if (name == entry) return true;
  return false;
}

// Case-insensitive search for `needle` (lower case) in [from, end).
size_t findNoCase(std::string const& hay, size_t from, char const* needle) {
  size_t n = std::strlen(needle);
  for (size_t i = from; i + n <= hay.size(); ++i) {
    size_t k = 0;
    while (k < n && lower(hay[i + k]) == needle[k]) ++k;
    if (k == n) return i;
  }
  return std::string::npos;
}

class Renderer {
 public:
  explicit Renderer(std::string const& html) : in_(html) { out_.reserve(html.size() / 2); }

  std::string run() {
    size_t i = 0;
    while (i < in_.size()) {
      char c = in_[i];
      if (c == '<') {
        i = tag(i);
      } else if (c == '&') {
        i = reference(i);
      } else if (isSpace(c) && pre_ == 0) {
        pendingSpace_ = true;
        ++i;
      } else {
        emit(c);
        ++i;
      }
    }
    while (!out_.empty() && (out_.back() == '\n' || out_.back() == ' ')) out_.pop_back();
    return std::move(out_);
  }

 private:
  void emit(char c) {
    if (pendingSpace_ && !out_.empty() && out_.back() != '\n') out_ += ' ';
    pendingSpace_ = false;
    out_ += c;
  }
  void emitText(std::string const& s) {
    for (char c : s) emit(c);
  }
  void newline() {
    pendingSpace_ = false;
    if (!out_.empty() && out_.back() != '\n') out_ += '\n';
  }

  // At '<': consumes a tag, comment or declaration and returns the index after
  // it. A '<' that opens none of these is text.
  size_t tag(size_t i) {
    if (in_.compare(i, 4, "<!--") == 0) {
      size_t end = in_.find("-->", i + 4);
      return end == std::string::npos ? in_.size() : end + 3;
    }
    size_t j = i + 1;
    bool closing = j < in_.size() && in_[j] == '/';
    if (closing) ++j;
    bool declaration = j < in_.size() && (in_[j] == '!' || in_[j] == '?');
    if (!declaration && (j >= in_.size() || !isAlpha(in_[j]))) {
      emit('<');
      return i + 1;
    }
    std::string name;
    while (j < in_.size() && isAlnum(in_[j]) && name.size() < 16) name += lower(in_[j++]);
    size_t end = tagEnd(j);
    if (declaration) return end;
    if (!closing && inList(kHiddenTags, name)) {
      size_t close = findNoCase(in_, end, ("</" + name).c_str());
      return close == std::string::npos ? in_.size() : tagEnd(close + 2 + name.size());
    }
    if (name == "pre") {
      if (!closing) ++pre_;
      else if (pre_ > 0) --pre_;
    }
    if (inList(kBlockTags, name)) {
      newline();
    } else if (name == "td" || name == "th") {
      pendingSpace_ = true;
    }
    return end;
  }

  // Index after the '>' that ends the tag whose attributes start at `j`;
  // quoted attribute values may hold '>'.
  size_t tagEnd(size_t j) const {
    char quote = 0;
    for (; j < in_.size(); ++j) {
      char c = in_[j];
      if (quote) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '>') {
        return j + 1;
      }
    }
    return in_.size();
  }

  // At '&': decodes one character reference, or emits the '&' as text.
  size_t reference(size_t i) {
    size_t j = i + 1;
    std::string decoded;
    if (j < in_.size() && in_[j] == '#') {
      ++j;
      bool hex = j < in_.size() && (in_[j] == 'x' || in_[j] == 'X');
      if (hex) ++j;
      size_t start = j;
      unsigned long cp = 0;
      // Eight digits bound the value well inside unsigned long; longer runs
      // are cut there and the rest shows as text.
      while (j < in_.size() && j - start < 8 && digitValue(in_[j], hex) >= 0)
        cp = cp * (hex ? 16 : 10) + static_cast<unsigned long>(digitValue(in_[j++], hex));
      if (j == start) {
        emit('&');
        return i + 1;
      }
      if (j < in_.size() && in_[j] == ';') ++j;
      if (cp == '\r') cp = '\n';  // parts hold LF line ends only
      // A reference to NUL would end the part early: it becomes U+FFFD too.
      appendUtf8(decoded, cp == 0 || cp > 0x10FFFF ? 0xFFFDu : static_cast<uint32_t>(cp));
    } else {
      size_t start = j;
      while (j < in_.size() && isAlnum(in_[j]) && j - start < 10) ++j;
      if (j >= in_.size() || in_[j] != ';' || j == start) {
        emit('&');
        return i + 1;
      }
      std::string name = in_.substr(start, j - start);
      unsigned long cp = 0;
      for (int k = 0; k < 96 && cp == 0; ++k)
        if (name == kLatin1Names[k]) cp = 0xA0 + k;
      for (NamedRef const& r : kOtherNames)
        if (cp == 0 && name == r.name) cp = r.codepoint;
      if (cp == 0) {
        emit('&');
        return i + 1;
      }
      ++j;
      if (cp == 0xA0) {
        pendingSpace_ = true;
        return j;
      }
      appendUtf8(decoded, static_cast<uint32_t>(cp));
    }
    emitText(decoded);
    return j;
  }

  std::string const& in_;
  std::string out_;
  bool pendingSpace_ = false;
  int pre_ = 0;  // depth of open <pre> elements: white space is kept inside
};

}  // namespace


std::string htmlToText(std::string const& html) { return Renderer(html).run(); }

}  // namespace vmund
