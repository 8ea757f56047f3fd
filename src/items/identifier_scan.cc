// The identifier detectors' scan loop (see identifier_scan.h); the detectors
// themselves are in predefined_items.cc.
#include "items/identifier_scan.h"

#include <cstdint>
#include <vector>

#include "items/finding_hook.h"
#include "items/item_scan.h"
#include "items/predefined_patterns.h"

namespace Vessamund {
namespace internal {

namespace {

// Backtracking bound handed to the engine per search position. The
// built-in expressions are anchored on short literal contexts and never
// need more.
constexpr int kMatchLimit = 6000;

// Bit of a part's flags asking the card, SSN and SIN detectors to reject a
// number that spans a line break.
constexpr uint16_t kNoLineBreakFlag = 16;

// Appends `r` to the sorted, disjoint list `out`, joining it with the last
// range when they touch. REQUIRES: r.first >= out.back().first.
void addRange(std::vector<StartRange>& out, StartRange r) {
  if (!out.empty() && uint64_t{out.back().last} + 1 >= r.first) {
    if (r.last > out.back().last) out.back().last = r.last;
    return;
  }
  out.push_back(r);
}

// The start ranges of one expression in one part, joined from its features
// and the long blank runs. `state` kNone: no candidate can start in the part;
// kUnknown: search the whole part.
struct Joined {
  PartCandidates::State state;
  std::vector<StartRange> const* ranges;
};

Joined joinRanges(PartCandidates const* own, int ownCount, PartCandidates const& longRuns,
                  std::vector<StartRange>& out) {
  if (ownCount == 0) return {PartCandidates::kUnknown, nullptr};
  bool any = false;
  for (int i = 0; i < ownCount; ++i) {
    if (own[i].state == PartCandidates::kUnknown || own[i].wholePart) {
      return {PartCandidates::kUnknown, nullptr};
    }
    any = any || own[i].state == PartCandidates::kFound;
  }
  // Every candidate ends after the end of some feature match inside it, so
  // without one there is no candidate, wherever its search would go.
  if (!any) return {PartCandidates::kNone, nullptr};
  if (longRuns.state == PartCandidates::kUnknown || longRuns.wholePart) {
    return {PartCandidates::kUnknown, nullptr};
  }
  uint32_t lastOwn = 0;
  for (int i = 0; i < ownCount; ++i) {
    if (own[i].rangeCount != 0 && own[i].ranges[own[i].rangeCount - 1].last > lastOwn) {
      lastOwn = own[i].ranges[own[i].rangeCount - 1].last;
    }
  }
  // A merge of up to three sorted lists. Long-run ranges after the last
  // feature range can be left out: no candidate starts there (every
  // candidate starts at or before its own feature match's end), and a
  // search that fails there ends the loop as running out of candidates does.
  out.clear();
  uint32_t next[IdentifierHints::kMaxFeatures + 1] = {};
  PartCandidates const* lists[IdentifierHints::kMaxFeatures + 1];
  int n = 0;
  for (int i = 0; i < ownCount; ++i) lists[n++] = &own[i];
  if (longRuns.state == PartCandidates::kFound) lists[n++] = &longRuns;
  for (;;) {
    int best = -1;
    for (int i = 0; i < n; ++i) {
      if (next[i] < lists[i]->rangeCount &&
          (best < 0 || lists[i]->ranges[next[i]].first < lists[best]->ranges[next[best]].first)) {
        best = i;
      }
    }
    if (best < 0) break;
    StartRange const r = lists[best]->ranges[next[best]++];
    if (r.first > lastOwn) break;
    addRange(out, r);
  }
  return {PartCandidates::kFound, &out};
}

}  // namespace

unsigned long scanIdentifiers(DictionaryItemImpl const& item, DScanAreaImpl* area,
                              unsigned long budget, Regex::Expression const* expressions,
                              unsigned int count, Regex::Re_Validator& validator,
                              Regex::Luhn* lineRule, IdentifierHints const* hints) {
  // One cursor per expression and feature, and one for the long blank runs;
  // a detector runs at most nine expressions.
  constexpr unsigned int kMaxExpressions = 9;
  CandidateTable::Cursor cursors[kMaxExpressions][IdentifierHints::kMaxFeatures];
  CandidateTable::Cursor longRunCursor;
  if (hints != nullptr) {
    for (unsigned int i = 0; i < count && i < kMaxExpressions; ++i) {
      for (int f = 0; f < hints->features[i].count; ++f) {
        cursors[i][f] = hints->table->cursor(hints->features[i].signal[f]);
      }
    }
    longRunCursor = hints->table->cursor(hints->longBlankRun);
  }
  // The identifier itself, without the context characters around it, is
  // group 4 of the built-in expressions' frame; the ISIN expression has a
  // layout of its own with the identifier first.
  int const identifierGroup = expressions == &isin_expr ? 1 : 4;
  CountedCandidates counted(validator, FindingHook::current(), identifierGroup);
  Regex::Re_Validator* const checker = counted.active();
  return scanItemPartsAt(
      item, area, budget, /*skipAfterHit=*/true,
      [&](DScanAreaPart const& part, unsigned long wanted, uint32_t ordinal) -> unsigned long {
        if (lineRule != nullptr) lineRule->allow_newline = (part.flags & kNoLineBreakFlag) == 0;
        PartCandidates longRuns{};
        if (hints != nullptr) longRuns = longRunCursor.at(ordinal);
        unsigned long found = 0;
        // found < wanted also keeps the engine's precondition: at least one wanted.
        for (unsigned int i = 0; i < count && found < wanted; ++i) {
          Regex::ExpressionImpl const& e = *expressions[i].get();
          if (hints == nullptr || i >= kMaxExpressions) {
            found += e.matches(part.text, part.length, wanted - found, 0, checker,
                               kMatchLimit, nullptr);
            continue;
          }
          PartCandidates own[IdentifierHints::kMaxFeatures];
          int const ownCount = hints->features[i].count;
          for (int f = 0; f < ownCount; ++f) own[f] = cursors[i][f].at(ordinal);
          Joined const joined =
              joinRanges(own, ownCount, longRuns, hints->table->joinBuffer());
          if (joined.state == PartCandidates::kNone) continue;
          if (joined.state == PartCandidates::kUnknown) {
            found += e.matches(part.text, part.length, wanted - found, 0, checker,
                               kMatchLimit, nullptr);
          } else {
            found += Regex::matchesIn(e, part.text, part.length, wanted - found,
                                      joined.ranges->data(), joined.ranges->size(), checker,
                                      kMatchLimit);
          }
        }
        return found;
      });
}

}  // namespace internal
}  // namespace Vessamund
