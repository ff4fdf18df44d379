#pragma once

#include <malloc.h>

namespace id {

// Blocks of a quarter megabyte and more (a large table's columns, a file being read or written,
// an export's picture) come straight from the system and go back to it when freed. Without this
// the allocator raises that limit as it frees such blocks, keeps them afterwards, and a day of
// work on a large analysis leaves the program holding every peak it passed through.
inline void returnLargeBlocksToTheSystem() {
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
}

// The pages that lie free inside the allocator's pools go back to the system.
inline void returnFreedMemoryToTheSystem() {
    malloc_trim(0);
}

} // namespace id
