// The regular-expression engine: compiled expressions that run a validator on
// every candidate match. Backed by PCRE2 with its JIT compiler; nothing of
// PCRE2 shows through this header.
#ifndef VESSAMUND_REGEX_H_
#define VESSAMUND_REGEX_H_

#include <cstddef>
#include <string>

#include "vessamund/VmundRefcounted"

namespace Vessamund {
namespace Regex {

class Re_Validator;

// Compile options understood by pattern() and Expression (PCRE's bit values).
constexpr unsigned int kCaseless = 0x1;
constexpr unsigned int kMultiline = 0x2;   // ^ and $ at every line
constexpr unsigned int kDotAll = 0x4;      // . matches a line break
constexpr unsigned int kExtended = 0x8;    // blanks and # comments ignored
constexpr unsigned int kUtf8 = 0x800;
constexpr unsigned int kAnyNewline = 0x400000;

// One compiled expression. Compiled once, then immutable: any number of
// threads may call matches() on it at once.
//
// An expression that fails to compile (bad syntax, or too large) never
// matches: matches() returns 0 without calling the validator. compiled()
// tells the two apart and error() says why, so tools can report the pattern.
class ExpressionImpl : public RefImpl {
 public:
  ExpressionImpl();
  ~ExpressionImpl() override;
  ExpressionImpl(ExpressionImpl const&) = delete;
  ExpressionImpl& operator=(ExpressionImpl const&) = delete;

  // Compiles `text` in bare syntax, up to its first zero byte (the text may
  // carry a trailing zero byte in its length). `options`: the k* bits above.
  // With kUtf8, invalid UTF-8 in a searched text is tolerated: only its valid
  // stretches can match. The flag is accepted and ignored.
  // pattern() then returns the text up to its first zero byte. Calling it a
  // second time recompiles. Never throws for a bad pattern.
  void pattern(std::string const& text, unsigned int options, bool flag);

  // The text this expression was given (for the delimited form, with its
  // slashes and modifier): the identifier reported with every accepted match.
  // Stays at one address for the expression's life.
  std::string const& pattern() const { return text_; }

  bool compiled() const { return code_ != nullptr; }
  std::string const& error() const { return error_; }

  // Searches text[0, length) from offset 0. For each candidate calls
  // validator->check(this, text, length, resume, ovector, count) with the
  // capture offsets as int pairs (-1,-1 for groups that took no part) and
  // count = highest group that took part + 1. An accepted candidate counts.
  // The search continues at the resume offset the validator set, after
  // acceptance and rejection alike; a resume offset at or before the previous
  // candidate's start continues one character after that start, so the loop
  // always progresses. Stops after `wanted` accepted candidates or when none
  // remains, and returns the number accepted.
  //
  // `matchLimit` bounds the engine's backtracking at each position where a
  // search tries a candidate start (0 = the engine's default); a position
  // that hits it ends the loop as if no candidate remained. The unsigned int and bool* arguments are accepted and ignored.
  //
  // Allocates nothing after the first call on a thread (per-thread match data
  // and JIT stack); takes no lock; never throws.
  // REQUIRES: validator != nullptr.
  unsigned long matches(char const* text, unsigned int length, unsigned long wanted,
                        unsigned int unused, Re_Validator* validator, int matchLimit,
                        bool* unusedFlag) const;

  // Number of capture groups in the compiled expression (0 when not compiled).
  unsigned int captureCount() const { return captures_; }

 private:
  friend class Expression;
  friend struct ExpressionSearch;  // the match loop, beside the engine
  void compileDelimited(std::string const& text, unsigned int options);
  void compile(char const* body, std::size_t length, unsigned int options);
  void release();

  std::string text_;
  std::string error_;
  void* code_;  // pcre2_code*, null when not compiled
  unsigned int captures_;
  bool utf_;    // compiled in UTF-8 mode: resume on character boundaries
};

// Handle to an expression written in delimited form: "/body/flags", where the
// flag letters i (caseless), m (multiline: ^ and $ at every line) and s (dot
// matches newline) are understood and others ignored. Compiles at
// construction; a text that is not delimited or does not compile gives an
// expression that never matches (see ExpressionImpl). The flag is ignored.
class Expression : public Ref<ExpressionImpl> {
 public:
  Expression(std::string const& text, unsigned int options, bool flag);
};

}  // namespace Regex
}  // namespace Vessamund

#endif  // VESSAMUND_REGEX_H_
