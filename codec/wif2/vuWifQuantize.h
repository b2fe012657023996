// Quantisation steps, the output divisor and the colour planes of the WIF2 coder.
#pragma once

#include <cstdint>

// Rounds v / step to the nearest integer, halves away from zero (both divisions truncate).
template <typename T> inline T vuWifQuantise(T v, T step) {
  return v > 0 ? (v + step / 2) / step : (v - step / 2) / step;
}

// Steps for a plane; `extraBits` is t (s for grey, s + 2 for the luma plane).
struct vuWifSteps {
  int64_t base = 0;       // B = Q + 2
  int64_t firstLevel = 0; // P1: the first-level detail bands
  int64_t lowBand = 0;    // P2: the whole low-band subtree
};
vuWifSteps vuWifLumaSteps(int quality, bool fast, int extraBits);
vuWifSteps vuWifChromaSteps(int quality, int shift);

// How the inverse first level brings its sums back to sample scale: multiply by `multiplier`,
// then divide by `divisor` with rounding halves away from zero.
struct vuWifOutputScale {
  int64_t divisor = 1;
  int64_t multiplier = 1;
};
vuWifOutputScale vuWifOutputDivisor(int quality, bool fast, int shift);

// Colour planes of a pixel p0, p1, p2 (in memory order) and back.
inline void vuWifForwardColour(int32_t p0, int32_t p1, int32_t p2, int32_t* y, int32_t* c1,
                               int32_t* c2) {
  const int32_t luma = p0 + 2 * p1 + p2;
  *y = luma;
  *c1 = (luma >> 2) - p0;
  *c2 = (luma >> 2) - p2;
}
inline void vuWifInverseColour(int32_t y, int32_t c1, int32_t c2, int32_t* p0, int32_t* p1,
                               int32_t* p2) {
  *p0 = y - c1;
  *p2 = y - c2;
  *p1 = y + (c1 + c2) / 2;
}
