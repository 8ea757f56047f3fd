// The wildcard rules written out plainly, for checking the matcher of
// src/items/wildcard_match.h against (fuzz/wildcard_fuzz.cc; its seeds hold
// the rows of tests/items/wildcard_test.cc, so both agree there).
#ifndef VESSAMUND_FUZZ_WILDCARD_REFERENCE_H_
#define VESSAMUND_FUZZ_WILDCARD_REFERENCE_H_

#include <cstring>
#include <string>

namespace vmund_test {

// The matching rules written out one by one, with no shortcut: every star
// tries every position its search allows, and a nested success is matched
// again by the attempt that continues from it. Exponential; small inputs only.
class ReferenceMatcher {
 public:
  ReferenceMatcher(std::string const& pattern, std::string const& text)
      : p_(pattern), t_(text), n_(text.size()) {}

  struct Found {
    bool ok;
    size_t start, end;
  };

  Found find(size_t from) const {
    size_t k = from;
    while (k < n_ && blank(k)) ++k;
    if (k >= n_) return {false, 0, 0};
    for (;;) {
      Attempt a = attempt(0, k);
      if (a.ok) return {true, k, a.at};
      size_t f = a.at;
      if (f >= n_) return {false, 0, 0};
      while (f < n_ && !blank(f)) ++f;
      while (f < n_ && blank(f)) ++f;
      if (f >= n_) return {false, 0, 0};
      k = f;
    }
  }

  bool nested(size_t i, size_t k, size_t* end = nullptr) const {
    if (k >= n_) return false;
    Attempt a = attempt(i, k);
    if (a.ok && end != nullptr) *end = a.at;
    return a.ok;
  }

 private:
  struct Attempt {
    bool ok;
    size_t at;
  };
  char pc(size_t i) const { return i < p_.size() ? p_[i] : '\0'; }
  bool blank(size_t k) const {
    return std::strchr(" \t\n\v\f\r", t_[k]) != nullptr && t_[k] != '\0';
  }
  char folded(size_t k) const { return t_[k] >= 'A' && t_[k] <= 'Z' ? t_[k] + 32 : t_[k]; }
  static int sb(char c) { return static_cast<signed char>(c); }

  Attempt attempt(size_t i, size_t k) const {
    for (;;) {
      if (pc(i) == '\0') return {k == n_ || blank(k), k};
      if (k == n_) {
        while (pc(i) == '*') ++i;
        return {pc(i) == '\0', k};
      }
      char const e = pc(i);
      if (e == '?') {
        if (!blank(k)) ++k;
        ++i;
      } else if (e == '*') {
        if (blank(k)) {
          ++i;
          continue;
        }
        ++i;
        while (pc(i) == '*' || pc(i) == '?') {
          if (pc(i) == '?' && !blank(k)) ++k;
          ++i;
          if (k == n_) {
            while (pc(i) == '*') ++i;
            return {pc(i) == '\0', k};
          }
        }
        if (pc(i) == '\0') {
          while (k < n_ && !blank(k)) ++k;
          return {true, k};
        }
        if (nested(i, k)) continue;  // the attempt goes on with the rest at k
        for (;;) {
          ++k;
          if (pc(i) != '[') {
            while (k < n_ && t_[k] != pc(i)) ++k;
          }
          if (k >= n_) return {false, k};
          if (nested(i, k)) break;
        }
      } else if (e == '[') {
        size_t j = i + 1;
        bool neg = false, hit = false;
        if (pc(j) == '!') neg = true, ++j;
        for (bool first = true;; first = false) {
          if (pc(j) == '\0') return {false, k};
          if (pc(j) == ']' && !first) break;
          if (pc(j) == '\\') {
            if (pc(j + 1) == '\0') return {false, k};
            hit = pc(j + 1) == folded(k);
            j += 2;
          } else if (pc(j + 1) == '-' && pc(j + 2) != ']' && pc(j + 2) != '\0' &&
                     sb(pc(j)) < sb(pc(j + 2))) {
            hit = sb(pc(j)) <= sb(t_[k]) && sb(t_[k]) <= sb(pc(j + 2));
            j += hit ? 3 : 2;
          } else {
            hit = pc(j) == folded(k);
            ++j;
          }
          if (hit) {
            while (pc(j) != ']') {
              if (pc(j) == '\0') return {false, k};
              ++j;
            }
            break;
          }
        }
        if (hit == neg) return {false, k};
        i = j + 1;
        ++k;
      } else if (e == '\\') {
        if (pc(i + 1) == '\0' || pc(i + 1) != folded(k)) return {false, k};
        i += 2;
        ++k;
      } else {
        if (e != folded(k)) return {false, k};
        ++i;
        ++k;
      }
    }
  }

  std::string p_, t_;
  size_t n_;
};

}  // namespace vmund_test

#endif  // VESSAMUND_FUZZ_WILDCARD_REFERENCE_H_
