// The adaptive arithmetic decoder over the six-character alphabet: 16-bit code values, a
// frequency limit of 16383, bits taken least significant first from each byte.
#pragma once

#include <cstdint>

namespace vu::classic {

class BitReader;
class SymbolModel;

class ArithmeticDecoder {
public:
  static constexpr int32_t kTop = 65535;
  static constexpr int32_t kFirstQuarter = 16384;
  static constexpr int32_t kHalf = 32768;
  static constexpr int32_t kThirdQuarter = 49152;

  // Opens the decoder: the reader starts on a fresh byte and the first 16 bits fill the value.
  ArithmeticDecoder(SymbolModel* model, BitReader* reader);

  // The next character 0..5 (the model learns it), or -1 for the end symbol.
  int DecodeSymbol();

  SymbolModel* model;
  BitReader* reader;
  int32_t low = 0;
  int32_t high = kTop;
  int32_t value = 0;
};

} // namespace vu::classic
