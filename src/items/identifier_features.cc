// The identifier features (identifier_features.h): the pass over a part, and
// which expression uses which feature with what reach and lead.
//
// Terms. A candidate is a match of an expression: leading context,
// identifier, trailing context. In every expression but isin's the leading
// context is empty after a line break or at the text's start (^ with any
// line break ending a line), one delimiter character, or a blank run or a
// full stop or comma after a digit; so the byte before an identifier is a
// line break, a delimiter, a blank, a full stop or comma, or there is none
// (mayLead), and the leading context spans at most kShort bytes when its
// blank run is short. The trailing context begins with a line break (for
// $), a blank, a full stop or comma, or a closing delimiter, or the text
// ends (mayTrail). isin's identifier sits between word boundaries instead.
// Every separator inside an identifier is a hyphen, a full stop, a blank
// run or nothing (the expressions repeat one separator with a
// back-reference, or allow an optional blank run). A blank run is short when
// it is shorter than kLongBlankRun, so it spans at most kShort bytes.
//
// A feature is found where its whole identifier, read backwards from its
// last digit with any separator between blocks, is bounded by those
// characters; so every identifier of the expression is found, at its end,
// with `from` at its first character, and its candidate starts at most a
// short leading context before: lead kShort (0 for isin). Reach, an upper
// bound on end - start, follows from the longest identifier with short
// separators.
//
// The pass reads the part in blocks of 16 bytes turned into bit masks and
// looks closer only at digits (most of a message has none), and at a digit
// only when it ends a run of digits followed by a possible trailing context.
#include "items/identifier_features.h"

#include <array>

#include <cstring>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "items/predefined_patterns.h"

namespace Vessamund {
namespace internal {

namespace {

constexpr uint32_t kShort = kLongBlankRun - 1;

enum Class : uint8_t { kOther, kDigit, kUpper, kLower, kBlank, kMark };

struct ClassTable {
  uint8_t of[256];
  bool de[256];     // the characters of a German passport number
  bool lead[256];   // bytes an identifier may follow (see mayLead)
  bool trail[256];  // bytes an identifier may be followed by (see mayTrail)
  constexpr ClassTable() : of(), de(), lead(), trail() {
    for (int c = '0'; c <= '9'; ++c) of[c] = kDigit, de[c] = true;
    for (int c = 'A'; c <= 'Z'; ++c) of[c] = kUpper;
    for (int c = 'a'; c <= 'z'; ++c) of[c] = kLower;
    of[0x20] = of[0x09] = kBlank;  // space, tab
    of[0x2d] = of[0x2e] = kMark;   // hyphen, full stop
    for (char const* p = "CFGHJKLMNPRTVWXYZ"; *p != '\0'; ++p) de[static_cast<unsigned char>(*p)] = true;
    // Line breaks (any ends a line): LF, VT, FF, CR, NEL.
    for (int c : {0x0a, 0x0b, 0x0c, 0x0d, 0x85}) lead[c] = trail[c] = true;
    for (char const* p = "[({:;\"' \t>.,"; *p != '\0'; ++p) lead[static_cast<unsigned char>(*p)] = true;
    for (char const* p = "])}:;\"' \t<.,"; *p != '\0'; ++p) trail[static_cast<unsigned char>(*p)] = true;
  }
};
constexpr ClassTable kClass;

inline uint8_t classOf(char c) { return kClass.of[static_cast<unsigned char>(c)]; }
inline bool isDigit(char c) { return classOf(c) == kDigit; }
inline bool isAlnum(char c) {
  uint8_t const k = classOf(c);
  return k == kDigit || k == kUpper || k == kLower;
}
inline bool isLetter(char c) {
  uint8_t const k = classOf(c);
  return k == kUpper || k == kLower;
}
inline bool isWord(char c) { return isAlnum(c) || c == '_'; }

// Whether an identifier may begin at `start` (after its leading context),
// and whether one may end just before `next` (its trailing context).
inline bool mayLead(char const* text, uint32_t start) {
  return start == 0 || kClass.lead[static_cast<unsigned char>(text[start - 1])];
}
inline bool mayTrail(char const* text, uint32_t length, uint32_t next) {
  return next == length || kClass.trail[static_cast<unsigned char>(text[next])];
}

// Where a separator that ends just before `end` begins: a hyphen, a full
// stop, a blank run, or nothing. A blank run is taken whole: what precedes
// a separator in an identifier is a letter or digit, never a blank.
inline uint32_t skipSeparatorBack(char const* text, uint32_t end) {
  if (end > 0 && (text[end - 1] == '-' || text[end - 1] == '.')) return end - 1;
  while (end > 0 && classOf(text[end - 1]) == kBlank) --end;
  return end;
}

// The same forwards, from `at`.
inline uint32_t skipSeparator(char const* text, uint32_t length, uint32_t at) {
  if (at < length && (text[at] == '-' || text[at] == '.')) return at + 1;
  while (at < length && classOf(text[at]) == kBlank) ++at;
  return at;
}

// Steps back over `count` bytes of a kind before *end; false if they are not.
template <bool (*kKind)(char)>
inline bool back(char const* text, uint32_t* end, uint32_t count) {
  if (*end < count) return false;
  for (uint32_t i = *end - count; i < *end; ++i) {
    if (!kKind(text[i])) return false;
  }
  *end -= count;
  return true;
}

// Identifiers made of digit blocks, read backwards from their last digit.
// A block boundary inside a run of digits is an empty separator; one
// between runs is the separator there. Each shape lists its block lengths
// and its families: the feature of each set of first digits an expression
// fixes (up to four digits; none: any start).
struct DigitShape {
  struct Family {
    IdentifierFeature feature;
    char const* prefixes;  // comma-separated; null: any
  };
  uint8_t count;
  uint8_t blocks[7];
  Family families[5];
  uint8_t familyCount;
};

constexpr DigitShape kDigitShapes[] = {
    {3, {3, 3, 3}, {{kCanSin, "0,1,2,3,4,5,6,7,9"}}, 1},
    {3, {3, 2, 4}, {{kSsnItin, "0,1,2,3,4,5,6,7,8"}, {kItin, "9"}}, 2},
    {3, {4, 4, 1}, {{kAba, nullptr}}, 1},
    {3, {3, 3, 4}, {{kUkNhs, nullptr}}, 1},
    {2, {2, 7}, {{kUsEin, nullptr}}, 1},
    {3, {2, 2, 8}, {{kFrCni, nullptr}}, 1},
    {7, {1, 2, 2, 2, 3, 3, 2}, {{kInsee, nullptr}}, 1},
    {7, {1, 2, 2, 3, 2, 3, 2}, {{kInsee, nullptr}}, 1},
    {4, {4, 4, 4, 4},
     {{kCard16, "4"}, {kCard16Jcb, "35"}, {kCard16Mc, "51,52,53,54,55"},
      {kCard16Other, "65"}, {kCard16Disc, "6011"}},
     5},
    {3, {4, 6, 5}, {{kCard15, "34,37"}, {kCard15Other, "1800,2131"}}, 2},
    {3, {4, 6, 4}, {{kCard14, "300,301,302,303,304,305"}, {kCard14Other, "36,38"}}, 2},
    {1, {9}, {{kPassport9, nullptr}}, 1},
};

// The first digits a family's prefixes begin with, bit d for digit d: most
// families are ruled out by the first digit alone.
constexpr unsigned firstDigitsOf(DigitShape::Family const& family) {
  if (family.prefixes == nullptr) return 0x3FF;
  unsigned bits = 0;
  bool atStart = true;
  for (char const* p = family.prefixes; *p != '\0'; ++p) {
    if (atStart) bits |= 1u << (*p - '0');
    atStart = *p == ',';
  }
  return bits;
}

constexpr size_t kShapeCount = sizeof kDigitShapes / sizeof *kDigitShapes;
constexpr std::array<std::array<unsigned, 5>, kShapeCount> kFirstDigits = [] {
  std::array<std::array<unsigned, 5>, kShapeCount> bits{};
  for (size_t i = 0; i < kShapeCount; ++i) {
    for (int f = 0; f < kDigitShapes[i].familyCount; ++f) {
      bits[i][f] = firstDigitsOf(kDigitShapes[i].families[f]);
    }
  }
  return bits;
}();

// The features of a shape's families.
constexpr unsigned featuresOf(DigitShape const& shape) {
  unsigned bits = 0;
  for (int i = 0; i < shape.familyCount; ++i) bits |= 1u << shape.families[i].feature;
  return bits;
}

// The runs of digits before a digit that ends one, last run first, with the
// separators between them: where each run starts and how long it is.
struct Runs {
  static constexpr int kMax = 7;
  uint32_t start[kMax];
  uint32_t length[kMax];
  int count = 0;
};

void readRuns(char const* text, uint32_t at, Runs& runs) {
  uint32_t end = at + 1;
  while (runs.count < Runs::kMax) {
    uint32_t start = end;
    while (start > 0 && isDigit(text[start - 1])) --start;
    runs.start[runs.count] = start;
    runs.length[runs.count] = end - start;
    ++runs.count;
    uint32_t const before = skipSeparatorBack(text, start);
    if (before == start || before == 0 || !isDigit(text[before - 1])) return;
    end = before;
  }
}

bool startsWithOneOf(char const* text, uint32_t start, uint32_t length, char const* prefixes) {
  // Read in place: this runs at every end of a digit run.
  for (char const* p = prefixes;;) {
    uint32_t k = 0;
    while (p[k] != ',' && p[k] != '\0' && start + k < length && text[start + k] == p[k]) ++k;
    if (p[k] == ',' || p[k] == '\0') return true;
    while (*p != ',' && *p != '\0') ++p;
    if (*p == '\0') return false;
    ++p;
  }
}

// Where an identifier of `shape` ending with the runs begins, whatever its
// first digits, or -1.
int64_t matchShape(char const* text, Runs const& runs, DigitShape const& shape) {
  int run = 0;
  uint32_t left = runs.length[0];
  for (int b = shape.count - 1; b >= 0; --b) {
    if (left < shape.blocks[b]) return -1;
    left -= shape.blocks[b];
    if (left == 0 && b > 0) {
      if (++run >= runs.count) return -1;
      left = runs.length[run];
    }
  }
  // Digits before the first block: it would not follow a leading context.
  if (left != 0) return -1;
  uint32_t const start = runs.start[run];
  if (!mayLead(text, start)) return -1;
  return start;
}

// The bytes of one block of up to 16, as bit masks (bit k: byte k).
struct BlockMasks {
  unsigned digits;
  unsigned blanks;
  unsigned passport;  // digits and the passport capitals
};

#ifdef __SSE2__
BlockMasks masksOf16(char const* p) {
  __m128i const v = _mm_loadu_si128(reinterpret_cast<__m128i const*>(p));
  __m128i const d = _mm_sub_epi8(v, _mm_set1_epi8('0'));
  __m128i const digit = _mm_cmpeq_epi8(_mm_max_epu8(d, _mm_set1_epi8(9)), _mm_set1_epi8(9));
  __m128i const blank =
      _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(' ')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\t')));
  __m128i const u = _mm_sub_epi8(v, _mm_set1_epi8('A'));
  __m128i const upper = _mm_cmpeq_epi8(_mm_max_epu8(u, _mm_set1_epi8(25)), _mm_set1_epi8(25));
  BlockMasks m;
  m.digits = static_cast<unsigned>(_mm_movemask_epi8(digit));
  m.blanks = static_cast<unsigned>(_mm_movemask_epi8(blank));
  m.passport = m.digits;
  if (_mm_movemask_epi8(upper) != 0) {
    // The capitals that are not passport characters.
    __m128i other = _mm_cmpeq_epi8(v, _mm_set1_epi8('A'));
    other = _mm_or_si128(other, _mm_cmpeq_epi8(v, _mm_set1_epi8('B')));
    other = _mm_or_si128(other, _mm_cmpeq_epi8(v, _mm_set1_epi8('D')));
    other = _mm_or_si128(other, _mm_cmpeq_epi8(v, _mm_set1_epi8('E')));
    other = _mm_or_si128(other, _mm_cmpeq_epi8(v, _mm_set1_epi8('I')));
    other = _mm_or_si128(other, _mm_cmpeq_epi8(v, _mm_set1_epi8('O')));
    other = _mm_or_si128(other, _mm_cmpeq_epi8(v, _mm_set1_epi8('Q')));
    other = _mm_or_si128(other, _mm_cmpeq_epi8(v, _mm_set1_epi8('S')));
    other = _mm_or_si128(other, _mm_cmpeq_epi8(v, _mm_set1_epi8('U')));
    m.passport |= static_cast<unsigned>(_mm_movemask_epi8(_mm_andnot_si128(other, upper)));
  }
  return m;
}
#endif

BlockMasks masksOf(char const* p, uint32_t n) {
  BlockMasks m{0, 0, 0};
  for (uint32_t k = 0; k < n; ++k) {
    uint8_t const c = classOf(p[k]);
    if (c == kDigit) m.digits |= 1u << k;
    if (c == kBlank) m.blanks |= 1u << k;
    if (kClass.de[static_cast<unsigned char>(p[k])]) m.passport |= 1u << k;
  }
  return m;
}

// Runs of set bits in the low `n` bits of `bits`: how many are set at the
// bottom, and how many at the top (n when all are).
inline unsigned lowRun(unsigned bits, unsigned n) {
  unsigned const r = static_cast<unsigned>(__builtin_ctz(~bits));
  return r < n ? r : n;
}
inline unsigned highRun(unsigned bits, unsigned n) {
  unsigned const shifted = (~bits << (32 - n));
  return shifted == 0 ? n : static_cast<unsigned>(__builtin_clz(shifted));
}

// The pass: blocks of 16 bytes as bit masks. Blank runs and passport runs
// carry from block to block; digit chains are followed digit by digit,
// judging the bytes between two digits directly.
constexpr std::array<unsigned, kShapeCount> kShapeFeatures = [] {
  std::array<unsigned, kShapeCount> bits{};
  for (size_t i = 0; i < kShapeCount; ++i) bits[i] = featuresOf(kDigitShapes[i]);
  return bits;
}();

// The fewest digits any shape holds: runs with fewer hold none of them.
constexpr uint32_t kFewestShapeDigits = [] {
  uint32_t fewest = UINT32_MAX;
  for (DigitShape const& shape : kDigitShapes) {
    uint32_t digits = 0;
    for (int b = 0; b < shape.count; ++b) digits += shape.blocks[b];
    if (digits < fewest) fewest = digits;
  }
  return fewest;
}();

constexpr unsigned kDigitShapeFeatures = [] {
  unsigned bits = 0;
  for (DigitShape const& shape : kDigitShapes) bits |= featuresOf(shape);
  return bits;
}();

class Finder {
 public:
  Finder(char const* text, uint32_t length, unsigned int wanted, FeatureSink& sink)
      : text_(text), length_(length), wanted_(wanted), sink_(sink) {}

  void run() {
    uint32_t i = 0;
#ifdef __SSE2__
    for (; i + 16 <= length_; i += 16) block(i, masksOf16(text_ + i), 16);
#endif
    for (; i < length_; i += 16) {
      uint32_t const n = length_ - i < 16 ? length_ - i : 16;
      block(i, masksOf(text_ + i, n), n);
    }
    endBlankRun(length_);
  }

 private:
  bool want(IdentifierFeature f) const { return (wanted_ & (1u << f)) != 0; }

  // A run of kLongBlankRun or more blanks ending at `end`: a start position
  // that reads into it (a candidate whose first long run this is, or a
  // search that may meet its limit here) is at most a leading context and
  // the longest identifier (iban's second form) before it.
  void endBlankRun(uint32_t end) {
    if (blankRun_ >= kLongBlankRun) {
      constexpr uint32_t kBefore = kShort + (4 + kShort + 7 * (4 + kShort) + 2) + 1;
      uint32_t const start = end - blankRun_;
      sink_.longRun(start > kBefore ? start - kBefore : 0, end);
    }
    blankRun_ = 0;
  }

  void block(uint32_t at, BlockMasks const& m, unsigned n) {
    unsigned const all = n == 32 ? ~0u : (1u << n) - 1;
    // Blank runs: only one that touches the block's start can end here
    // long; one inside a block of 16 is shorter than 16.
    if ((m.blanks & all) == all) {
      blankRun_ += n;
    } else {
      unsigned const leading = lowRun(m.blanks, n);
      blankRun_ += leading;
      endBlankRun(at + leading);
      blankRun_ = highRun(m.blanks, n);
    }
    // Passport runs: a run of exactly ten between a leading and a trailing
    // context is depspt's identifier; any run of ten is looked at.
    if (want(kDePassport)) {
      unsigned const p = m.passport & all;
      if (p == all) {
        for (unsigned k = 0; k < n; ++k) deChar(at + k);
      } else {
        unsigned const leading = lowRun(p, n);
        unsigned run = p;
        for (int k = 1; k < 10; ++k) run &= p >> k;
        if (run != 0 || deRun_ + leading >= 10) {
          for (unsigned k = 0; k < n; ++k) {
            if ((p >> k) & 1u) {
              deChar(at + k);
            } else {
              deRun_ = 0;
            }
          }
        }
        deRun_ = highRun(p, n);
      }
    }
    for (unsigned d = m.digits & all; d != 0; d &= d - 1) {
      digit(at + static_cast<unsigned>(__builtin_ctz(d)));
    }
  }

  void deChar(uint32_t i) {
    if (++deRun_ < 10) return;
    uint32_t const start = i + 1 - 10;
    if (mayLead(text_, start) && mayTrail(text_, length_, i + 1)) {
      sink_.feature(kDePassport, i + 1, start);
    }
  }

  void digit(uint32_t i) {
    digitRun_ = haveDigit_ && lastDigit_ + 1 == i ? digitRun_ + 1 : 1;
    haveDigit_ = true;
    lastDigit_ = i;
    uint32_t const end = i + 1;
    // Two letters and two digits open an iban, digits may follow.
    if (digitRun_ == 2 && want(kIbanStart) && i >= 3 && isLetter(text_[i - 2]) &&
        isLetter(text_[i - 3]) && mayLead(text_, i - 3)) {
      sink_.feature(kIbanStart, end, i - 3);
    }
    // Every other identifier ends with a run of digits.
    if (end < length_ && isDigit(text_[end])) return;
    if (want(kUkni)) ukni(i);
    if (want(kIsin) && (end == length_ || !isWord(text_[end]))) isin(i);
    if (!mayTrail(text_, length_, end)) return;
    if ((wanted_ & kDigitShapeFeatures) != 0) {
      Runs runs;
      readRuns(text_, i, runs);
      uint32_t digits = 0;
      for (int r = 0; r < runs.count; ++r) digits += runs.length[r];
      for (size_t si = 0; si < kShapeCount && digits >= kFewestShapeDigits; ++si) {
        DigitShape const& shape = kDigitShapes[si];
        if ((wanted_ & kShapeFeatures[si]) == 0) continue;
        int64_t const start = matchShape(text_, runs, shape);
        if (start < 0) continue;
        for (int f = 0; f < shape.familyCount; ++f) {
          DigitShape::Family const& family = shape.families[f];
          if (((kFirstDigits[si][f] >> (text_[start] - '0')) & 1u) != 0 &&
              want(family.feature) &&
              (family.prefixes == nullptr ||
               startsWithOneOf(text_, static_cast<uint32_t>(start), length_, family.prefixes))) {
            sink_.feature(family.feature, end, static_cast<uint32_t>(start));
          }
        }
      }
    }
    // uspspt's other form: a letter and seven digits.
    if (digitRun_ == 7 && want(kPassport9) && i >= 7 && isLetter(text_[i - 7]) &&
        mayLead(text_, i - 7)) {
      sink_.feature(kPassport9, end, i - 7);
    }
    if (want(kDea)) dea(i);
    if (want(kFrPassport)) frPassport(i);
    if (want(kCusip)) cusip(i);
  }

  // usdea: one of A B F G M P R, one of those or 9, separator, 6 digits,
  // separator, the digit at `at`.
  void dea(uint32_t at) {
    uint32_t end = at + 1;
    if (!back<isDigit>(text_, &end, 1)) return;
    end = skipSeparatorBack(text_, end);
    if (!back<isDigit>(text_, &end, 6)) return;
    end = skipSeparatorBack(text_, end);
    if (end < 2) return;
    auto in = [](char c, char const* set) { return c != '\0' && std::strchr(set, c) != nullptr; };
    if (!in(text_[end - 1], "ABFGMPR9") || !in(text_[end - 2], "ABFGMPR")) return;
    if (mayLead(text_, end - 2)) sink_.feature(kDea, at + 1, end - 2);
  }

  // ukni: two letters, three pairs of digits, the last pair ending at `at`,
  // separated, then a separator and a letter A to D.
  void ukni(uint32_t at) {
    uint32_t end = at + 1;
    for (int pair = 0; pair < 3; ++pair) {
      if (pair != 0) end = skipSeparatorBack(text_, end);
      if (!back<isDigit>(text_, &end, 2)) return;
    }
    end = skipSeparatorBack(text_, end);
    if (!back<isLetter>(text_, &end, 2) || !mayLead(text_, end)) return;
    uint32_t const letter = skipSeparator(text_, length_, at + 1);
    if (letter >= length_) return;
    char const c = text_[letter];
    if (((c >= 'a' && c <= 'd') || (c >= 'A' && c <= 'D')) && mayTrail(text_, length_, letter + 1)) {
      sink_.feature(kUkni, at + 1, end);
    }
  }

  // frpspt: 2 digits, separator, 2 letters, separator, 5 digits ending at
  // `at`.
  void frPassport(uint32_t at) {
    uint32_t end = at + 1;
    if (!back<isDigit>(text_, &end, 5)) return;
    end = skipSeparatorBack(text_, end);
    if (!back<isLetter>(text_, &end, 2)) return;
    end = skipSeparatorBack(text_, end);
    if (back<isDigit>(text_, &end, 2) && mayLead(text_, end)) {
      sink_.feature(kFrPassport, at + 1, end);
    }
  }

  // cusip: 3 digits, 3 letters or digits, separator, 2 letters or digits,
  // separator, the digit at `at`.
  void cusip(uint32_t at) {
    uint32_t end = at + 1;
    if (!back<isDigit>(text_, &end, 1)) return;
    end = skipSeparatorBack(text_, end);
    if (!back<isAlnum>(text_, &end, 2)) return;
    end = skipSeparatorBack(text_, end);
    if (back<isAlnum>(text_, &end, 3) && back<isDigit>(text_, &end, 3) && mayLead(text_, end)) {
      sink_.feature(kCusip, at + 1, end);
    }
  }

  // isin: at a word start, 2 letters, separator, 9 letters or digits,
  // separator, the digit at `at`; a word ends after it (checked by the
  // caller).
  void isin(uint32_t at) {
    uint32_t end = at + 1;
    if (!back<isDigit>(text_, &end, 1)) return;
    end = skipSeparatorBack(text_, end);
    if (!back<isAlnum>(text_, &end, 9)) return;
    end = skipSeparatorBack(text_, end);
    if (back<isLetter>(text_, &end, 2) && (end == 0 || !isWord(text_[end - 1]))) {
      sink_.feature(kIsin, at + 1, end);
    }
  }

  char const* const text_;
  uint32_t const length_;
  unsigned int const wanted_;
  FeatureSink& sink_;
  bool haveDigit_ = false;
  uint32_t lastDigit_ = 0;   // the last digit seen
  uint32_t digitRun_ = 0;    // consecutive digits ending there
  uint32_t deRun_ = 0;       // consecutive passport characters so far
  uint32_t blankRun_ = 0;    // consecutive blanks so far
};

}  // namespace

void findIdentifierFeatures(char const* text, uint32_t length, unsigned int wanted,
                            FeatureSink& sink) {
  Finder(text, length, wanted, sink).run();
}

namespace {

struct ExpressionFeatures {
  Regex::ExpressionImpl const* expression;
  int count;
  FeatureUse uses[2];
};

// Reach: the leading context (kShort) and the longest identifier with
// short separators; lead: the leading context.
std::vector<ExpressionFeatures> buildTable() {
  constexpr uint32_t S = kShort;
  std::vector<ExpressionFeatures> table = {
      {cansin_expr.get(), 1, {{kCanSin, S + 9 + 2 * S, S}}},
      {usssn_expr.get(), 1, {{kSsnItin, S + 9 + 2 * S, S}}},
      {itin_expr.get(), 1, {{kItin, S + 9 + 2 * S, S}}},
      {aba_expr.get(), 1, {{kAba, S + 9 + 2 * S, S}}},
      {uknhs_expr.get(), 1, {{kUkNhs, S + 10 + 2 * S, S}}},
      {usein_expr.get(), 1, {{kUsEin, S + 9 + S, S}}},
      {frcni_expr.get(), 1, {{kFrCni, S + 12 + 2 * S, S}}},
      {insee_expr.get(), 1, {{kInsee, S + 15 + 6 * S, S}}},
      {ukpspt_expr.get(), 1, {{kPassport9, S + 9, S}}},
      {uspspt_expr.get(), 1, {{kPassport9, S + 9, S}}},
      {usdea_expr.get(), 1, {{kDea, S + 2 + S + 6 + S + 1, S}}},
      // Found at its last digit, before the separator and the letter.
      {ukni_expr.get(), 1, {{kUkni, S + 2 + S + 2 + S + 2 + S + 2, S}}},
      {frpspt_expr.get(), 1, {{kFrPassport, S + 2 + S + 2 + S + 5, S}}},
      {cusip_expr.get(), 1, {{kCusip, S + 3 + 3 + S + 2 + S + 1, S}}},
      // No leading context: the word boundary is empty.
      {isin_expr.get(), 1, {{kIsin, 2 + S + 9 + S + 1, 0}}},
      // Found at its fourth character.
      {iban_expr.get(), 1, {{kIbanStart, S + 4, S}}},
      {depspt_expr.get(), 1, {{kDePassport, S + 10, S}}},
  };
  // 4-4-4-4 (elements 0, 1, 4, 7, 8), 4-6-5 (2, 3), 4-6-4 (5, 6).
  IdentifierFeature const cards[9] = {kCard16Mc,   kCard16,      kCard15,
                                      kCard15Other, kCard16Jcb,   kCard14,
                                      kCard14Other, kCard16Disc,  kCard16Other};
  uint32_t const reach[9] = {S + 16 + 3 * S, S + 16 + 3 * S, S + 15 + 2 * S,
                             S + 15 + 2 * S, S + 16 + 3 * S, S + 14 + 2 * S,
                             S + 14 + 2 * S, S + 16 + 3 * S, S + 16 + 3 * S};
  for (int i = 0; i < 9; ++i) table.push_back({cc_expr[i].get(), 1, {{cards[i], reach[i], S}}});
  return table;
}

}  // namespace

int identifierFeaturesOf(Regex::ExpressionImpl const* expression, FeatureUse out[2]) {
  // Built on first use: the expressions are static objects of another file.
  static std::vector<ExpressionFeatures> const table = buildTable();
  for (auto const& row : table) {
    if (row.expression != expression) continue;
    for (int i = 0; i < row.count; ++i) out[i] = row.uses[i];
    return row.count;
  }
  return 0;
}

}  // namespace internal
}  // namespace Vessamund
