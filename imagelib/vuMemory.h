// Large blocks: pixel storage and codec work arrays. Blocks of several megabytes get huge pages
// where the system offers them on request, since each 4 KB page otherwise costs a page fault on
// first touch (a 48 MB picture costs some twelve thousand).
#pragma once

#include <cstddef>

// A block of `bytes` (cleared when `clear`), or null when there is no memory. Released with
// std::free.
void* vuAllocateBlock(size_t bytes, bool clear);
