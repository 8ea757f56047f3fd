// Where each scan path gets its scanners; see scan_paths.h.
#include "scan_paths.h"

#include "scan/reference_scanner.h"
#include "vessamund/factory.h"

namespace vmund_bench {

char const* pathName(ScanPath path) {
  return path == ScanPath::kPlanned ? "planned" : "reference";
}

Vessamund::Ref<Vessamund::DictionaryScannerImpl> scannerFor(ScanPath path, vmund::ScannerRequest const& scanner) {
  Vessamund::DictionaryFactory* factory = Vessamund::DictionaryFactory::instance();
  Vessamund::Ref<Vessamund::DictionaryScannerImpl> planned =
      scanner.source == vmund::ScannerRequest::kGroup ? factory->createGroupScanner(scanner.name)
                                                      : factory->createProfileScanner(scanner.name);
  if (path == ScanPath::kPlanned) return planned;
  return Vessamund::internal::referenceScanner(planned.get());
}

}  // namespace vmund_bench
