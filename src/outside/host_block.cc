// The host layer's stand-in configuration block: zero-filled, so the reload
// flag starts clear. A host may point nCfg_debug_zone at its own block.
#include "vessamund/host_block.h"

namespace {
alignas(8) unsigned char stand_in_block[VMUND_HOST_BLOCK_SIZE];
}  // namespace

extern "C" {
void* nCfg_debug_zone = stand_in_block;
}
