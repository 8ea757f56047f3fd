// The scanner interface's out-of-line destructor, so its vtable lives in the
// library.
#include "vessamund/scanner.h"

namespace Vessamund {

DictionaryScannerImpl::~DictionaryScannerImpl() {}

}  // namespace Vessamund
