// The reader of vmund-extract's result stream, which the scanning process
// takes from a child that read hostile input: any bytes give complete
// records only, in valid UTF-8, and a stream written by the writer reads
// back exactly.
//
// Input: a stream; also, cut in two at its first NUL, a label and a text
// to write and read back.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "extract_fuzz_check.h"
#include "host/extract_wire.h"

namespace {

struct Sink : vmund::ExtractSink {
  std::vector<std::pair<std::string, std::string>> got;
  void text(std::string const& label, std::string text) override {
    // The stream carries the child's text as it is: only its encoding is
    // the reader's to repair.
    if (vmund::validUtf8(label) != label || vmund::validUtf8(text) != text)
      vmund_fuzz::fail("wire", "text not valid UTF-8");
    got.emplace_back(label, std::move(text));
  }
  void skipped(std::string const& label, std::string const& reason, bool) override {
    if (vmund::validUtf8(label) != label || vmund::validUtf8(reason) != reason)
      vmund_fuzz::fail("wire", "skip not valid UTF-8");
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  std::string const bytes(reinterpret_cast<char const*>(data), size);
  Sink any;
  vmund::readWire(bytes, any);
  size_t nul = bytes.find('\0');
  std::string const label = vmund::validUtf8(bytes.substr(0, nul));
  std::string const text = nul == std::string::npos ? "" : vmund::validUtf8(bytes.substr(nul + 1));
  Sink back;
  vmund::WireSummary s =
      vmund::readWire(vmund::wireText(label, text) + vmund::wireUsed(1, 2) + vmund::wireEnd(), back);
  if (!s.ended || !s.error.empty() || back.got.size() != 1 || back.got[0].first != label ||
      back.got[0].second != text || s.entries != 1 || s.bytes != 2)
    vmund_fuzz::fail("wire", "a written stream does not read back");
  return 0;
}
