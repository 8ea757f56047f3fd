// The reference scan: every item reads every part it selects, with no
// one-pass plan. What a planned scan must equal byte for byte, and what the
// benchmarks time it against. The one way to reach it, so the scan path
// itself never asks which way to go.
#ifndef VESSAMUND_SRC_SCAN_REFERENCE_SCANNER_H_
#define VESSAMUND_SRC_SCAN_REFERENCE_SCANNER_H_

#include "vessamund/VmundRefcounted"
#include "vessamund/scanner.h"

namespace Vessamund {
namespace internal {

// A scanner that gives what `scanner` gives, the reference way: for a
// profile scanner a new one with the same name and the same items (shared,
// not copied) whose plan prefilters none of them; for a group a new group of
// such twins of its members; any other scanner as it is (a new handle to
// it). `scanner` is borrowed for the call; null gives an empty handle.
// Configuration work: allocates (call it before timing); may throw
// std::bad_alloc.
Ref<DictionaryScannerImpl> referenceScanner(DictionaryScannerImpl* scanner);

}  // namespace internal
}  // namespace Vessamund

#endif  // VESSAMUND_SRC_SCAN_REFERENCE_SCANNER_H_
