// Where each scan path gets its scanners; see scan_paths.h.
#include "scan_paths.h"

#include "vessamund/factory.h"

namespace vmund_bench {

char const* pathName(ScanPath path) { return path == ScanPath::kBaseline ? "baseline" : "fast"; }

bool pathAvailable(ScanPath path) {
  // TODO(issue 13): true for kFast once the single-pass scan path can be
  // asked for here; remove this TODO then.
  return path == ScanPath::kBaseline;
}

Vessamund::Ref<Vessamund::DictionaryScannerImpl> scannerFor(ScanPath path, vmund::ScannerRequest const& scanner) {
  if (!pathAvailable(path)) return Vessamund::Ref<Vessamund::DictionaryScannerImpl>();
  // TODO(issue 13): for kFast, build (or switch the factory to) the
  // single-pass scanner of the same dictionary or group here. Everything
  // else (timing, score sums, the table) already runs for every path given
  // with --path.
  Vessamund::DictionaryFactory* factory = Vessamund::DictionaryFactory::instance();
  return scanner.source == vmund::ScannerRequest::kGroup ? factory->createGroupScanner(scanner.name)
                       : factory->createProfileScanner(scanner.name);
}

}  // namespace vmund_bench
