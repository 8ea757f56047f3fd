// Seeded, mail-like text for the item benchmarks: header-ish lines, prose of
// common words with capitals, numbers, addresses and line breaks. The same
// seed gives the same bytes on every machine.
#ifndef VESSAMUND_BENCH_MAIL_LIKE_TEXT_H_
#define VESSAMUND_BENCH_MAIL_LIKE_TEXT_H_

#include <cstddef>
#include <random>
#include <string>

namespace vmund_bench {

inline std::string mailLikeText(size_t size, unsigned seed = 42) {
  static char const* const kWords[] = {
      "the",      "of",        "and",     "to",       "in",       "for",     "is",
      "on",       "that",      "by",      "this",     "with",     "you",     "it",
      "not",      "or",        "be",      "are",      "from",     "at",      "as",
      "your",     "all",       "have",    "new",      "more",     "an",      "was",
      "we",       "will",      "please",  "meeting",  "report",   "attached", "regards",
      "Thanks",   "Hi",        "Dear",    "customer", "invoice",  "account", "project",
      "schedule", "quarterly", "figures", "review",   "team",     "Monday",  "Friday",
      "update",   "office",    "budget",  "contract", "delivery", "order",   "payment",
      "ref",      "#",         "-",       "--",       "(see",     "below)",  "e.g.",
  };
  std::mt19937 rng(seed);
  std::string text;
  text.reserve(size + 32);
  size_t lineStart = 0;
  while (text.size() < size) {
    unsigned const r = rng() % 100;
    if (r < 3) {
      text += std::to_string(rng() % 100000);
    } else if (r < 4) {
      text += "j.doe" + std::to_string(rng() % 100) + "@example.com";
    } else {
      std::string w = kWords[rng() % (sizeof kWords / sizeof *kWords)];
      if (rng() % 10 == 0 && w[0] >= 'a' && w[0] <= 'z') w[0] = static_cast<char>(w[0] - 32);
      text += w;
    }
    if (rng() % 12 == 0) text += rng() % 2 ? "," : ".";
    if (text.size() - lineStart > 72) {
      text += "\r\n";
      lineStart = text.size();
    } else {
      text += ' ';
    }
  }
  text.resize(size);
  return text;
}

}  // namespace vmund_bench

#endif  // VESSAMUND_BENCH_MAIL_LIKE_TEXT_H_
