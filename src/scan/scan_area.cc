// Out-of-line destructors of the host interfaces, so their vtables live in
// the library.
#include "vessamund/scan_area.h"

namespace Vessamund {

DScanAreaImpl::~DScanAreaImpl() {}
ProgressCb::~ProgressCb() {}

}  // namespace Vessamund
