// The two template readers (score files, term files) on any file content.
// Each read line gives at most one item, every item carries the template
// area and a non-zero weight, a term file's items are always capped, and a
// plain-word item's term is text of the file. The dictionary then scans the
// file's own text.
//
// Input: the file content, read once as a score file and once as a term
// file.
#include <unistd.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/scanner_view.h"
#include "support/test_area.h"
#include "vessamund/factory.h"

namespace {

constexpr unsigned short kScoreTemplate = 512;  // the first score file
constexpr unsigned short kTermTemplate = 521;   // the first term file
constexpr unsigned kTemplateArea = 11;

[[noreturn]] void fail(char const* what) {
  std::fprintf(stderr, "template: %s\n", what);
  __builtin_trap();
}

std::string const& fuzzFile() {
  static std::string const path = "/tmp/vmund-template-fuzz." + std::to_string(getpid());
  return path;
}

// Pieces the readers see: lines, and every 255 bytes of a longer one.
size_t pieces(std::string const& content) {
  size_t n = 0, run = 0;
  for (char c : content) {
    ++run;
    if (c == '\n' || run == 255) ++n, run = 0;
  }
  return n + (run > 0);
}

void check(unsigned short number, std::string const& content) {
  auto handle = Vessamund::DictionaryFactory::instance()->createDictScanner(number, "T");
  if (handle.empty()) fail("no dictionary for a readable file");
  std::vector<vmund_test::ItemView> const items = vmund_test::itemsOf(handle);
  if (items.size() > pieces(content)) fail("more items than lines");
  for (auto const& item : items) {
    // A regex item over bodies also reads the header block.
    unsigned const area = item.kind == "regex" ? item.scanArea & ~4u : item.scanArea;
    if (area != kTemplateArea) fail("item outside the template area");
    if (item.weight == 0) fail("item with weight 0");
    if (number == kTermTemplate && !item.maxLimit) fail("term without its cap");
    if (item.kind == "contain" && content.find(item.pattern) == std::string::npos)
      fail("plain-word term that is not in the file");
  }
  vmund_test::TestArea area{{content.substr(0, 4096), 1}, {content.substr(0, 512), 8}};
  std::string matches, scores;
  handle.get()->scan(&area, ULONG_MAX, nullptr, matches, scores);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  static bool const pointed = [] {
    Vessamund::predefined_dictionary_file_paths.at(kScoreTemplate - 512) = fuzzFile();
    Vessamund::predefined_dictionary_file_paths.at(kTermTemplate - 512) = fuzzFile();
    std::atexit([] { unlink(fuzzFile().c_str()); });
    return true;
  }();
  (void)pointed;
  std::string const content(reinterpret_cast<char const*>(data), size);
  FILE* f = std::fopen(fuzzFile().c_str(), "wb");
  if (f == nullptr) fail("cannot write the template file");
  std::fwrite(content.data(), 1, content.size(), f);
  std::fclose(f);
  check(kScoreTemplate, content);
  check(kTermTemplate, content);
  return 0;
}
