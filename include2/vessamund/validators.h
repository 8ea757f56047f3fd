// Validators: the engine calls one for every candidate match; it accepts or
// rejects the candidate, says where the search goes on, and reports accepted
// candidates to the scan's match logger.
//
// Validators live on the stack of one item scan and keep no state between
// candidates; they never allocate except through the logger. None throws.
#ifndef VESSAMUND_VALIDATORS_H_
#define VESSAMUND_VALIDATORS_H_

#include "vessamund/match_logger.h"
#include "vessamund/regex.h"

namespace Vessamund {
namespace Regex {

// The engine's per-candidate callback. `ovector` holds `count` pairs of
// start/end offsets into `text` (pair 0 the whole match; -1,-1 for a group
// that took no part); `count` is the highest group that took part plus one.
// check() must set `resume`, the offset where the search continues, and
// returns true to count the candidate. Never destroyed through this type.
class Re_Validator {
 public:
  virtual bool check(ExpressionImpl const* expr, char const* text, unsigned int length,
                     unsigned int& resume, int* ovector, int count) = 0;

 protected:
  ~Re_Validator() = default;
};

// Base of every validator: check() asks do_check() and, on acceptance, logs
// the whole match (group 0) under the expression's pattern text. The default
// do_check() accepts everything and resumes at the end of the match; the
// regular-expression item uses it as is.
class Re_Logger : public Re_Validator {
 public:
  // `logger` is borrowed and must outlive the validator.
  explicit Re_Logger(DictionaryMatchLogger& logger) : logger(logger) {}
  virtual ~Re_Logger() {}

  bool check(ExpressionImpl const* expr, char const* text, unsigned int length,
             unsigned int& resume, int* ovector, int count) override;
  virtual bool do_check(ExpressionImpl const* expr, char const* text, unsigned int length,
                        unsigned int& resume, int* ovector, int count);

 protected:
  DictionaryMatchLogger& logger;
};

// Card numbers, US social security numbers and Canadian social insurance
// numbers: boundary check, digit grouping by type, and (except for USSSN) the
// Luhn sum. Resumes at the identifier's last character on every path.
class Luhn : public Re_Logger {
 public:
  enum ltype { CanSIN = 0, USSSN = 1, CreditCard = 2 };
  Luhn(DictionaryMatchLogger& logger, ltype type)
      : Re_Logger(logger), luhn_type(type), allow_newline(true) {}

  bool do_check(ExpressionImpl const* expr, char const* text, unsigned int length,
                unsigned int& resume, int* ovector, int count) override;

  ltype luhn_type;
  // Passed to the digit-group check; the owning item sets it before each part
  // from bit 4 of the part's flags (false rejects numbers spanning a line).
  bool allow_newline;
};

// The identifier checksum validators. Each applies the boundary check (isin
// a rule of its own), then its identifier's rule; see validators/*.cc.
#define VMUND_DECLARE_VALIDATOR(name)                                                      \
  class name : public Re_Logger {                                                          \
   public:                                                                                 \
    explicit name(DictionaryMatchLogger& logger) : Re_Logger(logger) {}                    \
    bool do_check(ExpressionImpl const* expr, char const* text, unsigned int length,       \
                  unsigned int& resume, int* ovector, int count) override;                 \
  }

VMUND_DECLARE_VALIDATOR(isin);      // ISO 6166 check digit over letter-expanded digits
VMUND_DECLARE_VALIDATOR(cusip);     // CUSIP check digit
VMUND_DECLARE_VALIDATOR(aba);       // ABA routing number: grouping 4-4-1, weights 3,7,1
VMUND_DECLARE_VALIDATOR(itin);      // grouping 3-2-4 only
VMUND_DECLARE_VALIDATOR(iban);      // ISO 13616 mod 97 (no per-country length check)
VMUND_DECLARE_VALIDATOR(insee);     // key = 97 - N mod 97
VMUND_DECLARE_VALIDATOR(frcni);     // grouping 2-2-8 only
VMUND_DECLARE_VALIDATOR(usdea);     // DEA check digit, weights 2,1
VMUND_DECLARE_VALIDATOR(usein);     // grouping 2-7 only
VMUND_DECLARE_VALIDATOR(uknhs);     // grouping 3-3-4, modulus 11
VMUND_DECLARE_VALIDATOR(passport);  // boundary check only

#undef VMUND_DECLARE_VALIDATOR

// The digit-group check: true when the digits of text[0, len) come in runs of
// exactly the lengths listed in `groups` (one decimal digit per run, "324"),
// all separated by blank runs, or all by one and the same other character
// (blanks beside it tolerated), or not separated at all with the right total.
// With allow_newline false a line feed or carriage return fails the check.
// Reads exactly text[0, len); `groups` is zero-terminated. Allocates nothing.
bool DigitalPatternSPCheck(bool allow_newline, char const* text, int len, char const* groups);

}  // namespace Regex
}  // namespace Vessamund

#endif  // VESSAMUND_VALIDATORS_H_
