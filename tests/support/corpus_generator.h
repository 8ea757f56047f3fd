// The shared corpus generator (make_pii_corpus.py), run into a folder of the
// test's own. Needs VMUND_CORPUS_DIR and VMUND_PYTHON from the test target.
#ifndef VESSAMUND_TESTS_SUPPORT_CORPUS_GENERATOR_H_
#define VESSAMUND_TESTS_SUPPORT_CORPUS_GENERATOR_H_

#include <cstdlib>
#include <filesystem>
#include <string>

namespace vmund_test {

inline std::string const kCorpusGenerator = VMUND_CORPUS_DIR "/make_pii_corpus.py";

inline bool haveCorpusGenerator() { return std::filesystem::exists(kCorpusGenerator); }

// A missing corpus skips on a developer's machine and fails in CI, where
// skipping would pass unseen.
#define SKIP_OR_FAIL_IN_CI(what)                                      \
  do {                                                                \
    char const* ci = std::getenv("CI");                               \
    if (ci != nullptr && std::string(ci) == "true") FAIL() << (what); \
    GTEST_SKIP() << (what);                                           \
  } while (0)

// Writes the messages and manifest.jsonl of `options` ("--seed 1 --count 60")
// into `out`; false when the generator failed.
inline bool generateCorpus(std::string const& options, std::string const& out) {
  std::string const command = std::string(VMUND_PYTHON) + " '" + kCorpusGenerator + "' " +
                              options + " --out '" + out + "' > /dev/null";
  return std::system(command.c_str()) == 0;
}

}  // namespace vmund_test

#endif  // VESSAMUND_TESTS_SUPPORT_CORPUS_GENERATOR_H_
