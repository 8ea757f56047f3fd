// The library's own configuration block, in use until a host points
// nCfg_debug_zone at its block: zero-filled, so the reload flag starts clear.
#include "vessamund/host_block.h"

namespace {
alignas(8) unsigned char own_block[VMUND_HOST_BLOCK_SIZE];
}  // namespace

extern "C" {
void* nCfg_debug_zone = own_block;
}
