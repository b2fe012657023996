#include "codec/classic/StageDecoder.h"

#include <algorithm>

#include "codec/classic/ArithmeticDecoder.h"
#include "codec/classic/BitReader.h"
#include "codec/classic/SymbolModel.h"

namespace vu::classic {

namespace {
constexpr int kMaxValueBits = 31;
}

int DecodeStage(int32_t* list, int64_t first, int64_t last, ArithmeticDecoder& decoder) {
  BitReader& reader = *decoder.reader;
  decoder.model->Reset();
  int64_t p = first;
  int token = decoder.DecodeSymbol();
  while (p < last) {
    if (reader.Failed()) return -2;
    if (token == 4 || token == 5) {
      uint32_t magnitude = 1;
      int symbol;
      int bits = 0;
      while ((symbol = decoder.DecodeSymbol()) == 0 || symbol == 1) {
        magnitude = 2 * magnitude + static_cast<uint32_t>(symbol);
        // No coefficient has more bits; a likely symbol can take less than a bit of input, so
        // without this bound damaged data could keep the loop going for a very long time.
        if (++bits > kMaxValueBits || reader.Failed()) return -2;
      }
      list[p++] = static_cast<int32_t>(token == 4 ? magnitude : 0u - magnitude);
      token = symbol;
    } else if (token == 2 || token == 3) {
      int64_t left = last - p;
      int64_t run = token == 2 ? 1 : 0;
      if (!(token == 2 && left == 1)) {
        int shift = 1;
        while (run < left) {
          int symbol = decoder.DecodeSymbol();
          token = symbol;
          if (symbol < 0 || symbol > 3) break;
          // Digits beyond the stage length only cut the run; never let the weight overflow.
          run += int64_t(symbol + 1) << std::min(shift, 40);
          shift += 2;
          if (reader.Failed()) return -2;
        }
      }
      int64_t zeros = std::min(run, left);
      std::fill(list + p, list + p + zeros, 0);
      p += zeros;
    } else {
      // 0 or 1 where a token must start, or the end symbol before the stage is complete.
      return -3;
    }
  }
  return reader.Failed() ? -2 : 0;
}

int DecodeLevels(int32_t* list, int64_t listSize, int64_t start, int64_t end, int stages,
                 ArithmeticDecoder& decoder) {
  int64_t first = start < end ? start : end;
  int64_t last = start < end ? end : 4 * end;
  int count = start < end ? stages + 1 : std::max(stages, 1);
  for (int stage = 0; stage < count; ++stage) {
    if (first < 0 || last > listSize || first >= last) return -2;
    int result = DecodeStage(list, first, last, decoder);
    if (result != 0) return result;
    first = last;
    last = 4 * last;
  }
  return 0;
}

} // namespace vu::classic
