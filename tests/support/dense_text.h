// Random messages dense in what the detectors and dictionaries look for:
// digit groups with every separator, identifiers valid and not, blank runs
// short and long, dictionary words in any letter case, line breaks of every
// kind, zero bytes and bytes above ASCII. Seeded: the same seed gives the
// same message.
#ifndef VESSAMUND_TESTS_SUPPORT_DENSE_TEXT_H_
#define VESSAMUND_TESTS_SUPPORT_DENSE_TEXT_H_

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "support/test_area.h"

namespace vmund_test {

inline std::string denseText(std::mt19937& rng, size_t size,
                             std::vector<std::string> const& words) {
  static char const* const kIdentifiers[] = {
      "4111 1111 1111 1111", "4111-1111-1111-1111", "5500 0000 0000 0004", "378282246310005",
      "123-45-6789",         "046 454 286",         "DE89 3704 0044 0532 0130 00",
      "GB82WEST12345698765432", "US0378331005",     "037833100",  "AB1234563",
      "QQ 12 34 56 C",       "943 476 5919",        "12-3456789", "1 84 12 76 451 089 46",
      "123456789",           "C01X00T47",           "880692310285", "12AB34567",
      "021000021",           "900-70-0000",         "6011 0009 9013 9424", "30569309025904",
      "1800 123456 12345",   "AB 12 34 56 C",       "X1234567",   "987.65.4321",
      "3530 1113 3330 0000", "3852 000002 3237",    "6500-0000-0000-0002", "3600.000000.0008",
      "F91234563",           "BF 123456 3",         "QQ-12-34-56-C", "ab 12 34 56 d",
  };
  static char const* const kPieces[] = {
      "-", ".", ",", " ", "\t", ":", ";", "(", ")", "[", "]", "\"", "'", ">", "<", "/",
      "\n", "\r\n", "\r", "\x0b", "\x0c", "\x85", "@", "#", "=", "_",
  };
  // Blocks of digits (sometimes letters) joined by one separator used
  // throughout: a hyphen, a full stop, a blank run up to the longest short
  // one, or nothing; the shapes of the detectors' identifiers.
  static char const* const kShapes[] = {"333", "324", "4444", "465", "464", "441", "27",
                                        "334", "22L8", "L7", "LL6", "LL222L", "2LL5", "12235"};
  static char const* const kLeads[] = {"4", "51", "55", "34", "37", "300", "36", "38",
                                       "35", "6011", "65", "1800", "9", "0", ""};
  std::uniform_int_distribution<int> pick(0, 99);
  std::string text;
  while (text.size() < size) {
    int const r = pick(rng);
    if (r < 6) {
      std::string sep;
      switch (rng() % 5) {
        case 0: sep = "-"; break;
        case 1: sep = "."; break;
        case 2: break;
        default: sep.assign(1 + rng() % 15, rng() % 4 == 0 ? '\t' : ' ');
      }
      char const* shape = kShapes[rng() % (sizeof kShapes / sizeof *kShapes)];
      std::string digits = kLeads[rng() % (sizeof kLeads / sizeof *kLeads)];
      for (char const* c = shape; *c != '\0'; ++c) {
        if (c != shape) text += sep;
        if (*c == 'L') {
          text += static_cast<char>('A' + rng() % 26);
          continue;
        }
        for (int k = 0; k < *c - '0'; ++k) {
          if (!digits.empty()) {
            text += digits[0];
            digits.erase(0, 1);
          } else {
            text += static_cast<char>('0' + rng() % 10);
          }
        }
      }
    } else if (r < 22) {
      int const n = 1 + static_cast<int>(rng() % 6);
      for (int i = 0; i < n; ++i) text += static_cast<char>('0' + rng() % 10);
    } else if (r < 32) {
      text += kIdentifiers[rng() % (sizeof kIdentifiers / sizeof *kIdentifiers)];
    } else if (r < 52) {
      text += kPieces[rng() % (sizeof kPieces / sizeof *kPieces)];
    } else if (r < 60) {
      // Blank runs: short, long, mixed.
      int const n = rng() % 8 == 0 ? 16 + static_cast<int>(rng() % 30) : 2 + static_cast<int>(rng() % 14);
      for (int i = 0; i < n; ++i) text += rng() % 5 == 0 ? '\t' : ' ';
    } else if (r < 75 && !words.empty()) {
      std::string w = words[rng() % words.size()];
      for (char& c : w) {
        if (rng() % 3 == 0) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
      }
      text += w;
    } else if (r < 90) {
      int const n = 1 + static_cast<int>(rng() % 14);
      bool const upper = rng() % 2 == 0;
      for (int i = 0; i < n; ++i) {
        int const k = static_cast<int>(rng() % 36);
        text += k < 10 ? static_cast<char>('0' + k)
                       : static_cast<char>((upper ? 'A' : 'a') + k - 10);
      }
    } else if (r < 93) {
      text += static_cast<char>(0x80 + rng() % 128);
    } else if (r < 95) {
      text += "\xc3\xa9";
    } else if (r < 96) {
      text += '\0';
    } else {
      text += ' ';
    }
  }
  return text;
}

// A message of one to six such parts of assorted kinds, line-break flags
// and sizes, now and then a part without text; once in a while a blank run
// long enough to make the engine's search give up.
inline TestArea denseArea(std::mt19937& rng, std::vector<std::string> const& words,
                          size_t maxPart = 3000) {
  static uint16_t const kFlags[] = {1, 1, 2, 4, 8, 8, 0, 3, 1 | 16, 8 | 16, 4 | 32};
  TestArea area;
  int const parts = 1 + static_cast<int>(rng() % 6);
  for (int i = 0; i < parts; ++i) {
    uint16_t const flags = kFlags[rng() % (sizeof kFlags / sizeof *kFlags)];
    if (rng() % 25 == 0) {
      area.addNull(flags);
      continue;
    }
    std::string text = denseText(rng, rng() % maxPart, words);
    if (rng() % 12 == 0) {
      std::string run(6000 + rng() % 3000, ' ');
      size_t const at = text.empty() ? 0 : rng() % text.size();
      text.insert(at, "1234" + run + "x ");
    }
    area.add(text, flags);
  }
  return area;
}

}  // namespace vmund_test

#endif  // VESSAMUND_TESTS_SUPPORT_DENSE_TEXT_H_
