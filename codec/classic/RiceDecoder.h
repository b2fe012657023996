// The grouped Rice code of the coarse coefficients: groups of 16 values, each with a 3-bit
// parameter k; k = 7 marks a group of tiny values spelt as a digit sequence.
#pragma once

#include <cstdint>

namespace vu::classic {

class BitReader;

// Most digits a tiny-value group may spell, including those after its sixteenth stop digit.
constexpr int kRiceTinyDigits = 27;

// Decodes one group of 16 signed values. Returns 0, or -2 when a tiny-value group is longer than
// 27 digits or the input ran out.
int DecodeRiceGroup(BitReader& reader, int32_t* values);

// Fills `count` entries of `list`: whole groups, the last one cut to what is left. 0 or -2.
int DecodeRiceValues(int32_t* list, int64_t count, BitReader& reader);

} // namespace vu::classic
