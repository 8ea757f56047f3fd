// The host's configuration block, in which one bit asks the factory to drop
// its caches.
#ifndef VESSAMUND_HOST_BLOCK_H_
#define VESSAMUND_HOST_BLOCK_H_

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// Points at the host's configuration block. Until a host says otherwise it
// points at a zero-filled block of the library's own, VMUND_HOST_BLOCK_SIZE
// bytes long; a host may point it elsewhere before its first factory call.
// The factory tests and clears bit value 4 of the 32-bit word at byte offset
// 300400 (the reload flag) and touches nothing else.
extern void* nCfg_debug_zone;

#ifdef __cplusplus
}
#endif

#define VMUND_HOST_BLOCK_SIZE 300404
#define VMUND_RELOAD_WORD_OFFSET 300400
#define VMUND_RELOAD_FLAG 4u

#endif  // VESSAMUND_HOST_BLOCK_H_
