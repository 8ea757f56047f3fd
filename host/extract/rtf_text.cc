#include "host/extract/rtf_text.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "host/utf8_text.h"

namespace vmund {
namespace {

bool isHidden(std::string const& word) {
  static char const* const kHidden[] = {
      "fonttbl", "colortbl", "stylesheet", "info", "pict", "object", "objdata", "themedata",
      "datastore", "latentstyles", "listtable", "listoverridetable", "rsidtbl", "generator",
      "xmlnstbl", "filetbl",
      "revtbl", "mmathPr", "fldinst", "bkmkstart", "bkmkend"};
  for (char const* h : kHidden)
    if (word == h) return true;
  return false;
}

}  // namespace

std::string rtfText(std::string const& in, uint64_t maxBytes) {
  std::string out;
  std::string bytes8;  // \'hh bytes waiting for conversion, as one run
  struct Group {
    bool hidden;
    int skipAfterUnicode;  // \ucN: characters that follow \uN as its fallback
  };
  std::vector<Group> stack{{false, 1}};
  int pendingSkip = 0;  // fallback characters still to drop after a \uN
  auto flush8 = [&] {
    if (!bytes8.empty()) out += cp1252ToUtf8(bytes8), bytes8.clear();
  };
  auto emit = [&](char const* s) {
    if (stack.back().hidden) return;
    flush8();
    out += s;
  };
  size_t const n = in.size();
  for (size_t i = 0; i < n && out.size() < maxBytes; ++i) {
    char c = in[i];
    if (c == '{') {
      if (stack.size() < 1024) stack.push_back(stack.back());
      // "{\*\dest ...}": a destination a reader that does not know it skips.
      if (i + 2 < n && in[i + 1] == '\\' && in[i + 2] == '*') stack.back().hidden = true;
      pendingSkip = 0;
      continue;
    }
    if (c == '}') {
      if (stack.size() > 1) stack.pop_back();
      pendingSkip = 0;
      continue;
    }
    if (c == '\r' || c == '\n') continue;
    if (c != '\\') {
      if (pendingSkip > 0) {
        --pendingSkip;
        continue;
      }
      if (stack.back().hidden) continue;
      if (static_cast<unsigned char>(c) >= 0x80) {
        bytes8 += c;
      } else {
        flush8();
        out += c;
      }
      continue;
    }
    // A control symbol or word.
    if (++i >= n) break;
    c = in[i];
    if (c == '\'') {
      if (i + 2 < n + 0 && std::isxdigit(static_cast<unsigned char>(in[i + 1])) &&
          std::isxdigit(static_cast<unsigned char>(in[i + 2]))) {
        char hex[3] = {in[i + 1], in[i + 2], 0};
        i += 2;
        if (pendingSkip > 0) {
          --pendingSkip;
          continue;
        }
        if (!stack.back().hidden) bytes8 += static_cast<char>(std::strtoul(hex, nullptr, 16));
      }
      continue;
    }
    if (!std::isalpha(static_cast<unsigned char>(c))) {
      if (c == '\\' || c == '{' || c == '}') {
        char s[2] = {c, 0};
        emit(s);
      } else if (c == '~') {
        emit(" ");
      } else if (c == '-' || c == '_') {
        if (c == '_') emit("-");
      } else if (c == '\r' || c == '\n') {
        emit("\n");  // "\" before a line end is \par
      } else if (c == '*') {
        stack.back().hidden = true;
      }
      continue;
    }
    size_t start = i;
    while (i < n && std::isalpha(static_cast<unsigned char>(in[i])) && i - start < 32) ++i;
    std::string word = in.substr(start, i - start);
    bool hasParam = false;
    long param = 0;
    size_t pstart = i;
    if (i < n && (in[i] == '-' || std::isdigit(static_cast<unsigned char>(in[i])))) {
      ++i;
      while (i < n && std::isdigit(static_cast<unsigned char>(in[i])) && i - pstart < 10) ++i;
      param = std::strtol(in.substr(pstart, i - pstart).c_str(), nullptr, 10);
      hasParam = true;
    }
    if (i < n && in[i] != ' ') --i;  // the delimiter belongs to the text
    pendingSkip = 0;
    if (word == "par" || word == "line" || word == "row" || word == "sect" || word == "page") {
      emit("\n");
    } else if (word == "tab" || word == "cell") {
      emit("\t");
    } else if (word == "uc" && hasParam) {
      stack.back().skipAfterUnicode = param < 0 ? 0 : param > 8 ? 8 : static_cast<int>(param);
    } else if (word == "u" && hasParam) {
      if (!stack.back().hidden) {
        flush8();
        appendUtf8(out, static_cast<uint32_t>(param < 0 ? param + 65536 : param));
      }
      pendingSkip = stack.back().skipAfterUnicode;
    } else if (word == "emdash") {
      emit("\xE2\x80\x94");
    } else if (word == "endash") {
      emit("\xE2\x80\x93");
    } else if (word == "lquote" || word == "rquote") {
      emit("'");
    } else if (word == "ldblquote" || word == "rdblquote") {
      emit("\"");
    } else if (word == "bullet") {
      emit("\xE2\x80\xA2");
    } else if (isHidden(word)) {
      stack.back().hidden = true;
    } else if (word == "bin" && hasParam && param > 0) {
      i += static_cast<size_t>(param) < n - i ? static_cast<size_t>(param) : n - i;
    }
  }
  flush8();
  if (out.size() > maxBytes) out.resize(maxBytes);
  // \'0d and \u13 spell a CR; lines end with LF here as everywhere.
  return lfLines(validUtf8(std::move(out)));
}

}  // namespace vmund
