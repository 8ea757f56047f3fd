// Reading attachments: each format's extraction in attachment megabytes per
// second of CPU time (in process, as inside vmund-extract), the cost of the
// helper process per attachment (wall time: the child's CPU is not this
// process's), messages per second over a realistic mix (generated messages
// with binary attachments), and the cost of a message without binary
// attachments read with and without an extractor, which must be the same.
// Built where the message host and the extractor are.
#ifdef VMUND_HAVE_EXTRACT

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "host/extract/file_extractor.h"
#include "host/isolated_extractor.h"
#include "host/mime_reader.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string slurp(fs::path const& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Runs `command` into a fresh folder once per process; the folder's files by name.
std::map<std::string, std::string> generated(std::string const& what, std::string const& args) {
  std::string dir = (fs::temp_directory_path() / ("vmund-bench-" + what + "-XXXXXX")).string();
  if (!mkdtemp(dir.data())) return {};
  std::string const command = args + " '" + dir + "' > /dev/null";
  std::map<std::string, std::string> files;
  if (std::system(command.c_str()) == 0)
    for (auto const& e : fs::directory_iterator(dir)) files[e.path().filename().string()] = slurp(e.path());
  fs::remove_all(dir);
  return files;
}

std::map<std::string, std::string> const& benchFiles() {
  static auto const files = generated(
      "files", "python3 " VMUND_SOURCE_DIR "/scripts/make-attachment-fixtures --bench");
  return files;
}

std::vector<std::string> messages(bool binary) {
  auto files = generated(binary ? "mixed" : "text",
                         "python3 " VMUND_CORPUS_DIR "/make_pii_corpus.py --seed 1 --count 200" +
                             std::string(binary ? " --binary-attachments" : "") + " --out");
  std::vector<std::string> out;
  for (auto& [name, bytes] : files)
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".eml") == 0) out.push_back(bytes);
  return out;
}

class CountingSink : public vmund::ExtractSink {
 public:
  void text(std::string const&, std::string text) override { bytes += text.size(); }
  void skipped(std::string const&, std::string const&, bool) override { ++skips; }
  uint64_t bytes = 0, skips = 0;
};

void extractOne(benchmark::State& state, std::string const& file, bool isolated) {
  auto const it = benchFiles().find(file);
  if (it == benchFiles().end()) return state.SkipWithError("no bench input (python3?)");
  vmund::InProcessExtractor const inProcess;
  vmund::IsolatedExtractor const helper({});
  vmund::AttachmentExtractor const& extractor =
      isolated ? static_cast<vmund::AttachmentExtractor const&>(helper) : inProcess;
  uint64_t text = 0;
  for (auto _ : state) {
    vmund::ExtractBudget budget(extractor.limits(), Clock::time_point::max());
    CountingSink sink;
    extractor.extract(it->second, file, budget, sink);
    if (sink.skips) return state.SkipWithError("the input was not read whole");
    text = sink.bytes;
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * it->second.size()));
  state.SetLabel(std::to_string(it->second.size() / 1024) + " KiB -> " +
                 std::to_string(text / 1024) + " KiB of text");
}

void BM_ExtractFormat(benchmark::State& state, char const* file) { extractOne(state, file, false); }
BENCHMARK_CAPTURE(BM_ExtractFormat, docx, "bench.docx");
BENCHMARK_CAPTURE(BM_ExtractFormat, xlsx, "bench.xlsx");
BENCHMARK_CAPTURE(BM_ExtractFormat, odt, "bench.odt");
BENCHMARK_CAPTURE(BM_ExtractFormat, pdf, "bench.pdf");
BENCHMARK_CAPTURE(BM_ExtractFormat, rtf, "bench.rtf");
BENCHMARK_CAPTURE(BM_ExtractFormat, zip_csv, "bench-csv.zip");
BENCHMARK_CAPTURE(BM_ExtractFormat, tar_gz_csv, "bench-csv.tar.gz");

// The same documents through vmund-extract: the price of the child process.
void BM_ExtractInHelper(benchmark::State& state, char const* file) { extractOne(state, file, true); }
BENCHMARK_CAPTURE(BM_ExtractInHelper, docx, "bench.docx")->UseRealTime();
BENCHMARK_CAPTURE(BM_ExtractInHelper, pdf, "bench.pdf")->UseRealTime();

// Whole messages: read with the extractor given (none, in process, helper).
void readAll(benchmark::State& state, std::vector<std::string> const& mail,
             vmund::AttachmentExtractor const* extractor) {
  if (mail.empty()) return state.SkipWithError("no generated messages (python3, corpus?)");
  size_t bytes = 0, parts = 0;
  for (std::string const& m : mail) bytes += m.size();
  for (auto _ : state) {
    parts = 0;
    for (std::string const& m : mail) {
      vmund::ReadResult r = vmund::readMessages(m, "m", vmund::ReadOptions{extractor});
      parts += r.messages.empty() ? 0 : r.messages[0].area.partCount();
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * mail.size()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
  state.counters["parts"] = static_cast<double>(parts);
}

std::vector<std::string> const& mixed() {
  static auto const m = messages(true);
  return m;
}
std::vector<std::string> const& textOnly() {
  static auto const m = messages(false);
  return m;
}

// A message without binary attachments: the same with and without an extractor.
void BM_TextMessages_NoExtractor(benchmark::State& state) { readAll(state, textOnly(), nullptr); }
void BM_TextMessages_WithHelper(benchmark::State& state) {
  static vmund::IsolatedExtractor const helper({});
  readAll(state, textOnly(), &helper);
}
BENCHMARK(BM_TextMessages_NoExtractor);
BENCHMARK(BM_TextMessages_WithHelper);

// The realistic mix (about 40 % with one or two binary attachments).
void BM_MixedMessages_InProcess(benchmark::State& state) {
  static vmund::InProcessExtractor const inProcess;
  readAll(state, mixed(), &inProcess);
}
void BM_MixedMessages_WithHelper(benchmark::State& state) {
  static vmund::IsolatedExtractor const helper({});
  readAll(state, mixed(), &helper);
}
void BM_MixedMessages_NoExtractor(benchmark::State& state) { readAll(state, mixed(), nullptr); }
BENCHMARK(BM_MixedMessages_NoExtractor);
BENCHMARK(BM_MixedMessages_InProcess);
BENCHMARK(BM_MixedMessages_WithHelper)->UseRealTime();

}  // namespace

#endif  // VMUND_HAVE_EXTRACT
