// The identifier rules written out plainly, for checking the eighteen
// detectors against (fuzz/detector_fuzz.cc): which candidates of the built-in
// expressions count, and which candidates a detector's search meets. Each
// rule is spelled out as stated, with no shortcut and no code shared with
// src/validators; the expressions are compiled here again, straight from
// their text. Slow, which is fine for fuzzing.
#ifndef VESSAMUND_FUZZ_DETECTOR_REFERENCE_H_
#define VESSAMUND_FUZZ_DETECTOR_REFERENCE_H_

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

namespace vmund_fuzz {

// One candidate as the engine describes it: offsets per capture group, -1 for
// a group that took no part, `count` pairs filled.
struct Candidate {
  std::string const& text;
  std::vector<long> ov;
  int count;

  bool took(int k) const { return k < count && ov[2 * k] >= 0 && ov[2 * k + 1] > ov[2 * k]; }
  long len(int k) const { return k < count && ov[2 * k] >= 0 ? ov[2 * k + 1] - ov[2 * k] : 0; }
  char first(int k) const { return text[static_cast<size_t>(ov[2 * k])]; }
  std::string group(int k) const {
    return len(k) > 0 ? text.substr(static_cast<size_t>(ov[2 * k]), static_cast<size_t>(len(k)))
                      : std::string();
  }
};

inline bool blank(char c) { return c == ' ' || c == '\t'; }
inline bool digit(char c) { return c >= '0' && c <= '9'; }
inline bool letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
// A and a are 10, Z and z are 35.
inline int letterValue(char c) { return (c >= 'a' ? c - 'a' : c - 'A') + 10; }

// The context rules, group by group, first deciding rule wins.
inline bool boundaryAccepts(Candidate const& c) {
  if (c.count <= 3) return true;
  bool toRule3 = true;
  if (c.count >= 6 && c.len(5) > 0) {
    char const s = c.first(5);
    if (blank(s)) {
      if (c.len(3) == 1 && (c.first(3) == ',' || c.first(3) == '.')) return false;
      if (c.took(2) && c.len(1) == c.len(5) && c.first(1) == s) return false;
      bool compareTrailing;
      if (c.count >= 10) {
        if (c.len(9) == 1 && (c.first(9) == '.' || c.first(9) == ',')) return false;
        compareTrailing = true;
      } else {
        compareTrailing = c.count == 9;
      }
      if (!compareTrailing) return true;
      if (c.len(7) == c.len(5)) return c.first(7) != s;
      return true;
    }
    toRule3 = s == '.';
  }
  if (!toRule3) return true;
  if (c.len(3) == 1 && c.first(3) == '.') return false;
  if (c.count >= 10 && c.len(9) == 1) return c.first(9) != '.';
  return true;
}

// The digit-group rule, state by state as stated: runs of digits against
// `groups`, one digit per expected run length.
inline bool digitGroupsMatch(bool allowNewline, std::string const& s, std::string const& groups) {
  char sep = ' ', carry = ' ';
  int run = 0, total = 0;
  std::string found;
  auto closeRun = [&] {
    if (run != 0) found += static_cast<char>('0' + run);
    run = 0;
  };
  for (char c : s) {
    if (digit(c)) {
      if (carry != sep) return false;
      ++run;
      ++total;
      carry = sep;
    } else if (c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r') {
      if (!allowNewline && (c == '\n' || c == '\r')) return false;
      if (run != 0) {
        closeRun();
        sep = ' ';
      }
    } else if (carry == ' ') {
      if (found.empty()) {
        sep = carry = c;
        closeRun();
      } else if (found.size() == 1 && run == 0) {
        sep = carry = c;
      } else {
        return false;
      }
    } else {
      if (c != carry) return false;
      sep = carry = c;
      closeRun();
    }
  }
  if (!found.empty()) {
    closeRun();
    return found == groups;
  }
  int sum = 0;
  for (char g : groups) sum += g - '0';
  return total == sum;
}

// The digits of `s`, in order, separators left out.
inline std::vector<int> digitsOf(std::string const& s) {
  std::vector<int> d;
  for (char c : s)
    if (digit(c)) d.push_back(c - '0');
  return d;
}

// The Luhn sum over `d`: from the right, every second digit doubled, a
// doubled value above 9 counted as the sum of its digits.
inline int luhnTotal(std::vector<int> const& d) {
  int total = 0;
  for (size_t i = 0; i < d.size(); ++i) {
    int v = d[d.size() - 1 - i];
    if (i % 2 == 1) v = 2 * v > 9 ? 2 * v - 9 : 2 * v;
    total += v;
  }
  return total;
}

inline int lastDigit(std::string const& id) { return id.back() - '0'; }

inline bool abaValid(std::string const& id) {
  if (id.empty() || !digitGroupsMatch(true, id, "441")) return false;
  int const weights[] = {3, 7, 1};
  std::vector<int> d = digitsOf(id);
  int sum = 0;
  for (size_t i = 0; i < d.size(); ++i) sum += d[i] * weights[i % 3];
  return sum > 0 && sum % 10 == 0;
}

inline bool uknhsValid(std::string const& id) {
  if (!digitGroupsMatch(true, id, "334")) return false;
  std::vector<int> d = digitsOf(id.substr(0, id.size() - 1));
  int sum = 0;
  for (size_t i = 0; i < d.size() && i < 9; ++i) sum += d[i] * static_cast<int>(10 - i);
  int r = 11 - sum % 11;
  if (r == 10) return false;
  if (r == 11) r = 0;
  return lastDigit(id) == r;
}

inline bool usdeaValid(std::string const& id) {
  std::vector<int> d = digitsOf(id.substr(0, id.size() - 1));
  int sum = 0;
  for (size_t i = 0; i < d.size() && i < 6; ++i) {
    int const v = d[d.size() - 1 - i];
    sum += i % 2 == 0 ? 2 * v : v;
  }
  return lastDigit(id) == sum % 10;
}

inline bool inseeValid(std::string const& id) {
  std::vector<int> d = digitsOf(id.substr(0, id.size() - 2));
  uint64_t n = 0;
  size_t const from = d.size() > 13 ? d.size() - 13 : 0;
  for (size_t i = from; i < d.size(); ++i) n = n * 10 + static_cast<uint64_t>(d[i]);
  int const key = 97 - static_cast<int>(n % 97);
  return lastDigit(id) == key % 10 && id[id.size() - 2] - '0' == key / 10;
}

inline bool cusipValid(std::string const& id) {
  std::vector<int> values;
  for (size_t i = 0; i + 1 < id.size(); ++i) {
    if (digit(id[i])) values.push_back(id[i] - '0');
    if (letter(id[i])) values.push_back(letterValue(id[i]));
  }
  int sum = 0;
  for (size_t i = 0; i < values.size(); ++i) {
    int v = values[values.size() - 1 - i];
    if (i % 2 == 0) v *= 2;
    sum += v / 10 + v % 10;
  }
  return lastDigit(id) == (10 - sum % 10) % 10;
}

// ISO 13616: the rest, then the country, then the check digits, letters as
// two digits each; the number modulo 97 must be 1.
inline bool ibanValid(std::string const& id) {
  std::string digits;
  auto add = [&](char c) {
    if (digit(c)) digits += c;
    if (letter(c)) digits += std::to_string(letterValue(c));
  };
  for (size_t i = 4; i < id.size(); ++i) add(id[i]);
  add(id[0]);
  add(id[1]);
  digits += id.substr(2, 2);
  int rest = 0;
  for (char c : digits) rest = (rest * 10 + (c - '0')) % 97;
  return rest == 1;
}

// ISIN: its own context rule, then the Luhn sum over the letters written as
// two digits each.
inline bool isinValid(Candidate const& c) {
  if (c.count > 5 && c.took(3) && c.len(5) > 0 && c.first(5) == c.first(3) &&
      c.len(2) == c.len(4))
    return false;
  std::string const id = c.group(1);
  std::vector<int> d;
  for (size_t i = 0; i + 1 < id.size(); ++i) {
    if (digit(id[i])) d.push_back(id[i] - '0');
    if (letter(id[i])) {
      d.push_back(letterValue(id[i]) / 10);
      d.push_back(letterValue(id[i]) % 10);
    }
  }
  // The check digit's own place is the first from the right, so the digits
  // before it start doubled: add a zero place for it.
  d.push_back(0);
  return lastDigit(id) == (10 - luhnTotal(d) % 10) % 10;
}

// Whether detector `code` (256 to 273) counts candidate `c`.
inline bool accepts(uint16_t code, Candidate const& c, bool allowNewline) {
  if (code == 261) return isinValid(c);
  if (!boundaryAccepts(c)) return false;
  std::string const id = c.group(4);
  switch (code) {
    case 256: return digitGroupsMatch(allowNewline, id, "333") && luhnTotal(digitsOf(id)) % 10 == 0;
    case 257: return digitGroupsMatch(allowNewline, id, "324");
    case 258:
      return (digitGroupsMatch(allowNewline, id, "4444") ||
              digitGroupsMatch(allowNewline, id, "465") ||
              digitGroupsMatch(allowNewline, id, "464")) &&
             luhnTotal(digitsOf(id)) % 10 == 0;
    case 259: return abaValid(id);
    case 260: return cusipValid(id);
    case 263: return uknhsValid(id);
    case 264: return digitGroupsMatch(true, id, "27");
    case 265: return usdeaValid(id);
    case 266: return digitGroupsMatch(true, id, "228");
    case 267: return inseeValid(id);
    case 269: return ibanValid(id);
    case 270: return digitGroupsMatch(true, id, "324");
    default: return true;  // passports, UK NI numbers: the context alone
  }
}

// A built-in expression compiled again from its text (/body/m): line anchors
// at every line break of any kind, as the detectors ask of the engine.
class ReferenceExpression {
 public:
  explicit ReferenceExpression(std::string const& delimited) {
    std::string const body = delimited.substr(1, delimited.rfind('/') - 1);
    pcre2_compile_context* cc = pcre2_compile_context_create(nullptr);
    pcre2_set_newline(cc, PCRE2_NEWLINE_ANY);
    int error = 0;
    PCRE2_SIZE at = 0;
    code_ = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(body.data()), body.size(),
                          PCRE2_MULTILINE, &error, &at, cc);
    pcre2_compile_context_free(cc);
    if (code_ != nullptr) pcre2_jit_compile(code_, PCRE2_JIT_COMPLETE);
  }
  ~ReferenceExpression() { pcre2_code_free(code_); }
  ReferenceExpression(ReferenceExpression const&) = delete;
  ReferenceExpression& operator=(ReferenceExpression const&) = delete;

  bool compiled() const { return code_ != nullptr; }

  struct Found {
    long start, length;
  };

  // Every candidate `code` counts in `text`, in the order of the search: from
  // the start, and after each candidate from where its validator sends the
  // search (the identifier's last character; at least one past the start).
  // False when the engine gave up (its backtracking bound) before the end.
  bool search(uint16_t code, std::string const& text, bool allowNewline,
              std::vector<Found>& out) const {
    pcre2_match_data* md = pcre2_match_data_create_from_pattern(code_, nullptr);
    pcre2_match_context* mc = pcre2_match_context_create(nullptr);
    pcre2_set_match_limit(mc, 6000);
    bool finished = true;
    size_t offset = 0;
    while (offset <= text.size()) {
      int const rc = pcre2_match(code_, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(),
                                 offset, 0, md, mc);
      if (rc == PCRE2_ERROR_NOMATCH) break;
      if (rc <= 0) {
        finished = false;
        break;
      }
      PCRE2_SIZE const* v = pcre2_get_ovector_pointer(md);
      Candidate c{text, {}, rc};
      for (int i = 0; i < rc; ++i) {
        bool const unset = v[2 * i] == PCRE2_UNSET;
        c.ov.push_back(unset ? -1 : static_cast<long>(v[2 * i]));
        c.ov.push_back(unset ? -1 : static_cast<long>(v[2 * i + 1]));
      }
      if (accepts(code, c, allowNewline)) out.push_back({c.ov[0], c.ov[1] - c.ov[0]});
      int const idGroup = code == 261 ? 1 : 4;
      size_t next = static_cast<size_t>(c.ov[2 * idGroup + 1] - 1);
      if (next <= static_cast<size_t>(c.ov[0])) next = static_cast<size_t>(c.ov[0]) + 1;
      offset = next;
    }
    pcre2_match_context_free(mc);
    pcre2_match_data_free(md);
    return finished;
  }

 private:
  pcre2_code* code_ = nullptr;
};

}  // namespace vmund_fuzz

#endif  // VESSAMUND_FUZZ_DETECTOR_REFERENCE_H_
