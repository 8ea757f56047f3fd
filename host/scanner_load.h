// Loading a requested scanner through the factory, and saying what is wrong
// with it. The factory answers a missing database, file or name with an
// empty scanner and no word why; the tools look first, so that a policy
// that cannot be served is an error, never a scanner that finds nothing.
#ifndef VMUND_HOST_SCANNER_LOAD_H_
#define VMUND_HOST_SCANNER_LOAD_H_

#include <string>
#include <vector>

#include "host/scanner_request.h"
#include "vessamund/VmundRefcounted"
#include "vessamund/scanner.h"

namespace vmund {

using ScannerRef = Vessamund::Ref<Vessamund::DictionaryScannerImpl>;

// Checks where `request` comes from (the template file is readable; the
// database opens, holds the configuration tables and the name), then asks
// the factory for the scanner. Returns "" with `out` set, appending to
// `warnings` what loads but cannot find everything (a dictionary, or a
// group's member, without enabled items; expressions that do not compile);
// else what is wrong, starting with describe(request), and `out` is empty.
std::string loadScanner(ScannerRequest const& request, ScannerRef& out,
                        std::vector<std::string>& warnings);

// What a loaded scanner holds: the enabled items of a dictionary or
// template; of a group, those of all its members.
size_t scannerContents(Vessamund::DictionaryScannerImpl const* scanner);

// "" when `next` can be loaded beside `earlier`; else why not.
// Dictionaries and templates share the factory's dictionary cache, so one
// name there is one scanner; a group name is used once among groups.
std::string requestClash(std::vector<ScannerRequest> const& earlier, ScannerRequest const& next);

}  // namespace vmund

#endif  // VMUND_HOST_SCANNER_LOAD_H_
