// The redaction loop (message_redaction.h): scan, mask, rewrite, scan again.
#include "host/message_redaction.h"

#include <climits>
#include <cstring>
#include <utility>

#include "host/message_rewriter.h"
#include "host/mime_reader.h"
#include "host/value_mask.h"
#include "vessamund/dictionary_item.h"

namespace vmund {
namespace {

// Each round can uncover values the one before hid; a few are plenty.
constexpr int kMaxRounds = 4;
// Findings one round records; more are left for the next round.
constexpr size_t kFindingsPerRound = 1 << 16;

// The identifier findings of `bytes`, or an error.
std::string identifiersIn(std::string const& bytes, Vessamund::DictionaryScannerImpl& scanner,
                          AttachmentExtractor const* extractor, std::vector<MessageFinding>& out) {
  ReadOptions options;
  options.extractor = extractor;
  ReadResult read = readMessages(bytes, "message", options);
  if (!read.error.empty()) return read.error;
  if (read.messages.size() != 1)
    return "the input holds " + std::to_string(read.messages.size()) +
           " messages; redact one message at a time";
  MessageArea& area = read.messages.front().area;
  Vessamund::FindingList list(kFindingsPerRound);
  {
    Vessamund::FindingScope asking(list);
    std::string matchLog, scoreList;
    scanner.scan(&area, ULONG_MAX, nullptr, matchLog, scoreList);
  }
  std::vector<MessageFinding> all;
  describeFindings(list, area, all);
  for (MessageFinding& f : all)
    if (f.identifier()) out.push_back(std::move(f));
  return std::string();
}

}  // namespace

Vessamund::Ref<Vessamund::DictionaryScannerImpl> identifierScanner() {
  auto* scanner = new Vessamund::ProfileDictionaryScanner("identifiers");
  Vessamund::Ref<Vessamund::DictionaryScannerImpl> handle(scanner);
  for (uint16_t code = 256; code <= 273; ++code) {
    __vmund_dictionary_item record;
    std::memset(&record, 0, sizeof record);
    record.pattern_type = code;
    record.pattern_weight = 1;
    record.pattern_scan_area = 0xFF;
    record.pattern_status = 1;
    scanner->add_pattern(&record);
  }
  return handle;
}

Redaction redactMessage(std::string const& bytes, Vessamund::DictionaryScannerImpl& scanner,
                        AttachmentExtractor const* extractor) {
  Redaction r;
  std::string current = bytes;
  std::vector<MessageFinding> found;
  r.error = identifiersIn(current, scanner, extractor, found);
  if (!r.error.empty()) return r;
  r.masked = found;
  std::vector<MessageFinding> uncovered;  // found only in later rounds
  for (int round = 0; round < kMaxRounds && !found.empty(); ++round) {
    std::vector<std::pair<std::string, std::string>> replacements;
    for (MessageFinding const& f : found) {
      bool seen = false;
      for (auto const& p : replacements) seen = seen || p.first == f.value;
      if (!seen) replacements.emplace_back(f.value, maskValue(f.value, f.patternType));
    }
    RewriteResult rewritten = rewriteMessage(current, replacements);
    if (!rewritten.error.empty()) {
      r.error = rewritten.error;
      return r;
    }
    if (rewritten.changedParts == 0) break;  // what is left cannot be reached
    current = std::move(rewritten.output);
    found.clear();
    r.error = identifiersIn(current, scanner, extractor, found);
    if (!r.error.empty()) return r;
    uncovered.insert(uncovered.end(), found.begin(), found.end());
  }
  // What the last scan still finds, in the same part, was not masked.
  auto left = [&found](MessageFinding const& f) {
    for (MessageFinding const& g : found)
      if (g.value == f.value && g.label == f.label) return true;
    return false;
  };
  std::vector<MessageFinding> masked;
  for (MessageFinding& f : r.masked)
    if (!left(f)) masked.push_back(std::move(f));
  for (MessageFinding& f : uncovered)
    if (!left(f)) masked.push_back(std::move(f));
  r.masked = std::move(masked);
  r.remaining = std::move(found);
  r.output = std::move(current);
  return r;
}

}  // namespace vmund
