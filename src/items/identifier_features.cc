// The identifier features (identifier_features.h): the pass over a part, and
// which expression uses which feature with what reach.
//
// Terms. A candidate is a match of an expression: leading context,
// identifier, trailing context. The leading context is empty (a line start
// or, for isin, a word boundary), one character, or a blank run after a
// digit. Every separator inside an identifier is a hyphen, a full stop, a
// blank run or nothing (the expressions repeat one separator with a
// back-reference, or allow an optional blank run). A blank run is short when
// it is shorter than kLongBlankRun, so it spans at most kShort bytes.
//
// The pass reads the part in blocks of 16 bytes turned into bit masks, and
// looks closer only at digits (most of a message has none), so it costs a
// few operations per block.
#include "items/identifier_features.h"

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
  bool de[256];  // the characters of a German passport number
  constexpr ClassTable() : of(), de() {
    for (int c = '0'; c <= '9'; ++c) of[c] = kDigit, de[c] = true;
    for (int c = 'A'; c <= 'Z'; ++c) of[c] = kUpper;
    for (int c = 'a'; c <= 'z'; ++c) of[c] = kLower;
    of[0x20] = of[0x09] = kBlank;  // space, tab
    of[0x2d] = of[0x2e] = kMark;   // hyphen, full stop
    for (char const* p = "CFGHJKLMNPRTVWXYZ"; *p != '\0'; ++p) de[static_cast<unsigned char>(*p)] = true;
  }
};
constexpr ClassTable kClass;

inline uint8_t classOf(char c) { return kClass.of[static_cast<unsigned char>(c)]; }
inline bool isAlnum(char c) {
  uint8_t const k = classOf(c);
  return k == kDigit || k == kUpper || k == kLower;
}
inline bool isLetter(char c) {
  uint8_t const k = classOf(c);
  return k == kUpper || k == kLower;
}

// Where a separator that ends just before `end` begins: a hyphen (or, with
// `stop`, a full stop), a blank run, or nothing. A blank run is taken whole:
// what precedes a separator in an identifier is a letter or digit, never a
// blank.
inline uint32_t skipSeparatorBack(char const* text, uint32_t end, bool stop = false) {
  if (end > 0 && (text[end - 1] == '-' || (stop && text[end - 1] == '.'))) return end - 1;
  while (end > 0 && classOf(text[end - 1]) == kBlank) --end;
  return end;
}

// Whether the `count` bytes before `end` are all digits (or all letters).
inline bool digitsBefore(char const* text, uint32_t end, uint32_t count) {
  if (end < count) return false;
  for (uint32_t i = end - count; i < end; ++i) {
    if (classOf(text[i]) != kDigit) return false;
  }
  return true;
}
inline bool lettersBefore(char const* text, uint32_t end, uint32_t count) {
  if (end < count) return false;
  for (uint32_t i = end - count; i < end; ++i) {
    if (!isLetter(text[i])) return false;
  }
  return true;
}

// The bytes the leading context of the standard frame can end with: its
// delimiters, a blank or full stop or comma after a digit, and, for a line
// start (^ with any line break ending a line), the line breaks CR, LF, VT,
// FF and NEL.
struct LeadingContext {
  bool can[256];
  constexpr LeadingContext() : can() {
    for (char const* p = "[({:;\"' \t>.,\n\r\x0b\x0c"; *p != '\0'; ++p) {
      can[static_cast<unsigned char>(*p)] = true;
    }
    can[0x85] = true;
  }
};
constexpr LeadingContext kLeadingContext;

// Whether an identifier may begin at `start`: at the text's start, or
// after a byte its leading context can end with.
inline bool mayLead(char const* text, uint32_t start) {
  return start == 0 || kLeadingContext.can[static_cast<unsigned char>(text[start - 1])];
}

// frpspt's identifier: 2 digits, separator, 2 letters, the separator, 5
// digits, the last at `at`. Read backwards, each step has one reading.
bool frShape(char const* text, uint32_t at) {
  uint32_t end = at + 1;
  if (!digitsBefore(text, end, 5)) return false;
  end = skipSeparatorBack(text, end - 5, true);
  if (!lettersBefore(text, end, 2)) return false;
  end = skipSeparatorBack(text, end - 2, true);
  return digitsBefore(text, end, 2);
}

// Whether the `count` bytes before `end` are all letters or digits.
inline bool alnumBefore(char const* text, uint32_t end, uint32_t count) {
  if (end < count) return false;
  for (uint32_t i = end - count; i < end; ++i) {
    if (!isAlnum(text[i])) return false;
  }
  return true;
}

// isin's identifier ends: nine letters or digits, its separator, a digit.
// `at` is that digit.
bool isinTail(char const* text, uint32_t at) {
  return alnumBefore(text, skipSeparatorBack(text, at), 9);
}

// cusip's identifier: 3 digits, 3 letters or digits, separator, 2 letters or
// digits, separator, a digit at `at`. Read backwards, each step has one
// reading, so this is exactly the pattern with a free choice of separator.
bool cusipShape(char const* text, uint32_t at) {
  uint32_t end = skipSeparatorBack(text, at);
  if (!alnumBefore(text, end, 2)) return false;
  end = skipSeparatorBack(text, end - 2);
  if (!alnumBefore(text, end, 3) || end < 6) return false;
  for (uint32_t i = end - 6; i < end - 3; ++i) {
    if (classOf(text[i]) != kDigit) return false;
  }
  return true;
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
    // Passport runs: report every character that ends a run of ten.
    if (want(kDeRun)) {
      unsigned const p = m.passport & all;
      if (p == all) {
        for (unsigned k = 0; k < n; ++k) {
          if (++deRun_ >= 10) sink_.feature(kDeRun, at + k + 1, at + k + 1 - 10);
        }
      } else {
        unsigned const leading = lowRun(p, n);
        unsigned run = p;
        for (int k = 1; k < 10; ++k) run &= p >> k;
        if (run != 0 || deRun_ + leading >= 10) {
          for (unsigned k = 0; k < n; ++k) {
            deRun_ = (p >> k) & 1u ? deRun_ + 1 : 0;
            if (deRun_ >= 10) sink_.feature(kDeRun, at + k + 1, at + k + 1 - 10);
          }
        }
        deRun_ = highRun(p, n);
      }
    }
    for (unsigned d = m.digits & all; d != 0; d &= d - 1) {
      digit(at + static_cast<unsigned>(__builtin_ctz(d)));
    }
  }

  // Whether the bytes between the digits at `last` and `next` join them in
  // a chain: nothing, one hyphen or full stop, or a blank run.
  bool joins(uint32_t last, uint32_t next) const {
    uint32_t const n = next - last - 1;
    if (n == 0) return true;
    char const c = text_[last + 1];
    if (n == 1 && (c == '-' || c == '.')) return true;
    for (uint32_t k = last + 1; k < next; ++k) {
      if (classOf(text_[k]) != kBlank) return false;
    }
    return true;
  }

  void digit(uint32_t i) {
    bool const adjacent = haveDigit_ && lastDigit_ + 1 == i;
    if (haveDigit_ && joins(lastDigit_, i)) {
      ++chain_;
    } else {
      chain_ = 1;
      chainStart_ = i;
    }
    digitRun_ = adjacent ? digitRun_ + 1 : 1;
    haveDigit_ = true;
    lastDigit_ = i;
    uint32_t const end = i + 1;
    if (chain_ >= 6 && want(kChain6)) sink_.feature(kChain6, end, chainStart_);
    if (chain_ >= 9 && want(kChain9)) sink_.feature(kChain9, end, chainStart_);
    if (chain_ >= 14 && want(kChain14)) sink_.feature(kChain14, end, chainStart_);
    if (digitRun_ >= 5 && want(kFrShape) && frShape(text_, i)) sink_.feature(kFrShape, end, end);
    if (digitRun_ == 2 && i >= 3 && isLetter(text_[i - 2]) && isLetter(text_[i - 3]) &&
        mayLead(text_, i - 3) && want(kIbanStart)) {
      sink_.feature(kIbanStart, end, i - 3);
    }
    if (want(kIsinTail) && isinTail(text_, i)) sink_.feature(kIsinTail, end, end);
    if (want(kCusipShape) && cusipShape(text_, i)) sink_.feature(kCusipShape, end, end);
  }

  char const* const text_;
  uint32_t const length_;
  unsigned int const wanted_;
  FeatureSink& sink_;
  bool haveDigit_ = false;
  uint32_t lastDigit_ = 0;   // the last digit seen
  uint32_t chain_ = 0;       // digits in the chain that ends there
  uint32_t chainStart_ = 0;  // where that chain's first digit is
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

// Reach = the leading context (kShort) plus the most bytes of the identifier
// up to and including the character the feature is found at, with every
// separator short (kShort). Each row says which characters those are.
//
// Lead, for the chains: the identifier's digits up to the feature are all
// in the chain (its separators all join chains), so an identifier that
// begins with a digit begins in the chain, and its leading context starts
// at most one byte before the chain (a blank run or full stop after a digit
// joins the chain too). An identifier that begins with letters begins at
// most those letters and a separator before the chain, its context a short
// run before that.
constexpr uint32_t kDigitLead = 1;
std::vector<ExpressionFeatures> buildTable() {
  constexpr uint32_t S = kShort;
  std::vector<ExpressionFeatures> table = {
      // 3-3-3: the ninth digit, after two separators.
      {cansin_expr.get(), 1, {{kChain9, S + 9 + 2 * S, kDigitLead}}},
      // 3-2-4, never unseparated: the ninth digit, after two separators.
      {usssn_expr.get(), 1, {{kChain9, S + 9 + 2 * S, kDigitLead}}},
      // 4-4-1: the ninth digit, after two separators.
      {aba_expr.get(), 1, {{kChain9, S + 9 + 2 * S, kDigitLead}}},
      // 3-2-4: the ninth digit, after two separators.
      {itin_expr.get(), 1, {{kChain9, S + 9 + 2 * S, kDigitLead}}},
      // 3-3-4: the ninth digit, after two separators.
      {uknhs_expr.get(), 1, {{kChain9, S + 9 + 2 * S, kDigitLead}}},
      // 2-7: the ninth digit, after one separator.
      {usein_expr.get(), 1, {{kChain9, S + 9 + S, kDigitLead}}},
      // 2, separator, month, optional run, 8: the ninth digit, after two.
      {frcni_expr.get(), 1, {{kChain9, S + 9 + 2 * S, kDigitLead}}},
      // 1, 2, 2, then 2+3 or 3+2, 3, 2 with a separator or optional run
      // between each: the ninth digit comes after at most four of them.
      {insee_expr.get(), 1, {{kChain9, S + 9 + 4 * S, kDigitLead}}},
      // Nine digits.
      {ukpspt_expr.get(), 1, {{kChain9, S + 9, kDigitLead}}},
      // Nine digits, or a letter and seven: the sixth digit, at most 7 in.
      {uspspt_expr.get(), 1, {{kChain6, S + 7, 1 + S}}},
      // Two letters, separator, six digits: the sixth of those.
      {usdea_expr.get(), 1, {{kChain6, S + 2 + S + 6, 2 + S + S}}},
      // Two letters and three pairs of digits, separated: the last digit.
      {ukni_expr.get(), 1, {{kChain6, S + 2 + S + 2 + S + 2 + S + 2, 2 + S + S}}},
      // 2 digits, 2 letters, 5 digits, separated: the last digit.
      {frpspt_expr.get(), 1, {{kFrShape, S + 2 + S + 2 + S + 5, kNoFeatureLead}}},
      // The whole identifier, ending with its digit.
      {cusip_expr.get(), 1, {{kCusipShape, S + 3 + 3 + S + 2 + S + 1, kNoFeatureLead}}},
      // No leading context; the whole identifier, ending with its digit.
      {isin_expr.get(), 1, {{kIsinTail, 2 + S + 9 + S + 1, kNoFeatureLead}}},
      // Two letters and two digits open every identifier, after the
      // leading context.
      {iban_expr.get(), 1, {{kIbanStart, S + 4, kNoFeatureLead}}},
      // Ten of the passport characters.
      {depspt_expr.get(), 1, {{kDeRun, S + 10, kNoFeatureLead}}},
  };
  // 4-4-4-4: the fourteenth digit, after three separators; 4-6-5 and 4-6-4:
  // after two.
  uint32_t const fourBlocks = S + 14 + 3 * S, threeBlocks = S + 14 + 2 * S;
  uint32_t const cardReach[9] = {fourBlocks, fourBlocks,  threeBlocks, threeBlocks, fourBlocks,
                                 threeBlocks, threeBlocks, fourBlocks, fourBlocks};
  for (int i = 0; i < 9; ++i) table.push_back({cc_expr[i].get(), 1, {{kChain14, cardReach[i], kDigitLead}}});
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
