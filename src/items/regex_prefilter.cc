// Decides whether an administrator's expression may be prefiltered
// (regex_prefilter.h): a walk over its compiled text that accepts only
// constructs both engines read alike.
#include "items/regex_prefilter.h"

#include <cctype>
#include <cstring>
#include <string>

#include "items/convert_pattern.h"

namespace Vessamund {
namespace internal {

namespace {

bool isHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

// An escape at p ("\" and what follows), inside a class or not. Returns the
// position after it, or null when it is not in the accepted subset.
char const* acceptEscape(char const* p, bool inClass) {
  char const c = p[1];
  if (c == '\0') return nullptr;
  if (std::strchr("dDwWsStnrfe", c) != nullptr) return p + 2;
  // \b is a word boundary outside a class and a backspace inside, in both.
  if (std::strchr("bB", c) != nullptr) return p + 2;
  if (!inClass && std::strchr("AzZ", c) != nullptr) return p + 2;
  if (c == 'x') return isHex(p[2]) && isHex(p[3]) ? p + 4 : nullptr;
  // Escaped punctuation is the character itself. Letters, digits
  // (back-references, octal) and bytes above ASCII are not taken.
  unsigned char const u = static_cast<unsigned char>(c);
  if (u < 0x80 && std::ispunct(u)) return p + 2;
  return nullptr;
}

// A class at p ("["). Returns the position after its "]", or null.
char const* acceptClass(char const* p) {
  ++p;
  if (*p == '^') ++p;
  if (*p == ']') ++p;  // a leading "]" is a member
  while (*p != ']') {
    if (*p == '\0') return nullptr;
    if (*p == '\\') {
      p = acceptEscape(p, true);
      if (p == nullptr) return nullptr;
      continue;
    }
    if (*p == '[') {
      // Only POSIX named classes: [:alpha:] and [:^alpha:].
      if (p[1] != ':') return nullptr;
      char const* close = std::strstr(p + 2, ":]");
      if (close == nullptr) return nullptr;
      for (char const* q = p + 2; q < close; ++q) {
        if (!std::isalpha(static_cast<unsigned char>(*q)) && !(q == p + 2 && *q == '^')) {
          return nullptr;
        }
      }
      p = close + 2;
      continue;
    }
    ++p;
  }
  return p + 1;
}

// "(?" at p. Returns the position after the group opener, or null.
char const* acceptGroupOpener(char const* p) {
  if (p[2] == ':' || p[2] == '=' || p[2] == '!') return p + 3;
  if (p[2] == '<' && (p[3] == '=' || p[3] == '!')) return p + 4;
  // Option settings: (?i) (?-m) (?is:...), letters i, m and s only.
  char const* q = p + 2;
  if (*q == ')' || *q == ':') return nullptr;
  while (*q == 'i' || *q == 'm' || *q == 's' || *q == '-') ++q;
  if (*q == ')' || *q == ':') return q + 1;
  return nullptr;
}

// A quantifier in braces at p ("{"): {n}, {n,} or {n,m}. Returns the
// position after it, p itself when the brace is a literal in both engines,
// or null.
char const* acceptBraces(char const* p) {
  char const* q = p + 1;
  if (*q == ',') return nullptr;  // {,n}: read differently by newer engines
  if (!std::isdigit(static_cast<unsigned char>(*q))) return p;
  while (std::isdigit(static_cast<unsigned char>(*q))) ++q;
  if (*q == ',') {
    ++q;
    while (std::isdigit(static_cast<unsigned char>(*q))) ++q;
  }
  return *q == '}' ? q + 1 : p;
}

// Also counts in `*literals` the characters that must match themselves
// (plain bytes and escaped punctuation, outside classes).
bool acceptedSyntax(char const* p, int* literals) {
  *literals = 0;
  while (*p != '\0') {
    unsigned char const c = static_cast<unsigned char>(*p);
    if (c >= 0x80) return false;
    switch (c) {
      case '\\':
        if (p[1] != '\0' && std::ispunct(static_cast<unsigned char>(p[1]))) ++*literals;
        p = acceptEscape(p, false);
        break;
      case '[':
        p = acceptClass(p);
        break;
      case '(':
        if (p[1] == '*') return false;  // verbs
        p = p[1] == '?' ? acceptGroupOpener(p) : p + 1;
        break;
      case '{': {
        char const* q = acceptBraces(p);
        p = q == p ? p + 1 : q;
        if (p != nullptr && (*p == '+')) return false;  // possessive
        break;
      }
      case '*':
      case '+':
      case '?':
        ++p;
        if (*p == '+') return false;  // possessive
        break;
      case '.':
      case '^':
      case '$':
      case '|':
      case ')':
        ++p;
        break;
      default:
        ++*literals;
        ++p;
    }
    if (p == nullptr) return false;
  }
  return true;
}

}  // namespace

bool regexPrefilter(DictionaryRegex const& item, SetPattern* out) {
  if (!item.expression.compiled()) return false;
  // The option word the item compiled with; an area tag at the front is
  // plain ASCII, so converting the stored pattern with or without it sets
  // the same options.
  unsigned int options = 0;
  convertPattern(item.pattern.c_str(), &options);
  if (options & Regex::kUtf8) return false;
  std::string const& text = item.expression.pattern();
  int literals = 0;
  if (text.empty() || !acceptedSyntax(text.c_str(), &literals)) return false;
  // Without a single literal character the pattern set has nothing to look
  // for but classes, which slows the whole pass more than the item's own
  // search of its parts costs.
  if (literals == 0) return false;
  out->expression = text;
  out->flags = kSetCaseless | kSetSingleMatch | kSetPrefilter;
  return true;
}

}  // namespace internal
}  // namespace Vessamund
