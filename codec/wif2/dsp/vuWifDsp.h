// The WIF2 codec's row kernels: the lifting steps of both wavelet pairs in both directions, the
// rounding divisions of quantisation and output scaling, the colour transform and the chroma
// step, for 32-bit arithmetic (8-bit pictures). The plain versions are the reference; vectorised
// versions for each instruction-set level produce exactly the same values. The transform drivers
// call the kernels through one table chosen once for the processor.
//
// 16-bit pictures, whose sums need 64 bits, use the plain templates of vuWifDspPlain.h directly.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imagelib/vuSimd.h"

struct vuWifDsp {
  // Horizontal analysis of a reflected line x (2 margin places for 5/3, 4 for 9/7 on each side):
  // `half` low and `half` high values.
  void (*analysis53)(const int32_t* x, int half, int32_t* lo, int32_t* hi);
  void (*analysis97)(const int32_t* x, int half, int32_t* lo, int32_t* hi);
  // Synthesis of a reflected interleaved line u (same margins): 2 half values (5/3: shifted
  // right by `shift`).
  void (*synthesis53)(const int32_t* u, int half, int shift, int32_t* out);
  void (*synthesis97)(const int32_t* u, int half, int32_t* out);
  // Vertical 5/3 analysis of rows a .. e into a low and a high row, each shifted right.
  void (*forwardColumns)(const int32_t* a, const int32_t* b, const int32_t* c, const int32_t* d,
                         const int32_t* e, int n, int lowShift, int highShift, int32_t* low,
                         int32_t* high);
  // Vertical 5/3 synthesis of interleaved rows ym1 .. y3 into an even and an odd row.
  void (*inverseColumns)(const int32_t* ym1, const int32_t* y0, const int32_t* y1,
                         const int32_t* y2, const int32_t* y3, int n, int32_t* even, int32_t* odd);
  // out = in / d rounded, halves away from zero (quantisation, output scaling); in place allowed.
  void (*roundDivide)(const int32_t* in, size_t n, int32_t d, int32_t* out);
  // out[2i] = lo[i], out[2i + 1] = hi[i].
  void (*interleave)(const int32_t* lo, const int32_t* hi, int n, int32_t* out);
  // One colour plane (0 Y, 1 C1, 2 C2) from n pixels of three bytes.
  void (*forwardColour)(const uint8_t* pixels, int n, int plane, int32_t* out);
  // Y, C1, C2 back to n pixels of three bytes, clamped.
  void (*inverseColour)(const int32_t* y, const int32_t* c1, const int32_t* c2, int n,
                        uint8_t* pixels);
  // The 2 x 2 chroma step over whole blocks of two rows, and its inverse (16-bit, saturated).
  void (*forwardChroma)(const int32_t* top, const int32_t* bottom, int blocks, int32_t multiplier,
                        int32_t divisor, int32_t* ll, int32_t* hl, int32_t* lh, int32_t* hh);
  void (*inverseChroma)(const int32_t* ll, const int32_t* hl, const int32_t* lh, const int32_t* hh,
                        int blocks, int32_t base, int shift, int16_t* top, int16_t* bottom);
};

// The kernels for this processor, chosen on first use.
const vuWifDsp& vuWifDspBest();
// The kernels of one level (a level this build or the processor lacks gives the best one below
// it); VU_SIMD_PLAIN is the reference.
const vuWifDsp& vuWifDspFor(vuSimdLevel level);
