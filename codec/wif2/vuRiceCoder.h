// The coefficient coder: signed values become zero-run digits and folded value symbols, which are
// coded sixteen at a time with a Rice code whose parameter is chosen per block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "codec/wif2/vuBitReader.h"
#include "codec/wif2/vuBitWriter.h"

// Turns values into symbols: nonzero v gives 2v (v > 0) or 1 - 2v; a run of zeros (taking a lone
// +1/-1 that has a 0 right after it) gives the binary digits of (length + 1) below the leading 1.
// Returns the symbols; `symbols` is reused scratch.
void vuRiceMakeSymbols(const int32_t* values, size_t count, std::vector<uint32_t>* symbols);

// The Rice parameter for a block of sixteen symbols.
int vuRiceBlockParameter(const uint32_t* symbols);

// Codes `count` values (count >= 1) as one array: blocks of 16 symbols, then the flush byte.
// `symbols` is scratch reused between calls.
void vuRiceEncodeArray(vuBitWriter& writer, const int32_t* values, size_t count,
                       std::vector<uint32_t>* symbols);

// Decodes one array of `count` values starting at the source's next byte and leaves the source
// at the byte after the array. Value symbols are multiplied by 2^shift (scaled decoding).
// Returns count.
template <typename T>
size_t vuRiceDecodeArray(vuBitReader& reader, T* values, size_t count, int shift = 0);
