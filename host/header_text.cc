// Header values as the host reads them (header_text.h).
#include "host/header_text.h"

namespace vmund {

std::string unfoldedHeader(char const* value) {
  std::string out;
  for (char const* p = value ? value : ""; *p; ++p) {
    if (*p == '\r' || *p == '\n') {
      if (!out.empty() && out.back() != ' ') out += ' ';
      while (p[1] == ' ' || p[1] == '\t' || p[1] == '\r' || p[1] == '\n') ++p;
      continue;
    }
    out += *p;
  }
  size_t b = out.find_first_not_of(" \t");
  size_t e = out.find_last_not_of(" \t");
  return b == std::string::npos ? std::string() : out.substr(b, e - b + 1);
}

}  // namespace vmund
