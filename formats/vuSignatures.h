// File-type detection from the first bytes of a file.
#pragma once

#include <cstddef>
#include <cstdint>

// Bytes examined at the start of a file.
constexpr size_t kSignatureBytes = 40;

// The type number of the first signature record that matches the `length` bytes given (matching
// stops at the end of short data: a record needing bytes past it does not match), or -1.
int vuMatchSignature(const uint8_t* bytes, size_t length);
