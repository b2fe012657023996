#include "codec/classic/SymbolModel.h"

namespace vu::classic {

void SymbolModel::Reset() {
  for (int i = 0; i <= kSymbols; ++i) {
    frequency[i] = 1;
    cumulative[i] = kSymbols - i;
    indexToChar[i] = static_cast<uint8_t>(i > 0 ? i - 1 : 0);
  }
  frequency[0] = 0;
}

void SymbolModel::Update(int symbol) {
  if (cumulative[0] >= kMaxFrequency) {
    int32_t sum = 0;
    for (int i = kSymbols; i >= 0; --i) {
      frequency[i] = (frequency[i] + 1) / 2;
      cumulative[i] = sum;
      sum += frequency[i];
    }
  }
  int i = symbol;
  while (i > 1 && frequency[i] == frequency[i - 1])
    --i;
  if (i < symbol) {
    uint8_t character = indexToChar[i];
    indexToChar[i] = indexToChar[symbol];
    indexToChar[symbol] = character;
  }
  frequency[i] += 1;
  while (i > 0)
    cumulative[--i] += 1;
}

} // namespace vu::classic
