// Pattern conversion: references to escapes, malformed UTF-8 dropped, and the
// option word that tells the engine to read UTF-8.
#include <string>

#include <gtest/gtest.h>

#include "items/convert_pattern.h"

namespace {

using Vessamund::Buffer;
using Vessamund::internal::convertPattern;

TEST(ConvertPatternTest, ConvertsReferencesAndDropsMalformedUtf8) {
  struct Row {
    char const* note;
    std::string text;
    std::string converted;  // before the terminating zero byte
    unsigned int options;
  } rows[] = {
      {"plain ASCII", "a\\d+b", "a\\d+b", 0x1},
      {"decimal reference", "caf&#233;", "caf\\x{e9}", 0x801},
      {"hex reference, lower-case x", "&#x263A;", "\\x{263a}", 0x801},
      {"leading zeros vanish", "&#x0041;&#0065;", "\\x{41}\\x{41}", 0x801},
      {"no semicolon: no reference", "&#65", "&#65", 0x1},
      {"digits then other byte", "&#65x;", "&#65x;", 0x1},
      {"no digits, hex", "&#x;", "&#x;", 0x1},
      {"hex letters after decimal form", "&#1a;", "&#1a;", 0x1},
      {"ampersand before a reference", "&&#65;", "&\\x{41}", 0x801},
      {"value pinned at 32 bits", "&#x123456789;", "\\x{ffffffff}", 0x801},
      {"beyond 64 bits, no wrap", "&#x10000000000000041;", "\\x{ffffffff}", 0x801},
      {"largest 32-bit value", "&#4294967295;", "\\x{ffffffff}", 0x801},
      {"two-byte sequence kept", "caf\xC3\xA9", "caf\xC3\xA9", 0x801},
      {"lone lead byte dropped", "caf\xE9x", "cafx", 0x801},
      {"overlong three-byte form dropped", "a\xE0\x80\x80z", "az", 0x801},
      {"E0 with A0 second byte kept", "\xE0\xA0\x80", "\xE0\xA0\x80", 0x801},
      {"sequence cut by the end", "ab\xE2\x82", "ab", 0x801},
      {"stray continuation byte", "\x80q", "q", 0x801},
  };
  for (Row const& row : rows) {
    SCOPED_TRACE(row.note);
    unsigned int options = 0xdead;
    Buffer out = convertPattern(row.text.c_str(), &options);
    std::string expected = row.converted + std::string(1, '\0');
    EXPECT_EQ(expected, std::string(reinterpret_cast<char const*>(out.data()), out.length()));
    EXPECT_EQ(row.options, options);
  }
}

}  // namespace
