// The adaptive frequency model of the arithmetic code: six characters (0..5) and an end symbol,
// kept sorted by frequency. Only the index-to-character table is kept, since decoding never maps
// characters back to indexes.
#pragma once

#include <cstdint>

namespace vu::classic {

class SymbolModel {
public:
  static constexpr int kCharacters = 6;
  static constexpr int kEndSymbol = 7;
  static constexpr int kSymbols = 7;
  static constexpr int kMaxFrequency = 16383;

  SymbolModel() { Reset(); }
  // The initial tables: every symbol once, characters in order.
  void Reset();
  // Counts one more occurrence of symbol index `symbol` (1..6), halving all counts first when the
  // total has reached the limit and moving the symbol ahead of those it now outnumbers.
  void Update(int symbol);
  int Total() const { return cumulative[0]; }

  int32_t frequency[kSymbols + 1];
  uint8_t indexToChar[kSymbols + 1];
  // cumulative[i]: the sum of the frequencies of the indexes above i; cumulative[0] is the total.
  int32_t cumulative[kSymbols + 1];
  int32_t characterCount = kCharacters;
  int32_t endSymbol = kEndSymbol;
  int32_t symbolCount = kSymbols;
};

} // namespace vu::classic
