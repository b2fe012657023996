// The wavelet synthesis of older-generation WIF files: two symmetric filter families applied to
// interleaved lines (low coefficients at even positions, high at odd ones) with whole-sample
// symmetric extension at both ends.
//
// The inner synthesis rebuilds the low quarter in place, in quantizer units, with double taps and
// single-precision storage. The final synthesis combines the low quarter with the three byte
// planes through a moving window of rows, with the taps scaled by the quantizer step, and hands
// every output row to a sink; the full-size finest level is never built.
#pragma once

#include <cstdint>
#include <functional>

#include "codec/classic/ClassicLayout.h"

namespace vu::classic {

struct ClassicFilter {
  int evenCount; // taps at distances 0 .. evenCount - 1 for outputs at even positions
  int oddCount;  // taps at distances 0 .. oddCount - 1 for outputs at odd positions
  double even[5];
  double odd[5];
};

// 9/7 (version digits '5', '6') and 5/3 (digits '7', '8').
const ClassicFilter& ClassicFilter97();
const ClassicFilter& ClassicFilter53();

// The position a symmetric extension of a line of n samples reads for index i (folding again as
// often as a short line needs).
inline int64_t ClassicFold(int64_t i, int64_t n) {
  if (n <= 1) return 0;
  int64_t period = 2 * (n - 1);
  i %= period;
  if (i < 0) i += period;
  return i < n ? i : period - i;
}

// Synthesises one interleaved line of n samples (n >= 1) in double precision with the given
// taps, storing single precision; `line` and `out` may not overlap.
void ClassicSynthesizeLine(const float* line, int64_t n, float* out, const double* even,
                           int evenCount, const double* odd, int oddCount);

// Inner synthesis of levels - 1 levels over the low-quarter plane (halfWidth x halfHeight).
void ClassicInnerSynthesis(const ClassicLayout& layout, const ClassicFilter& filter, float* plane);

// Receives output row `row` (coded order) as 2 halfWidth values.
using ClassicRowSink = std::function<void(int64_t row, const float* values)>;

// Final synthesis of one channel with quantizer step `step`: produces the rows 0 .. height - 1.
// Returns 0, or -3 when its buffers cannot be had.
int ClassicFinalSynthesis(const ClassicLayout& layout, const ClassicFilter& filter, float step,
                          const float* lowQuarter, const int8_t* hl, const int8_t* lh,
                          const int8_t* hh, const ClassicRowSink& sink);

} // namespace vu::classic
