// The multi-pattern engine on Vectorscan (block mode). Compiled sets are
// immutable; scratch lives per thread and only grows, so a thread that has
// scanned with a set before scans with it again without allocating.
#include "outside/pattern_set.h"

#include <dlfcn.h>
#include <hs.h>

#include <algorithm>
#include <atomic>
#include <cstring>

namespace Vessamund {
namespace internal {

namespace {

std::atomic<uint64_t> nextSerial{1};

// One scratch per thread, grown to fit every set the thread scans with. It
// remembers the last few sets it was fitted to; fitting again is harmless
// (the engine only reallocates when the scratch is too small) but costs a
// validation of the database, which a scan should not pay each time.
class ThreadScratch {
 public:
  ~ThreadScratch() {
    if (scratch_ != nullptr) hs_free_scratch(scratch_);
  }

  bool fit(hs_database_t const* database, uint64_t serial) {
    for (uint64_t s : fitted_) {
      if (s == serial) return true;
    }
    if (hs_alloc_scratch(database, &scratch_) != HS_SUCCESS) return false;
    fitted_[next_] = serial;
    next_ = (next_ + 1) % kRemembered;
    return true;
  }

  hs_scratch_t* get() { return scratch_; }

 private:
  static constexpr int kRemembered = 8;
  hs_scratch_t* scratch_ = nullptr;
  uint64_t fitted_[kRemembered] = {};  // 0: no set (serials start at 1)
  int next_ = 0;
};

ThreadScratch& threadScratch() {
  thread_local ThreadScratch scratch;
  return scratch;
}

unsigned int engineFlags(unsigned int flags) {
  unsigned int out = 0;
  if (flags & kSetCaseless) out |= HS_FLAG_CASELESS;
  if (flags & kSetSingleMatch) out |= HS_FLAG_SINGLEMATCH;
  if (flags & kSetPrefilter) out |= HS_FLAG_PREFILTER;
  return out;
}

int onEvent(unsigned int id, unsigned long long /*from*/, unsigned long long to,
            unsigned int /*flags*/, void* context) {
  return static_cast<SetMatchSink*>(context)->onMatch(id, to) ? 0 : 1;
}

void appendByte(std::string& out, unsigned int b) {
  static char const kHex[] = "0123456789abcdef";
  out += "\\x";
  out += kHex[b >> 4];
  out += kHex[b & 15];
}

using ScanEntry = hs_error_t (*)(hs_database_t const*, char const*, unsigned int, unsigned int,
                                 hs_scratch_t*, match_event_handler, void*);

// The scan entry and the platform sets are compiled for. `scan` is null when
// no build of the engine passed the probe: then no set is compiled and every
// item reads every part.
struct Engine {
  ScanEntry scan;
  hs_platform_info_t platform;
};

int countMatch(unsigned int, unsigned long long, unsigned long long, unsigned int, void* context) {
  ++*static_cast<int*>(context);
  return 0;
}

// Shapes that some builds of the engine have got wrong: Debian's 5.4.9 AVX-512
// scan misses nearly every match of these past the first 64 bytes of a text.
// Each needle must be found wherever it stands in a text of filler.
bool findsEverywhere(ScanEntry scan, hs_platform_info_t const& platform) {
  struct Probe {
    char const* expression;
    unsigned int flags;
    char const* needle;
  };
  static Probe const kProbes[] = {{"e", HS_FLAG_SINGLEMATCH, "e"},
                                  {"[Ee]", HS_FLAG_SINGLEMATCH, "E"},
                                  {"a.*b", 0, "ab"},
                                  {"x?y", HS_FLAG_SINGLEMATCH, "y"},
                                  {"abc", HS_FLAG_CASELESS, "aBc"},
                                  {"[0-9]{3}", HS_FLAG_SINGLEMATCH, "123"}};
  bool ok = true;
  for (Probe const& probe : kProbes) {
    hs_database_t* database = nullptr;
    hs_compile_error_t* error = nullptr;
    if (hs_compile(probe.expression, probe.flags, HS_MODE_BLOCK, &platform, &database, &error) !=
        HS_SUCCESS) {
      if (error != nullptr) hs_free_compile_error(error);
      return false;
    }
    hs_scratch_t* scratch = nullptr;
    ok = hs_alloc_scratch(database, &scratch) == HS_SUCCESS;
    std::string text(300, 'q');
    size_t const width = std::strlen(probe.needle);
    for (size_t at = 0; ok && at + width <= text.size(); ++at) {
      std::fill(text.begin(), text.end(), 'q');
      std::memcpy(&text[at], probe.needle, width);
      int found = 0;
      ok = scan(database, text.data(), static_cast<unsigned int>(text.size()), 0, scratch,
                &countMatch, &found) == HS_SUCCESS &&
           found > 0;
    }
    hs_free_scratch(scratch);
    hs_free_database(database);
    if (!ok) break;
  }
  return ok;
}

// The dispatched entry picks the widest instruction set the CPU has. When
// that build fails the probe, the library's narrower builds (exported under
// their instruction-set prefixes) are tried, with sets compiled for what
// they run.
Engine chooseEngine() {
  Engine engine{nullptr, {}};
  if (hs_populate_platform(&engine.platform) != HS_SUCCESS) return engine;
  if (findsEverywhere(&hs_scan, engine.platform)) {
    engine.scan = &hs_scan;
    return engine;
  }
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&hs_compile), &info) == 0 || info.dli_fname == nullptr) {
    return engine;
  }
  void* library = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
  if (library == nullptr) return engine;
  struct Build {
    char const* entry;
    unsigned long long features;
  };
  static Build const kBuilds[] = {{"avx2_hs_scan", HS_CPU_FEATURES_AVX2},
                                  {"corei7_hs_scan", 0},
                                  {"core2_hs_scan", 0}};
  unsigned long long const available = engine.platform.cpu_features;
  for (Build const& build : kBuilds) {
    auto scan = reinterpret_cast<ScanEntry>(dlsym(library, build.entry));
    if (scan == nullptr || (build.features & ~available) != 0) continue;
    engine.platform.cpu_features = build.features;
    if (findsEverywhere(scan, engine.platform)) {
      engine.scan = scan;
      break;
    }
  }
  // The handle only counted a reference to a library that stays loaded.
  dlclose(library);
  return engine;
}

Engine const& engine() {
  static Engine const chosen = chooseEngine();
  return chosen;
}

}  // namespace

std::string setByteClass(bool const accepted[256]) {
  int count = 0;
  for (int b = 0; b < 256; ++b) count += accepted[b] ? 1 : 0;
  std::string out;
  if (count == 0) return out;
  if (count == 1) {
    for (unsigned int b = 0; b < 256; ++b) {
      if (accepted[b]) appendByte(out, b);
    }
    return out;
  }
  out += '[';
  for (unsigned int b = 0; b < 256;) {
    if (!accepted[b]) {
      ++b;
      continue;
    }
    unsigned int last = b;
    while (last + 1 < 256 && accepted[last + 1]) ++last;
    appendByte(out, b);
    if (last > b) {
      out += '-';
      appendByte(out, last);
    }
    b = last + 1;
  }
  out += ']';
  return out;
}

std::string setLiteral(std::string const& bytes, bool asciiCaseless) {
  std::string out;
  for (char c : bytes) {
    unsigned int const b = static_cast<unsigned char>(c);
    unsigned int const lower = b >= 'A' && b <= 'Z' ? b + 32 : b;
    if (asciiCaseless && lower >= 'a' && lower <= 'z') {
      out += '[';
      appendByte(out, lower - 32);
      appendByte(out, lower);
      out += ']';
    } else {
      appendByte(out, b);
    }
  }
  return out;
}

std::unique_ptr<PatternSet> PatternSet::compile(std::vector<SetPattern> const& patterns,
                                                std::vector<unsigned int>* refused) {
  std::vector<char const*> expressions;
  std::vector<unsigned int> flags;
  std::vector<unsigned int> ids;
  for (unsigned int i = 0; i < patterns.size(); ++i) {
    expressions.push_back(patterns[i].expression.c_str());
    flags.push_back(engineFlags(patterns[i].flags));
    ids.push_back(i);
  }
  Engine const& chosen = engine();
  if (chosen.scan == nullptr) return nullptr;
  // The engine rejects a whole set for one bad pattern and names it: drop
  // that one and try again.
  while (!expressions.empty()) {
    hs_database_t* database = nullptr;
    hs_compile_error_t* error = nullptr;
    hs_error_t rc = hs_compile_multi(expressions.data(), flags.data(), ids.data(),
                                     static_cast<unsigned int>(expressions.size()), HS_MODE_BLOCK,
                                     &chosen.platform, &database, &error);
    if (rc == HS_SUCCESS) return std::unique_ptr<PatternSet>(new PatternSet(database));
    int const bad = error != nullptr ? error->expression : -1;
    if (error != nullptr) hs_free_compile_error(error);
    if (bad < 0 || static_cast<size_t>(bad) >= expressions.size()) return nullptr;
    if (refused != nullptr) refused->push_back(ids[bad]);
    expressions.erase(expressions.begin() + bad);
    flags.erase(flags.begin() + bad);
    ids.erase(ids.begin() + bad);
  }
  return nullptr;
}

PatternSet::PatternSet(void* database) : database_(database), serial_(nextSerial++) {}

PatternSet::~PatternSet() { hs_free_database(static_cast<hs_database_t*>(database_)); }

bool PatternSet::prepareThread() const {
  return threadScratch().fit(static_cast<hs_database_t const*>(database_), serial_);
}

bool PatternSet::scan(char const* text, uint32_t length, SetMatchSink& sink) const {
  hs_error_t rc = engine().scan(static_cast<hs_database_t const*>(database_), text, length, 0,
                                threadScratch().get(), &onEvent, &sink);
  return rc == HS_SUCCESS;
}

}  // namespace internal
}  // namespace Vessamund
