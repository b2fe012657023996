// Whole-row byte moves for the file readers and writers: a row is reordered in one pass instead of
// one accessor call per pixel.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imagelib/vuSimd.h"

// Reverses the bytes of each of `groups` groups of `groupBytes` bytes (2, 3, 4 or 6; other sizes
// are copied as they are). This one move turns red-green-blue into the rows' blue-green-red (3),
// big-endian 16-bit samples into little-endian ones (2), and both at once for 16-bit colour (6).
// `in` and `out` are the same or do not overlap.
void vuReverseByteGroups(const uint8_t* in, uint8_t* out, size_t groups, int groupBytes);
// The same with the kernel of one instruction-set level (levels the processor lacks fall back to
// the best one below), for tests that hold every version against the plain one.
void vuReverseByteGroupsAt(vuSimdLevel level, const uint8_t* in, uint8_t* out, size_t groups,
                           int groupBytes);

// Clamps `count` little-endian 16-bit samples to at most `top`, in place.
void vuClampSamples16(uint8_t* samples, size_t count, uint16_t top);
