#include "codec/classic/ArithmeticDecoder.h"

#include "codec/classic/BitReader.h"
#include "codec/classic/SymbolModel.h"

namespace vu::classic {

ArithmeticDecoder::ArithmeticDecoder(SymbolModel* model, BitReader* reader)
    : model(model), reader(reader) {
  // After the byte-level skip to a marker, the reader's partly used byte is stale.
  reader->Reset();
  for (int i = 0; i < 16; ++i)
    value = 2 * value + reader->ReadBit();
}

int ArithmeticDecoder::DecodeSymbol() {
  int64_t range = int64_t(high) - low + 1;
  int64_t total = model->cumulative[0];
  int64_t target = ((int64_t(value) - low + 1) * total - 1) / range;
  int index = 1;
  while (index < SymbolModel::kEndSymbol && model->cumulative[index] > target)
    ++index;
  high = static_cast<int32_t>(low + range * model->cumulative[index - 1] / total - 1);
  low = static_cast<int32_t>(low + range * model->cumulative[index] / total);
  for (;;) {
    if (high < kHalf) {
      // Both in the lower half: nothing to subtract.
    } else if (low >= kHalf) {
      value -= kHalf;
      low -= kHalf;
      high -= kHalf;
    } else if (low >= kFirstQuarter && high < kThirdQuarter) {
      value -= kFirstQuarter;
      low -= kFirstQuarter;
      high -= kFirstQuarter;
    } else {
      break;
    }
    low = 2 * low;
    high = 2 * high + 1;
    value = 2 * value + reader->ReadBit();
  }
  if (index == SymbolModel::kEndSymbol) return -1;
  int character = model->indexToChar[index];
  model->Update(index);
  return character;
}

} // namespace vu::classic
