// Coefficients of the finer levels, stage by stage, from the arithmetic code. Each stage restarts
// the model and spells its coefficients as tokens: a value (4 positive, 5 negative, then the bits
// below its leading 1 as symbols 0 and 1) or a zero run (2 starting at 1, 3 starting at 0, then
// base-4 digits 0..3, lowest first, worth (digit + 1) x 2, x 8, x 32 ...).
#pragma once

#include <cstdint>

namespace vu::classic {

class ArithmeticDecoder;

// Decodes stages into list[0..listSize). With start < end the first stage is start..end-1 and
// stages + 1 stages run; with start == end the first stage is end..4 end-1 and max(stages, 1)
// run; every further stage ends at four times where it starts. Returns 0, -3 for a token that
// cannot start a value or run (0, 1 or the end symbol), -2 when the input ran out, a value has
// more than 31 bits below its leading 1, or a stage would leave the list.
int DecodeLevels(int32_t* list, int64_t listSize, int64_t start, int64_t end, int stages,
                 ArithmeticDecoder& decoder);

// One stage over list[first..last).
int DecodeStage(int32_t* list, int64_t first, int64_t last, ArithmeticDecoder& decoder);

} // namespace vu::classic
