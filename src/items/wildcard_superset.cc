// Builds the prefilter expression of a wildcard pattern (wildcard_superset.h)
// element by element, asking the matcher itself which bytes each element
// takes.
#include "items/wildcard_superset.h"

#include "items/wildcard_match.h"
#include "outside/pattern_set.h"

namespace Vessamund {
namespace internal {

namespace {

bool isBlank(unsigned int b) { return b == ' ' || (b >= '\t' && b <= '\r'); }

}  // namespace

std::string wildcardSuperset(char const* pattern) {
  std::string out;
  bool starPending = false;  // a star run since the last element written
  char const* p = pattern;
  while (*p != '\0') {
    bool accepted[256] = {};
    char const c = *p;
    if (c == '*') {
      // A star run, with the "?" inside it, is any run of bytes.
      while (*p == '*' || *p == '?') ++p;
      starPending = true;
      continue;
    }
    if (c == '?') {
      ++p;
      // At most one non-blank byte; before the first element or inside a
      // star's reach it adds nothing a superset needs.
      if (out.empty() || starPending) continue;
      for (unsigned int b = 0; b < 256; ++b) accepted[b] = !isBlank(b);
      out += "(?:" + setByteClass(accepted) + ")?";
      continue;
    }
    char const* next = nullptr;
    if (c == '[') {
      // The bytes the class takes, and where it ends for them. An element
      // that no byte passes fails every attempt that reaches it; one whose
      // end depends on the byte leaves the rest of the pattern open. Either
      // way the expression stops here and stays a superset of what lies
      // before.
      bool oneEnd = true;
      for (unsigned int b = 0; b < 256; ++b) {
        char const* end = wildcardClassEnd(p, static_cast<char>(b));
        if (end == nullptr) continue;
        accepted[b] = true;
        if (next != nullptr && end != next) oneEnd = false;
        next = end;
      }
      if (next == nullptr) break;
      if (!oneEnd) next = nullptr;
    } else {
      char literal = c;
      if (c == '\\') {
        if (p[1] == '\0') break;  // matches nothing; the attempt fails here
        literal = p[1];
      }
      for (unsigned int b = 0; b < 256; ++b) {
        accepted[b] = wildcardFold(static_cast<char>(b)) == literal;
      }
      next = p + (c == '\\' ? 2 : 1);
    }
    std::string const element = setByteClass(accepted);
    if (element.empty()) break;
    if (starPending && !out.empty()) out += "[\\x00-\\xff]*";
    starPending = false;
    out += element;
    if (next == nullptr) break;
    p = next;
  }
  return out;
}

}  // namespace internal
}  // namespace Vessamund
