// The message host on any input, then a scan of every message it read with
// a small policy of words, wildcards and detectors (no administrator
// regexes: they would set the pace). The reader (as vmund and the milter use
// it: what is not mail is read whole as text) must give an error or messages,
// never both, and messages for any input that is not empty; Message-ID, From
// and Subject are one line of UTF-8; parts hold only the kinds it documents, valid
// UTF-8 with LF line ends and the byte count it reports; an HTML alternative
// follows a body; the walk a scan makes gives exactly the parts,
// zero-terminated; a scan must end. Seeded with the shared real-mail corpus
// (and run over each of those messages whole first), this also holds every
// real message to these rules.
//
// Input: the bytes of one message or mbox file.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <glib.h>

#include "host/mime_reader.h"
#include "support/mixed_policy.h"

namespace {

[[noreturn]] void fail(char const* what) {
  std::fprintf(stderr, "mime: %s\n", what);
  __builtin_trap();
}

Vessamund::Ref<Vessamund::DictionaryScannerImpl> const& policy() {
  static Vessamund::Ref<Vessamund::DictionaryScannerImpl> const scanner = [] {
    std::vector<vmund_test::PolicyRow> rows = vmund_test::policyWords();
    for (auto const& r : vmund_test::policyWildcards()) rows.push_back(r);
    for (uint16_t code : {257, 258, 269}) rows.push_back({code, "", 5, 15, 0});
    auto* profile = vmund_test::makeScanner(rows, "MIME");
    profile->prepare();
    return Vessamund::Ref<Vessamund::DictionaryScannerImpl>(profile);
  }();
  return scanner;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  std::string const bytes(reinterpret_cast<char const*>(data), size);
  vmund::ReadResult got = vmund::readMailOrText(bytes, "fuzz");
  if (got.messages.empty() == got.error.empty()) fail("neither messages nor an error, or both");
  if (got.messages.empty() != bytes.empty()) fail("input that is not empty gave no message");
  for (vmund::Message& m : got.messages) {
    for (std::string const* header : {&m.messageId, &m.from, &m.subject})
      if (header->find_first_of("\r\n") != std::string::npos ||
          !g_utf8_validate(header->data(), static_cast<gssize>(header->size()), nullptr))
        fail("Message-ID, From or Subject is not one line of UTF-8");
    uint64_t total = 0;
    for (size_t i = 0; i < m.area.partCount(); ++i) {
      uint16_t const kind = m.area.kind(i);
      std::string const& text = m.area.text(i);
      if (kind != vmund::kBody && kind != vmund::kAttachment && kind != vmund::kHeader &&
          kind != vmund::kHtmlAlternative)
        fail("part of an unknown kind");
      if (kind == vmund::kHtmlAlternative && m.area.kind(i - 1) != vmund::kBody)
        fail("HTML alternative without a body before it");
      if (text.find('\r') != std::string::npos) fail("CR left in a part");
      if (!g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr))
        fail("part is not UTF-8");
      total += text.size();
    }
    if (total != m.area.textBytes()) fail("byte count differs from the parts");
    size_t n = 0;
    for (Vessamund::DScanAreaPart* p = m.area.first(); p; p = m.area.next(), ++n) {
      if (n >= m.area.partCount() || p->length != m.area.text(n).size() || p->text[p->length])
        fail("the walk differs from the parts");
    }
    if (n != m.area.partCount()) fail("the walk ends early");
    std::string matches, scores;
    policy().get()->scan(&m.area, ULONG_MAX, nullptr, matches, scores);
  }
  return 0;
}
