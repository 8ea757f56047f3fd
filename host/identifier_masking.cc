// Masking identifiers in text shown to a person (identifier_masking.h).
#include "host/identifier_masking.h"

#include <vector>

#include "host/message_area.h"
#include "host/message_findings.h"
#include "host/message_redaction.h"

namespace vmund {

std::string maskIdentifiers(std::string const& text) {
  if (text.empty()) return text;
  static Vessamund::Ref<Vessamund::DictionaryScannerImpl> const scanner = identifierScanner();
  MessageArea area;
  area.addPart(kBody, text, "text");
  std::string matchLog, scoreList;
  std::vector<MessageFinding> found;
  scanMessage(*scanner.get(), area, ~0ul, nullptr, matchLog, scoreList, &found, nullptr,
              /*positions=*/false);
  std::string out = text;
  for (MessageFinding const& f : found) {
    if (f.value.empty()) continue;
    std::string const masked = shownValue(f);
    for (size_t at = out.find(f.value); at != std::string::npos;
         at = out.find(f.value, at + masked.size()))
      out.replace(at, f.value.size(), masked);
  }
  return out;
}

}  // namespace vmund
