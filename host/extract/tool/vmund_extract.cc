// vmund-extract: reads one attachment on standard input and writes its texts
// and skipped parts to standard output in the stream of host/extract_wire.h.
// The scanning processes run it once per binary attachment, so that the
// document libraries run under this process's limits, never theirs.
//
//   vmund-extract [--label NAME] [--max-depth N] [--max-entries N]
//                 [--max-total BYTES] [--max-entry BYTES] [--max-ratio N]
//                 [--ratio-floor BYTES] [--memory BYTES] [--cpu SECONDS]
//
// Exit status 0 after the end mark; 2 for bad arguments; 3 out of memory.
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "host/extract/file_extractor.h"
#include "host/extract_wire.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define VMUND_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VMUND_SANITIZED 1
#endif

namespace {

#ifdef VMUND_SANITIZED
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

void writeAll(std::string const& s) {
  size_t done = 0;
  while (done < s.size()) {
    ssize_t w = write(1, s.data() + done, s.size() - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) _exit(4);  // the reader went away: nothing left to do
    done += static_cast<size_t>(w);
  }
}

// Writes each record as soon as it is known: if a later part kills this
// process, the parts before it are not lost.
class WireSink : public vmund::ExtractSink {
 public:
  void text(std::string const& label, std::string text) override {
    writeAll(vmund::wireText(label, text));
  }
  void skipped(std::string const& label, std::string const& reason, bool unscannable) override {
    writeAll(vmund::wireSkip(label, reason, unscannable));
  }
};

void usage(std::FILE* to) {
  std::fputs(
      "usage: vmund-extract [--label NAME] [--max-depth N] [--max-entries N]\n"
      "                     [--max-total BYTES] [--max-entry BYTES] [--max-ratio N]\n"
      "                     [--ratio-floor BYTES] [--memory BYTES] [--cpu SECONDS]\n"
      "Reads one attachment (archive, Office document, PDF, RTF) on standard input and\n"
      "writes the text found in it, labelled with container paths, to standard output.\n",
      to);
}

bool number(char const* s, unsigned long long& out) {
  char* end = nullptr;
  errno = 0;
  out = std::strtoull(s, &end, 10);
  return s[0] >= '0' && s[0] <= '9' && *end == 0 && errno == 0;
}

}  // namespace

int main(int argc, char** argv) {
  vmund::ExtractLimits limits;
  std::string label = "attachment";
  unsigned long long entries = limits.maxEntries, total = limits.maxTotalBytes, memory = 0, cpu = 0;
  for (int i = 1; i < argc; ++i) {
    std::string opt = argv[i];
    if (opt == "-h" || opt == "--help") {
      usage(stdout);
      return 0;
    }
    if (i + 1 >= argc) {
      usage(stderr);
      return 2;
    }
    char const* v = argv[++i];
    unsigned long long n = 0;
    if (opt == "--label") {
      label = v;
      continue;
    }
    if (!number(v, n)) {
      std::fprintf(stderr, "vmund-extract: %s needs a number, not '%s'\n", opt.c_str(), v);
      return 2;
    }
    if (opt == "--max-depth") limits.maxDepth = static_cast<unsigned>(n);
    else if (opt == "--max-entries") entries = n;
    else if (opt == "--max-total") total = n;
    else if (opt == "--max-entry") limits.maxEntryBytes = n;
    else if (opt == "--max-ratio") limits.maxRatio = static_cast<unsigned>(n);
    else if (opt == "--ratio-floor") limits.ratioFloor = n;
    else if (opt == "--memory") memory = n;
    else if (opt == "--cpu") cpu = n;
    else {
      std::fprintf(stderr, "vmund-extract: unknown option %s\n", opt.c_str());
      usage(stderr);
      return 2;
    }
  }
  // The sanitizers reserve far more address space than they use.
  bool const limitMemory = memory != 0 && !kSanitized;
  if (limitMemory) {
    rlimit r{memory, memory};
    setrlimit(RLIMIT_AS, &r);
  }
  if (cpu) {
    rlimit r{cpu, cpu + 1};
    setrlimit(RLIMIT_CPU, &r);
  }
  auto deadline = cpu ? std::chrono::steady_clock::now() + std::chrono::seconds(cpu)
                      : std::chrono::steady_clock::time_point::max();
  try {
    std::string input;
    char buf[65536];
    for (;;) {
      ssize_t r = read(0, buf, sizeof buf);
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) break;
      input.append(buf, static_cast<size_t>(r));
    }
    vmund::ExtractLimits perMessage = limits;
    perMessage.maxEntries = entries;
    perMessage.maxTotalBytes = total;
    vmund::ExtractBudget budget(perMessage, deadline);
    WireSink sink;
    vmund::extractFile(input, label, limits, budget, sink);
    writeAll(vmund::wireUsed(entries - budget.entriesLeft, total - budget.bytesLeft));
    writeAll(vmund::wireEnd());
  } catch (std::bad_alloc const&) {
    _exit(3);
  }
  return 0;
}
