#include "codec/wif2/vuWifTransform.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <vector>

#include "codec/wif2/dsp/vuWifDsp.h"
#include "codec/wif2/dsp/vuWifDspPlain.h"
#include "imagelib/vuMemory.h"

namespace {
// Margin of the first-level lines: the 9/7 pair reaches four samples out.
constexpr int kMargin = kWifLineMargin;

namespace plain = vu::wif2::plain;
constexpr bool Is32(size_t size) {
  return size == 4;
}

// The row kernels: 32-bit arithmetic through the table chosen for the processor, 64-bit through
// the plain templates.
template <typename T> void Analysis(bool fast, const T* x, int half, T* lo, T* hi) {
  if constexpr (Is32(sizeof(T))) {
    const vuWifDsp& dsp = vuWifDspBest();
    (fast ? dsp.analysis53 : dsp.analysis97)(x, half, lo, hi);
  } else if (fast) {
    plain::Analysis53<T>(x, half, lo, hi);
  } else {
    plain::Analysis97<T>(x, half, lo, hi);
  }
}
template <typename T> void Synthesis53(const T* u, int half, int shift, T* out) {
  if constexpr (Is32(sizeof(T)))
    vuWifDspBest().synthesis53(u, half, shift, out);
  else
    plain::Synthesis53<T>(u, half, shift, out);
}
template <typename T> void Synthesis97(const T* u, int half, T* out) {
  if constexpr (Is32(sizeof(T)))
    vuWifDspBest().synthesis97(u, half, out);
  else
    plain::Synthesis97<T>(u, half, out);
}
template <typename T>
void ForwardColumns(const T* a, const T* b, const T* c, const T* d, const T* e, int n, int lowShift,
                    int highShift, T* low, T* high) {
  if constexpr (Is32(sizeof(T)))
    vuWifDspBest().forwardColumns(a, b, c, d, e, n, lowShift, highShift, low, high);
  else
    plain::ForwardColumns<T>(a, b, c, d, e, n, lowShift, highShift, low, high);
}
template <typename T>
void InverseColumns(const T* ym1, const T* y0, const T* y1, const T* y2, const T* y3, int n,
                    T* even, T* odd) {
  if constexpr (Is32(sizeof(T)))
    vuWifDspBest().inverseColumns(ym1, y0, y1, y2, y3, n, even, odd);
  else
    plain::InverseColumns<T>(ym1, y0, y1, y2, y3, n, even, odd);
}
template <typename T> void RoundDivide(const T* in, size_t n, T d, T* out) {
  if constexpr (Is32(sizeof(T)))
    vuWifDspBest().roundDivide(in, n, d, out);
  else
    plain::RoundDivideRow<T>(in, n, d, out);
}
template <typename T> void Interleave(const T* lo, const T* hi, int n, T* out) {
  if constexpr (Is32(sizeof(T)))
    vuWifDspBest().interleave(lo, hi, n, out);
  else
    plain::Interleave<T>(lo, hi, n, out);
}

// Fills the margins of a line of n samples stored at line[kMargin ..] by reflection.
template <typename T> void ReflectMargins(T* line, int n) {
  T* x = line + kMargin;
  for (int j = 1; j <= kMargin; ++j) {
    x[-j] = x[vuWifReflect(-j, n)];
    x[n - 1 + j] = x[vuWifReflect(n - 1 + j, n)];
  }
}
} // namespace

void* vuWifAllocateLarge(size_t bytes) {
  void* block = vuAllocateBlock(bytes, false);
  if (!block) throw std::bad_alloc();
  return block;
}

void vuWifFreeLarge(void* block, size_t bytes) {
  (void)bytes;
  std::free(block);
}

int vuWifChooseLevels(int tileWidth, int tileHeight) {
  int m = std::min(tileWidth, tileHeight);
  if (m < 16) return 0;
  int n = 0;
  while (m >= 16) {
    m /= 2;
    ++n;
  }
  if (n >= 7) n -= 1;
  return std::min(n, 7);
}

int vuWifPaddedSize(int size, int levels) {
  int64_t x = size;
  for (int i = 0; i < levels; ++i)
    x = (x + 1) / 2;
  return static_cast<int>(x << levels);
}

template <typename T> void vuWifBands<T>::Resize(int bandWidth, int bandHeight) {
  w2 = bandWidth;
  h2 = bandHeight;
  const size_t n = static_cast<size_t>(bandWidth) * static_cast<size_t>(bandHeight);
  ll.resize(n);
  hl.resize(n);
  lh.resize(n);
  hh.resize(n);
}

// ---------------------------------------------------------------------------------------------
// Forward first level.

template <typename T>
void vuWifAnalysisRow(const int32_t* row, int w, int W, bool fast, T* line, T* lo, T* hi) {
  T* x = line + kMargin;
  for (int j = 0; j < w; ++j)
    x[j] = row[j];
  for (int j = w; j < W; ++j)
    x[j] = row[w - 1];
  ReflectMargins(line, W);
  Analysis<T>(fast, x, W / 2, lo, hi);
}

template <typename T>
void vuWifForwardFirstLevel(const vuWifRowSource& rows, int w, int h, bool fast, T detailStep,
                            vuWifBands<T>& bands, vuWifTransformScratch<T>& scratch) {
  const int w2 = bands.w2;
  const int h2 = bands.h2;
  const int W = 2 * w2;
  scratch.line.resize(static_cast<size_t>(W) + 2 * kMargin);
  scratch.rows.resize(static_cast<size_t>(5) * 2 * w2);
  scratch.input.resize(static_cast<size_t>(w));
  T* line = scratch.line.data();
  int32_t* input = scratch.input.data();
  auto lo = [&](int n) { return scratch.rows.data() + static_cast<size_t>(n % 5) * 2 * w2; };
  auto hi = [&](int n) { return lo(n) + w2; };
  auto filter = [&](int n, int sourceRow) {
    rows.Row(sourceRow, input);
    vuWifAnalysisRow<T>(input, w, W, fast, line, lo(n), hi(n));
  };
  auto copy = [&](int to, int from) {
    std::memcpy(lo(to), lo(from), sizeof(T) * 2 * static_cast<size_t>(w2));
  };
  // Rows 0..4 first; rows past the tile repeat its last row.
  for (int n = 0; n < 5; ++n)
    filter(n, std::min(n, h - 1));
  const int shift = fast ? 0 : 8;
  for (int j = 0; j < h2; ++j) {
    if (j >= 2) {
      const int a = 2 * j + 1;
      const int b = 2 * j + 2;
      if (j == h2 - 1) {
        copy(b, 2 * j);
        if (a >= h)
          copy(a, 2 * j - 1);
        else
          filter(a, a);
      } else {
        if (a >= h)
          copy(a, 2 * j - 1);
        else
          filter(a, a);
        if (b >= h)
          copy(b, 2 * j - 2);
        else
          filter(b, b);
      }
    }
    int r[5];
    if (j == 0) {
      r[0] = 2;
      r[1] = 1;
      r[2] = 0;
      r[3] = 1;
      r[4] = 2;
    } else {
      for (int m = 0; m < 5; ++m)
        r[m] = 2 * j - 2 + m;
    }
    const T *l0 = lo(r[0]), *l1 = lo(r[1]), *l2 = lo(r[2]), *l3 = lo(r[3]), *l4 = lo(r[4]);
    const T *h0 = hi(r[0]), *h1 = hi(r[1]), *h2r = hi(r[2]), *h3 = hi(r[3]), *h4 = hi(r[4]);
    T* ll = bands.ll.data() + static_cast<size_t>(j) * w2;
    T* lh = bands.lh.data() + static_cast<size_t>(j) * w2;
    T* hl = bands.hl.data() + static_cast<size_t>(j) * w2;
    T* hh = bands.hh.data() + static_cast<size_t>(j) * w2;
    // The detail bands are quantised as they are produced.
    ForwardColumns<T>(l0, l1, l2, l3, l4, w2, shift, 0, ll, lh);
    ForwardColumns<T>(h0, h1, h2r, h3, h4, w2, 0, 0, hl, hh);
    RoundDivide<T>(lh, static_cast<size_t>(w2), detailStep, lh);
    RoundDivide<T>(hl, static_cast<size_t>(w2), detailStep, hl);
    RoundDivide<T>(hh, static_cast<size_t>(w2), detailStep, hh);
  }
}

template <typename T>
void vuWifForwardChroma(const vuWifRowSource& rows, int w, int h, int shift, T divisor,
                        vuWifBands<T>& bands, vuWifTransformScratch<T>& scratch) {
  scratch.input.resize(2 * static_cast<size_t>(w));
  int32_t* top = scratch.input.data();
  int32_t* bottom = top + w;
  const int w2 = bands.w2;
  const int h2 = bands.h2;
  const int blocksAcross = (w + 1) / 2;
  const int blocksDown = (h + 1) / 2;
  for (int y = 0; y < h2; ++y) {
    T* ll = bands.ll.data() + static_cast<size_t>(y) * w2;
    T* hl = bands.hl.data() + static_cast<size_t>(y) * w2;
    T* lh = bands.lh.data() + static_cast<size_t>(y) * w2;
    T* hh = bands.hh.data() + static_cast<size_t>(y) * w2;
    if (y >= blocksDown) {
      std::fill(ll, ll + w2, T(0));
      std::fill(hl, hl + w2, T(0));
      std::fill(lh, lh + w2, T(0));
      std::fill(hh, hh + w2, T(0));
      continue;
    }
    rows.Row(2 * y, top);
    if (2 * y + 1 < h)
      rows.Row(2 * y + 1, bottom);
    else
      std::memcpy(bottom, top, sizeof(int32_t) * static_cast<size_t>(w));
    const T multiplier = T(1) << (shift + 4);
    const int whole = w / 2;
    if constexpr (Is32(sizeof(T)))
      vuWifDspBest().forwardChroma(top, bottom, whole, multiplier, divisor, ll, hl, lh, hh);
    else
      plain::ForwardChroma<T>(top, bottom, whole, multiplier, divisor, ll, hl, lh, hh);
    // A last column on its own: its right neighbour repeats it.
    for (int x = whole; x < blocksAcross; ++x) {
      const T a = top[2 * x], c = bottom[2 * x];
      ll[x] = (a + a + c + c) * multiplier;
      hl[x] = 0;
      lh[x] = plain::TruncDivide<T>(a + a - c - c, divisor);
      hh[x] = 0;
    }
    std::fill(ll + blocksAcross, ll + w2, T(0));
    std::fill(hl + blocksAcross, hl + w2, T(0));
    std::fill(lh + blocksAcross, lh + w2, T(0));
    std::fill(hh + blocksAcross, hh + w2, T(0));
  }
}

// ---------------------------------------------------------------------------------------------
// Further levels.

template <typename T> void vuWifForward53Line(T* x, int n, T* out) {
  x[-1] = x[vuWifReflect(-1, n)];
  x[-2] = x[vuWifReflect(-2, n)];
  x[n] = x[vuWifReflect(n, n)];
  x[n + 1] = x[vuWifReflect(n + 1, n)];
  Analysis<T>(true, x, n / 2, out, out + n / 2);
}

template <typename T> void vuWifInverse53Line(T* u, int n, T* out) {
  u[-1] = u[vuWifReflect(-1, n)];
  u[-2] = u[vuWifReflect(-2, n)];
  u[n] = u[vuWifReflect(n, n)];
  u[n + 1] = u[vuWifReflect(n + 1, n)];
  Synthesis53<T>(u, n / 2, 0, out);
}

template <typename T>
void vuWifForwardFurtherLevels(vuWifBands<T>& bands, int levels,
                               vuWifTransformScratch<T>& scratch) {
  const int stride = bands.w2;
  T* data = bands.ll.data();
  int cw = bands.w2;
  int ch = bands.h2;
  scratch.line.resize(static_cast<size_t>(std::max(cw, ch)) + 4);
  scratch.rows.resize(static_cast<size_t>(bands.w2) * bands.h2);
  scratch.pointers.resize(static_cast<size_t>(ch) + 8);
  for (int level = 1; level < levels; ++level) {
    // Rows.
    T* x = scratch.line.data() + 2;
    for (int y = 0; y < ch; ++y) {
      T* row = data + static_cast<size_t>(y) * stride;
      std::memcpy(x, row, sizeof(T) * cw);
      vuWifForward53Line(x, cw, row);
    }
    // Columns, a whole row of results at a time.
    const T** r = scratch.pointers.data() + 2;
    for (int m = -2; m < ch + 2; ++m)
      r[m] = data + static_cast<size_t>(vuWifReflect(m, ch)) * stride;
    const int half = ch / 2;
    T* out = scratch.rows.data();
    for (int i = 0; i < half; ++i) {
      T* low = out + static_cast<size_t>(i) * cw;
      T* high = out + static_cast<size_t>(half + i) * cw;
      ForwardColumns<T>(r[2 * i - 2], r[2 * i - 1], r[2 * i], r[2 * i + 1], r[2 * i + 2], cw, 5, 5,
                        low, high);
    }
    for (int y = 0; y < ch; ++y)
      std::memcpy(data + static_cast<size_t>(y) * stride, out + static_cast<size_t>(y) * cw,
                  sizeof(T) * cw);
    cw /= 2;
    ch /= 2;
  }
}

template <typename T>
void vuWifInverseFurtherLevels(vuWifBands<T>& bands, int levels,
                               vuWifTransformScratch<T>& scratch) {
  const int stride = bands.w2;
  T* data = bands.ll.data();
  int a = bands.w2 >> (levels - 1);
  int b = bands.h2 >> (levels - 1);
  scratch.line.resize(static_cast<size_t>(std::max(bands.w2, bands.h2)) + 8);
  scratch.rows.resize(static_cast<size_t>(bands.w2) * bands.h2);
  scratch.pointers.resize(static_cast<size_t>(bands.h2) + 8);
  for (int level = 1; level < levels; ++level) {
    const int cw = 2 * a;
    const int ch = 2 * b;
    // Columns: the interleaved sequence low row i, high row b + i.
    const T** y = scratch.pointers.data() + 2;
    for (int m = -2; m < ch + 2; ++m) {
      const int k = vuWifReflect(m, ch);
      const int row = (k & 1) ? b + k / 2 : k / 2;
      y[m] = data + static_cast<size_t>(row) * stride;
    }
    T* out = scratch.rows.data();
    for (int i = 0; i < b; ++i) {
      T* even = out + static_cast<size_t>(2 * i) * cw;
      T* odd = even + cw;
      InverseColumns<T>(y[2 * i - 1], y[2 * i], y[2 * i + 1], y[2 * i + 2], y[2 * i + 3], cw, even,
                        odd);
    }
    for (int r = 0; r < ch; ++r)
      std::memcpy(data + static_cast<size_t>(r) * stride, out + static_cast<size_t>(r) * cw,
                  sizeof(T) * cw);
    // Rows.
    T* u = scratch.line.data() + 2;
    for (int r = 0; r < ch; ++r) {
      T* row = data + static_cast<size_t>(r) * stride;
      Interleave<T>(row, row + a, a, u);
      u[-1] = u[vuWifReflect(-1, cw)];
      u[-2] = u[vuWifReflect(-2, cw)];
      u[cw] = u[vuWifReflect(cw, cw)];
      u[cw + 1] = u[vuWifReflect(cw + 1, cw)];
      Synthesis53<T>(u, a, 5, row);
    }
    a = cw;
    b = ch;
  }
}

// ---------------------------------------------------------------------------------------------
// Inverse first level and chroma step.

namespace {

template <typename T> inline int32_t ScaleOut(T v, T multiplier, T divisor) {
  return static_cast<int32_t>(vuWifQuantise<T>(v * multiplier, divisor));
}

} // namespace

template <typename T>
void vuWifSynthesisRow(T* line, int W, int w, bool fast, T multiplier, T divisor, int32_t* out) {
  ReflectMargins(line, W);
  const T* u = line + kMargin;
  // The sums of one output row go to the space after the line, then are scaled in one pass.
  T* sums = line + W + 2 * kMargin;
  const int half = (w + 1) / 2;
  if (fast)
    Synthesis53<T>(u, half, 0, sums);
  else
    Synthesis97<T>(u, half, sums);
  if constexpr (Is32(sizeof(T))) {
    if (multiplier == 1) {
      RoundDivide<T>(sums, static_cast<size_t>(w), divisor, out);
      return;
    }
  }
  for (int n = 0; n < w; ++n)
    out[n] = ScaleOut(sums[n], multiplier, divisor);
}

template <typename T>
void vuWifInverseFirstLevel(const vuWifBands<T>& bands, int w, int h, bool fast,
                            vuWifOutputScale scale, vuWifRowSink& rows,
                            vuWifTransformScratch<T>& scratch) {
  const int w2 = bands.w2;
  const int h2 = bands.h2;
  const int W = 2 * w2;
  const int H = 2 * h2;
  scratch.line.resize(static_cast<size_t>(2 * W) + 2 * kMargin + 2);
  scratch.line2.resize(static_cast<size_t>(2 * W) + 2 * kMargin + 2);
  scratch.output.resize(static_cast<size_t>(w));
  int32_t* out = scratch.output.data();
  T* evenLine = scratch.line.data();
  T* oddLine = scratch.line2.data();
  scratch.rows.resize(4 * static_cast<size_t>(w2));
  T* columns = scratch.rows.data();
  const T multiplier = static_cast<T>(scale.multiplier);
  const T divisor = static_cast<T>(scale.divisor);
  // Row m of the interleaved sequences (low: LL/LH, high: HL/HH), reflected at both ends.
  auto rowOf = [&](const vuWifBuffer<T>& evenBand, const vuWifBuffer<T>& oddBand, int m) {
    const int k = vuWifReflect(m, H);
    return ((k & 1) ? oddBand.data() : evenBand.data()) + static_cast<size_t>(k / 2) * w2;
  };
  for (int i = 0; i < h2 && 2 * i < h; ++i) {
    const T* lo[5];
    const T* hi[5];
    for (int m = 0; m < 5; ++m) {
      lo[m] = rowOf(bands.ll, bands.lh, 2 * i - 1 + m);
      hi[m] = rowOf(bands.hl, bands.hh, 2 * i - 1 + m);
    }
    // The vertical step on the low and the high columns, then each output row interleaved.
    T* evenLow = columns;
    T* oddLow = columns + w2;
    T* evenHigh = columns + 2 * static_cast<size_t>(w2);
    T* oddHigh = columns + 3 * static_cast<size_t>(w2);
    InverseColumns<T>(lo[0], lo[1], lo[2], lo[3], lo[4], w2, evenLow, oddLow);
    InverseColumns<T>(hi[0], hi[1], hi[2], hi[3], hi[4], w2, evenHigh, oddHigh);
    Interleave<T>(evenLow, evenHigh, w2, evenLine + kMargin);
    Interleave<T>(oddLow, oddHigh, w2, oddLine + kMargin);
    vuWifSynthesisRow<T>(evenLine, W, w, fast, multiplier, divisor, out);
    rows.Row(2 * i, out);
    if (2 * i + 1 < h) {
      vuWifSynthesisRow<T>(oddLine, W, w, fast, multiplier, divisor, out);
      rows.Row(2 * i + 1, out);
    }
  }
}

namespace {
class PlaneRows final : public vuWifRowSink {
public:
  PlaneRows(int32_t* plane, int w) : plane_(plane), w_(w) {}
  void Row(int y, const int32_t* values) override {
    std::memcpy(plane_ + static_cast<size_t>(y) * w_, values, sizeof(int32_t) * w_);
  }

private:
  int32_t* plane_;
  int w_;
};
} // namespace

template <typename T>
void vuWifInverseFirstLevel(const vuWifBands<T>& bands, int w, int h, bool fast,
                            vuWifOutputScale scale, int32_t* plane,
                            vuWifTransformScratch<T>& scratch) {
  PlaneRows rows(plane, w);
  vuWifInverseFirstLevel<T>(bands, w, h, fast, scale, rows, scratch);
}

namespace {
// Stores a chroma value; 16-bit planes saturate (8-bit pictures never come near their limits).
template <typename C, typename T> inline C StoreChroma(T v) {
  if constexpr (sizeof(C) == 2) {
    return static_cast<C>(v < -32768 ? -32768 : v > 32767 ? 32767 : v);
  } else {
    return static_cast<C>(v);
  }
}
} // namespace

template <typename T, typename C>
void vuWifInverseChroma(const vuWifBands<T>& bands, int w, int h, T base, int shift, C* plane) {
  const int w2 = bands.w2;
  const int blocksAcross = (w + 1) / 2;
  const int blocksDown = (h + 1) / 2;
  // Whole blocks through the kernel (16-bit planes of 8-bit pictures), the rest one by one.
  int whole = 0;
  std::vector<C> spare;
  if constexpr (Is32(sizeof(T)) && sizeof(C) == 2) {
    whole = w / 2;
    if (h % 2) spare.resize(2 * static_cast<size_t>(whole) + 2);
  }
  for (int y = 0; y < blocksDown; ++y) {
    const T* ll = bands.ll.data() + static_cast<size_t>(y) * w2;
    const T* hl = bands.hl.data() + static_cast<size_t>(y) * w2;
    const T* lh = bands.lh.data() + static_cast<size_t>(y) * w2;
    const T* hh = bands.hh.data() + static_cast<size_t>(y) * w2;
    C* top = plane + static_cast<size_t>(2 * y) * w;
    C* bottom = 2 * y + 1 < h ? top + w : nullptr;
    if constexpr (Is32(sizeof(T)) && sizeof(C) == 2) {
      vuWifDspBest().inverseChroma(ll, hl, lh, hh, whole, base, shift, top,
                                   bottom ? bottom : spare.data());
    }
    for (int x = whole; x < blocksAcross; ++x) {
      const T a = ((ll[x] + hl[x] + lh[x] + hh[x]) * base) >> shift;
      const T b = ((ll[x] - hl[x] + lh[x] - hh[x]) * base) >> shift;
      const T c = ((ll[x] + hl[x] - lh[x] - hh[x]) * base) >> shift;
      const T d = ((ll[x] - hl[x] - lh[x] + hh[x]) * base) >> shift;
      const bool right = 2 * x + 1 < w;
      top[2 * x] = StoreChroma<C>(a);
      if (right) top[2 * x + 1] = StoreChroma<C>(b);
      if (bottom) {
        bottom[2 * x] = StoreChroma<C>(c);
        if (right) bottom[2 * x + 1] = StoreChroma<C>(d);
      }
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Coding order and prediction.

namespace {
// Calls f(row, column) for every position of the low-band subtree in coding order.
template <typename F> void ForEachInCodingOrder(int w2, int h2, int levels, F f) {
  int a = w2 >> (levels - 1);
  int b = h2 >> (levels - 1);
  for (int y = 0; y < b; ++y)
    for (int x = 0; x < a; ++x)
      f(y, x);
  for (int level = levels; level >= 2; --level) {
    for (int y = 0; y < b; ++y)
      for (int x = a; x < 2 * a; ++x)
        f(y, x);
    for (int y = b; y < 2 * b; ++y)
      for (int x = 0; x < a; ++x)
        f(y, x);
    for (int y = b; y < 2 * b; ++y)
      for (int x = a; x < 2 * a; ++x)
        f(y, x);
    a *= 2;
    b *= 2;
  }
}
} // namespace

template <typename T, typename V>
void vuWifToCodingOrder(const T* ll, int w2, int h2, int levels, V* out) {
  size_t n = 0;
  ForEachInCodingOrder(w2, h2, levels, [&](int y, int x) {
    out[n++] = static_cast<V>(ll[static_cast<size_t>(y) * w2 + x]);
  });
}

template <typename T>
void vuWifFromCodingOrder(const T* in, int w2, int h2, int levels, T multiplier, T* ll) {
  size_t n = 0;
  ForEachInCodingOrder(w2, h2, levels, [&](int y, int x) {
    ll[static_cast<size_t>(y) * w2 + x] = in[n++] * multiplier;
  });
}

template <typename V> void vuWifPredictLowBand(V* c, int a, int b) {
  for (int y = b - 1; y >= 0; --y) {
    V* row = c + static_cast<size_t>(y) * a;
    const V* up = row - a;
    for (int x = a - 1; x >= 0; --x) {
      if (y >= 1 && x >= 1) {
        row[x] -= (3 * (up[x] + row[x - 1]) - 2 * up[x - 1]) / 4;
      } else if (y >= 1) {
        row[0] -= up[0];
      } else if (x >= 1) {
        row[x] -= row[x - 1];
      }
    }
  }
}

template <typename V> void vuWifUnpredictLowBand(V* c, int a, int b) {
  for (int x = 1; x < a; ++x)
    c[x] += c[x - 1];
  for (int y = 1; y < b; ++y) {
    V* row = c + static_cast<size_t>(y) * a;
    const V* up = row - a;
    row[0] += up[0];
    for (int x = 1; x < a; ++x)
      row[x] += (3 * (row[x - 1] + up[x]) - 2 * up[x - 1]) / 4;
  }
}

#define VU_WIF_INSTANTIATE(T)                                                                      \
  template struct vuWifBands<T>;                                                                   \
  template void vuWifForwardFirstLevel<T>(const vuWifRowSource&, int, int, bool, T,                \
                                          vuWifBands<T>&, vuWifTransformScratch<T>&);              \
  template void vuWifForwardChroma<T>(const vuWifRowSource&, int, int, int, T, vuWifBands<T>&,     \
                                      vuWifTransformScratch<T>&);                                  \
  template void vuWifForwardFurtherLevels<T>(vuWifBands<T>&, int, vuWifTransformScratch<T>&);      \
  template void vuWifInverseFurtherLevels<T>(vuWifBands<T>&, int, vuWifTransformScratch<T>&);      \
  template void vuWifInverseFirstLevel<T>(const vuWifBands<T>&, int, int, bool, vuWifOutputScale,  \
                                          int32_t*, vuWifTransformScratch<T>&);                    \
  template void vuWifInverseFirstLevel<T>(const vuWifBands<T>&, int, int, bool, vuWifOutputScale,  \
                                          vuWifRowSink&, vuWifTransformScratch<T>&);               \
  template void vuWifInverseChroma<T, int32_t>(const vuWifBands<T>&, int, int, T, int, int32_t*);  \
  template void vuWifToCodingOrder<T, int32_t>(const T*, int, int, int, int32_t*);                 \
  template void vuWifFromCodingOrder<T>(const T*, int, int, int, T, T*);                           \
  template void vuWifUnpredictLowBand<T>(T*, int, int);                                            \
  template void vuWifAnalysisRow<T>(const int32_t*, int, int, bool, T*, T*, T*);                   \
  template void vuWifSynthesisRow<T>(T*, int, int, bool, T, T, int32_t*);                          \
  template void vuWifForward53Line<T>(T*, int, T*);                                                \
  template void vuWifInverse53Line<T>(T*, int, T*);

VU_WIF_INSTANTIATE(int32_t)
VU_WIF_INSTANTIATE(int64_t)
template void vuWifInverseChroma<int32_t, int16_t>(const vuWifBands<int32_t>&, int, int, int32_t,
                                                   int, int16_t*);
template void vuWifToCodingOrder<int64_t, int64_t>(const int64_t*, int, int, int, int64_t*);
template void vuWifPredictLowBand<int32_t>(int32_t*, int, int);
