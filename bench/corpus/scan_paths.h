// The scan paths one run can time side by side on the same scanners and
// messages: the factory's scanners as they are (planned: one pass over each
// part, then each item where it can match) and their reference twins (every
// item reads every part it selects).
#ifndef VMUND_BENCH_CORPUS_SCAN_PATHS_H_
#define VMUND_BENCH_CORPUS_SCAN_PATHS_H_

#include <string>

#include "host/scanner_request.h"
#include "vessamund/VmundRefcounted"
#include "vessamund/scanner.h"

namespace vmund_bench {

enum class ScanPath { kPlanned, kReference };

// "planned" or "reference".
char const* pathName(ScanPath path);

// The scanner that `path` scans `scanner` with, built while nothing is
// timed: the cached dictionary or group scanner of
// DictionaryFactory::instance(), or its reference twin. Empty when the
// factory returns nothing.
Vessamund::Ref<Vessamund::DictionaryScannerImpl> scannerFor(ScanPath path, vmund::ScannerRequest const& scanner);

}  // namespace vmund_bench

#endif  // VMUND_BENCH_CORPUS_SCAN_PATHS_H_
