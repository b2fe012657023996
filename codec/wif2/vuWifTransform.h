// The wavelet transforms of a tile plane and their inverses: the first level (9/7 or 5/3
// horizontally, 5/3 vertically over a five-row window), the 2 x 2 chroma step, the further 5/3
// levels on the low band, the coding order of the low-band subtree and its prediction.
//
// T is the arithmetic type: int32_t for 8-bit samples, int64_t for 16-bit samples, whose sums
// outgrow 32 bits.
#pragma once

#include <cstdint>
#include <vector>

#include "codec/wif2/vuWifQuantize.h"

// The number of levels for a tile when the caller leaves it to the coder (0 below 16 pixels).
int vuWifChooseLevels(int tileWidth, int tileHeight);
// `size` rounded up to a multiple of 2^levels.
int vuWifPaddedSize(int size, int levels);

// Whole-sample symmetric reflection of index i into 0..n-1, repeated for short lines.
inline int vuWifReflect(int i, int n) {
  if (n <= 1) return 0;
  const int period = 2 * (n - 1);
  i %= period;
  if (i < 0) i += period;
  return i < n ? i : period - i;
}

// Margin of the first-level lines (the 9/7 pair reaches four samples out).
constexpr int kWifLineMargin = 4;

// First-level horizontal analysis of one row of w samples padded to W (the row's last sample
// repeats): `line` is scratch of W + 2 margins; lo and hi get W/2 values each.
template <typename T>
void vuWifAnalysisRow(const int32_t* row, int w, int W, bool fast, T* line, T* lo, T* hi);
// First-level horizontal synthesis: `line` holds W interleaved values (low, high) after a margin
// of kWifLineMargin places on each side; the first w results, times multiplier and divided with
// rounding by divisor, go to out.
template <typename T>
void vuWifSynthesisRow(T* line, int W, int w, bool fast, T multiplier, T divisor, int32_t* out);
// The 5/3 pair on one line of n (even) values at x[0..n-1], with two free places on each side
// for the reflection: out gets the n/2 low values then the n/2 high values, unscaled.
template <typename T> void vuWifForward53Line(T* x, int n, T* out);
// Inverse: u holds the interleaved low/high values (two free places on each side); out gets n
// values, unscaled (32 times the original).
template <typename T> void vuWifInverse53Line(T* u, int n, T* out);

// The four first-level bands of one plane, W2 x H2 values each, row-major.
template <typename T> struct vuWifBands {
  int w2 = 0;
  int h2 = 0;
  std::vector<T> ll, hl, lh, hh;
  void Resize(int bandWidth, int bandHeight);
};

// Scratch lines shared by the transforms of one coder; sized on first use and reused.
template <typename T> struct vuWifTransformScratch {
  std::vector<T> line;
  std::vector<T> line2;
  std::vector<T> rows; // five filtered rows (encoder) or a band-sized area (further levels)
  std::vector<const T*> pointers;
};

// First level of a grey or luma plane (w x h samples, padded size W x H). The detail bands are
// quantised with `detailStep` as they are produced; the low band is not.
template <typename T>
void vuWifForwardFirstLevel(const int32_t* plane, int w, int h, bool fast, T detailStep,
                            vuWifBands<T>& bands, vuWifTransformScratch<T>& scratch);

// The 2 x 2 step of a chroma plane: LL = block sum * 2^(shift+4), the differences divided
// (truncating) by `divisor`. Blocks outside the plane give 0; samples past the last column or row
// repeat it.
template <typename T>
void vuWifForwardChroma(const int32_t* plane, int w, int h, int shift, T divisor,
                        vuWifBands<T>& bands);

// levels - 1 further 5/3 levels on the low band (in place, row length bands.w2).
template <typename T>
void vuWifForwardFurtherLevels(vuWifBands<T>& bands, int levels, vuWifTransformScratch<T>& scratch);
template <typename T>
void vuWifInverseFurtherLevels(vuWifBands<T>& bands, int levels, vuWifTransformScratch<T>& scratch);

// Inverse first level into a w x h plane, each result scaled back by `scale`.
template <typename T>
void vuWifInverseFirstLevel(const vuWifBands<T>& bands, int w, int h, bool fast,
                            vuWifOutputScale scale, int32_t* plane,
                            vuWifTransformScratch<T>& scratch);

// Inverse 2 x 2 step into a w x h chroma plane: ((sum of the four) * base) >> shift.
template <typename T>
void vuWifInverseChroma(const vuWifBands<T>& bands, int w, int h, T base, int shift,
                        int32_t* plane);

// The low-band subtree in coding order (W2 x H2 values) and back; `multiplier` scales on the way
// back.
template <typename T, typename V>
void vuWifToCodingOrder(const T* ll, int w2, int h2, int levels, V* out);
template <typename T>
void vuWifFromCodingOrder(const T* in, int w2, int h2, int levels, T multiplier, T* ll);

// Prediction of the final low band (a x b values at the start of the coding-order array).
template <typename V> void vuWifPredictLowBand(V* values, int a, int b);
template <typename V> void vuWifUnpredictLowBand(V* values, int a, int b);
