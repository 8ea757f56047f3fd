// Redaction on any input: it must give an error or a message, never crash
// or hang, and a message it reports as fully masked must read as mail again
// and hold no identifier a scan of it finds.
//
// Input: the bytes of one message.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "host/message_redaction.h"
#include "host/mime_reader.h"

namespace {

[[noreturn]] void fail(char const* what) {
  std::fprintf(stderr, "redact: %s\n", what);
  __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  static Vessamund::Ref<Vessamund::DictionaryScannerImpl> const scanner =
      vmund::identifierScanner();
  std::string const bytes(reinterpret_cast<char const*>(data), size);
  vmund::Redaction r = vmund::redactMessage(bytes, *scanner.get());
  if (r.error.empty() == r.output.empty()) fail("neither output nor an error, or both");
  if (!r.error.empty() || !r.remaining.empty()) return 0;
  vmund::ReadResult again = vmund::readMessages(r.output, "redacted");
  if (again.messages.size() != 1) return 0;  // the input was not quite mail either
  std::string matchLog, scoreList;
  if (scanner->scan(&again.messages[0].area, ULONG_MAX, nullptr, matchLog, scoreList) != 0)
    fail("a message reported as masked still holds an identifier");
  return 0;
}
