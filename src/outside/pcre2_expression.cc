// The regular-expression engine on PCRE2 (8-bit, JIT). Compiled expressions
// are immutable; matching state (match data, JIT stack, match context) lives
// in per-thread scratch that is created on a thread's first match and reused,
// so the steady-state match loop allocates nothing and shares nothing.
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstring>
#include <vector>

#include "outside/ranged_search.h"
#include "vessamund/regex.h"
#include "vessamund/validators.h"

namespace Vessamund {
namespace Regex {

namespace {

// Per-thread matching scratch. Grown only when an expression with more
// capture groups than any before on this thread is matched.
class ThreadScratch {
 public:
  ThreadScratch() {
    context_ = pcre2_match_context_create(nullptr);
    jitStack_ = pcre2_jit_stack_create(32 * 1024, 1024 * 1024, nullptr);
    if (context_ != nullptr && jitStack_ != nullptr)
      pcre2_jit_stack_assign(context_, nullptr, jitStack_);
  }
  ~ThreadScratch() {
    if (data_ != nullptr) pcre2_match_data_free(data_);
    if (jitStack_ != nullptr) pcre2_jit_stack_free(jitStack_);
    if (context_ != nullptr) pcre2_match_context_free(context_);
  }
  ThreadScratch(ThreadScratch const&) = delete;
  ThreadScratch& operator=(ThreadScratch const&) = delete;

  // Ready for an expression with `pairs` capture pairs (group 0 included);
  // false when memory could not be had.
  bool reserve(uint32_t pairs) {
    if (context_ == nullptr) return false;
    if (pairs > pairs_) {
      if (data_ != nullptr) pcre2_match_data_free(data_);
      data_ = pcre2_match_data_create(pairs, nullptr);
      pairs_ = data_ != nullptr ? pairs : 0;
      offsets_.assign(2u * pairs_, -1);
    }
    return data_ != nullptr;
  }

  pcre2_match_context* context() { return context_; }
  pcre2_match_data* data() { return data_; }
  int* offsets() { return offsets_.data(); }

 private:
  pcre2_match_context* context_ = nullptr;
  pcre2_jit_stack* jitStack_ = nullptr;
  pcre2_match_data* data_ = nullptr;
  uint32_t pairs_ = 0;
  std::vector<int> offsets_;  // the validator's view: int pairs
};

ThreadScratch& scratch() {
  thread_local ThreadScratch s;
  return s;
}

}  // namespace

ExpressionImpl::ExpressionImpl() : code_(nullptr), captures_(0), utf_(false) {}

ExpressionImpl::~ExpressionImpl() { release(); }

void ExpressionImpl::release() {
  if (code_ != nullptr) pcre2_code_free(static_cast<pcre2_code*>(code_));
  code_ = nullptr;
  captures_ = 0;
}

void ExpressionImpl::pattern(std::string const& text, unsigned int options, bool /*flag*/) {
  // The text may carry its terminating zero byte in its length; the pattern
  // ends at the first zero byte.
  text_.assign(text.c_str());
  compile(text_.data(), text_.size(), options);
}

void ExpressionImpl::compileDelimited(std::string const& text, unsigned int options) {
  text_ = text;
  std::size_t close = text.rfind('/');
  if (text.empty() || text[0] != '/' || close == 0 || close == std::string::npos) {
    release();
    error_ = "not a delimited expression (/body/flags)";
    return;
  }
  for (std::size_t i = close + 1; i < text.size(); ++i) {
    switch (text[i]) {
      case 'i': options |= kCaseless; break;
      case 'm': options |= kMultiline; break;
      case 's': options |= kDotAll; break;
      case 'x': options |= kExtended; break;
      default: break;                     // other modifiers are not ours
    }
  }
  compile(text.data() + 1, close - 1, options);
}

void ExpressionImpl::compile(char const* body, std::size_t length, unsigned int options) {
  release();
  error_.clear();
  // Every expression can be searched range by range (matchesIn); the flag
  // changes nothing for a search without an offset limit.
  uint32_t flags = PCRE2_USE_OFFSET_LIMIT;
  if (options & kCaseless) flags |= PCRE2_CASELESS;
  if (options & kMultiline) flags |= PCRE2_MULTILINE;
  if (options & kDotAll) flags |= PCRE2_DOTALL;
  if (options & kExtended) flags |= PCRE2_EXTENDED;
  // Mail is not trusted to be valid UTF-8: search its valid stretches only,
  // never fail the whole part on one bad byte.
  if (options & kUtf8) flags |= PCRE2_UTF | PCRE2_MATCH_INVALID_UTF;

  pcre2_compile_context* cc = pcre2_compile_context_create(nullptr);
  if (cc == nullptr) {
    error_ = "out of memory";
    return;
  }
  pcre2_set_newline(cc, (options & kAnyNewline) ? PCRE2_NEWLINE_ANY : PCRE2_NEWLINE_LF);
  int errorCode = 0;
  PCRE2_SIZE errorOffset = 0;
  pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(body), length, flags,
                                   &errorCode, &errorOffset, cc);
  pcre2_compile_context_free(cc);
  if (code == nullptr) {
    PCRE2_UCHAR message[256];
    pcre2_get_error_message(errorCode, message, sizeof message);
    error_ = std::string(reinterpret_cast<char*>(message)) + " at offset " +
             std::to_string(errorOffset);
    return;
  }
  // Without JIT (unsupported platform, or too large) the interpreter runs the
  // same expression with the same results, only slower.
  pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
  uint32_t captures = 0;
  pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &captures);
  utf_ = (flags & PCRE2_UTF) != 0;
  captures_ = captures;
  code_ = code;
}

namespace {

// Where the loop of matches() and matchesIn() finds its next candidate: the
// first match starting at or after `offset`, searched everywhere or, with
// ranges, only inside them. Returns the engine's result code.
class CandidateSearch {
 public:
  CandidateSearch(pcre2_code const* code, char const* text, unsigned int length,
                  ThreadScratch& s, StartRange const* ranges, std::size_t rangeCount)
      : code_(code),
        subject_(reinterpret_cast<PCRE2_SPTR>(text)),
        length_(length),
        s_(s),
        ranges_(ranges),
        rangeCount_(rangeCount) {}

  int next(PCRE2_SIZE offset) {
    if (ranges_ == nullptr) {
      pcre2_set_offset_limit(s_.context(), PCRE2_UNSET);
      return pcre2_match(code_, subject_, length_, offset, 0, s_.data(), s_.context());
    }
    // No candidate starts between the ranges, and no search position there
    // ends the search (the caller's promise), so the first candidate at or
    // after `offset` is the first one found in the ranges that follow it,
    // and an engine error there is the error the full search would meet.
    // The whole subject is always passed, so look-behinds and line starts
    // see the text before a range.
    for (; current_ < rangeCount_; ++current_) {
      StartRange const& r = ranges_[current_];
      if (r.last < offset) continue;
      PCRE2_SIZE const from = r.first > offset ? r.first : offset;
      if (from > length_) break;
      pcre2_set_offset_limit(s_.context(), r.last);
      int rc = pcre2_match(code_, subject_, length_, from, 0, s_.data(), s_.context());
      // The range holds the next candidate, or the search failed in it.
      if (rc != PCRE2_ERROR_NOMATCH) return rc;
    }
    return PCRE2_ERROR_NOMATCH;
  }

 private:
  pcre2_code const* code_;
  PCRE2_SPTR subject_;
  PCRE2_SIZE length_;
  ThreadScratch& s_;
  StartRange const* ranges_;  // null: search everywhere
  std::size_t rangeCount_;
  std::size_t current_ = 0;  // ranges before it end before the search offset
};

}  // namespace

// The match loop of matches() and matchesIn(), searching everywhere (null
// ranges) or only the ranges.
struct ExpressionSearch {
  static unsigned long run(ExpressionImpl const& e, char const* text, unsigned int length,
                           unsigned long wanted, StartRange const* ranges,
                           std::size_t rangeCount, Re_Validator* validator, int matchLimit);
  static bool utf(ExpressionImpl const& e) { return e.utf_; }
};

unsigned long ExpressionImpl::matches(char const* text, unsigned int length, unsigned long wanted,
                                      unsigned int /*unused*/, Re_Validator* validator,
                                      int matchLimit, bool* /*unusedFlag*/) const {
  return ExpressionSearch::run(*this, text, length, wanted, nullptr, 0, validator, matchLimit);
}

unsigned long matchesIn(ExpressionImpl const& expression, char const* text, unsigned int length,
                        unsigned long wanted, StartRange const* ranges, std::size_t rangeCount,
                        Re_Validator* validator, int matchLimit) {
  // A search started inside a UTF-8 sequence would see other characters
  // than the full search; such expressions search everything.
  if (ExpressionSearch::utf(expression)) {
    return ExpressionSearch::run(expression, text, length, wanted, nullptr, 0, validator,
                                 matchLimit);
  }
  static StartRange const kNone{1, 0};
  // rangeCount 0 means nowhere, which the null pointer must not turn into
  // everywhere.
  return ExpressionSearch::run(expression, text, length, wanted,
                               rangeCount != 0 ? ranges : &kNone, rangeCount, validator,
                               matchLimit);
}

unsigned long ExpressionSearch::run(ExpressionImpl const& e, char const* text, unsigned int length,
                                   unsigned long wanted, StartRange const* ranges,
                                   std::size_t rangeCount, Re_Validator* validator,
                                   int matchLimit) {
  if (e.code_ == nullptr || text == nullptr || validator == nullptr || wanted == 0) return 0;
  ThreadScratch& s = scratch();
  uint32_t const pairs = e.captures_ + 1;
  if (!s.reserve(pairs)) return 0;
  pcre2_set_match_limit(s.context(), matchLimit > 0 ? static_cast<uint32_t>(matchLimit)
                                                    : 10000000u);

  CandidateSearch candidates(static_cast<pcre2_code const*>(e.code_), text, length, s, ranges,
                             rangeCount);
  PCRE2_SIZE const* ov = pcre2_get_ovector_pointer(s.data());
  int* offsets = s.offsets();
  unsigned long accepted = 0;
  PCRE2_SIZE offset = 0;
  while (accepted < wanted && offset <= length) {
    int rc = candidates.next(offset);
    // No match, the match limit, or any other engine error ends the search:
    // a part the engine cannot finish is a part with no further candidates.
    if (rc <= 0) break;
    for (int i = 0; i < rc; ++i) {
      bool unset = ov[2 * i] == PCRE2_UNSET;
      offsets[2 * i] = unset ? -1 : static_cast<int>(ov[2 * i]);
      offsets[2 * i + 1] = unset ? -1 : static_cast<int>(ov[2 * i + 1]);
    }
    PCRE2_SIZE const start = ov[0];
    unsigned int resume = static_cast<unsigned int>(ov[1]);
    if (validator->check(&e, text, length, resume, offsets, rc)) ++accepted;
    // Every candidate must move the search forward, whatever the validator
    // asked for: at least one character past this candidate's start.
    PCRE2_SIZE next = resume;
    if (next <= start) {
      next = start + 1;
      if (e.utf_) {
        while (next < length && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80) ++next;
      }
    }
    offset = next;
  }
  return accepted;
}

Expression::Expression(std::string const& text, unsigned int options, bool /*flag*/)
    : Ref<ExpressionImpl>(new ExpressionImpl) {
  operator->()->compileDelimited(text, options);
}

}  // namespace Regex
}  // namespace Vessamund
