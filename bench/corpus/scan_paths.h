// The scan paths one run can time side by side on the same scanners and
// messages: the factory's scanners as they are (the baseline), and the
// single-pass path once it exists.
#ifndef VMUND_BENCH_CORPUS_SCAN_PATHS_H_
#define VMUND_BENCH_CORPUS_SCAN_PATHS_H_

#include <string>

#include "host/scanner_request.h"
#include "vessamund/VmundRefcounted"
#include "vessamund/scanner.h"

namespace vmund_bench {

enum class ScanPath { kBaseline, kFast };

// "baseline" or "fast".
char const* pathName(ScanPath path);

// Whether this build can scan with `path`.
bool pathAvailable(ScanPath path);

// The scanner that `path` scans `scanner` with, built while nothing is
// timed. The baseline asks DictionaryFactory::instance() for the cached
// dictionary or group scanner. Empty when the path is not available or the
// factory returns nothing.
Vessamund::Ref<Vessamund::DictionaryScannerImpl> scannerFor(ScanPath path, vmund::ScannerRequest const& scanner);

}  // namespace vmund_bench

#endif  // VMUND_BENCH_CORPUS_SCAN_PATHS_H_
