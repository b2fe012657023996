#include "codec/classic/ClassicSynthesis.h"

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

namespace vu::classic {

namespace {

// The printed six-decimal values: the decoders that made these files used exactly these.
const ClassicFilter kFilter97 = {4,
                                 5,
                                 {0.788485, -0.377403, -0.040690, 0.023849, 0.0},
                                 {0.852699, 0.418092, -0.110624, -0.064539, 0.037829}};
const ClassicFilter kFilter53 = {2, 3, {0.75, -0.375, 0, 0, 0}, {1.125, 0.375, -0.1875, 0, 0}};

constexpr int kPad = 4;

template <class Value> std::unique_ptr<Value[]> Allocate(int64_t count) {
  return std::unique_ptr<Value[]>(new (std::nothrow) Value[static_cast<size_t>(count)]);
}

// Sum of taps[|j|] x at(centre + j) for j from -(count - 1) up, in double precision.
template <class Tap, class At> double TapSum(const Tap* taps, int count, At&& at) {
  double sum = 0.0;
  for (int j = -(count - 1); j < count; ++j)
    sum += double(taps[j < 0 ? -j : j]) * double(at(j));
  return sum;
}

} // namespace

const ClassicFilter& ClassicFilter97() {
  return kFilter97;
}
const ClassicFilter& ClassicFilter53() {
  return kFilter53;
}

namespace {

// Synthesises the n values at x[0..n) into out; x has kPad free slots on both sides, which are
// filled with the symmetric extension first.
void SynthesizePadded(float* x, int64_t n, float* out, const double* even, int evenCount,
                      const double* odd, int oddCount) {
  for (int j = 1; j <= kPad; ++j) {
    x[-j] = x[ClassicFold(-j, n)];
    x[n - 1 + j] = x[ClassicFold(n - 1 + j, n)];
  }
  for (int64_t k = 0; k < n; ++k) {
    const double* taps = (k & 1) ? odd : even;
    int count = (k & 1) ? oddCount : evenCount;
    out[k] = static_cast<float>(TapSum(taps, count, [&](int j) { return x[k + j]; }));
  }
}

} // namespace

void ClassicSynthesizeLine(const float* line, int64_t n, float* out, const double* even,
                           int evenCount, const double* odd, int oddCount) {
  if (n <= 0) return;
  std::vector<float> buffer(static_cast<size_t>(n + 2 * kPad));
  std::copy(line, line + n, buffer.begin() + kPad);
  SynthesizePadded(buffer.data() + kPad, n, out, even, evenCount, odd, oddCount);
}

void ClassicInnerSynthesis(const ClassicLayout& layout, const ClassicFilter& filter, float* plane) {
  int64_t w2 = layout.halfWidth;
  int64_t bw = layout.LowestWidth();
  int64_t bh = layout.LowestHeight();
  int64_t longest = std::max(layout.halfWidth, layout.halfHeight);
  std::vector<float> buffer(static_cast<size_t>(longest + 2 * kPad));
  std::vector<float> out(static_cast<size_t>(longest));
  float* line = buffer.data() + kPad;
  auto synthesize = [&](int64_t n, float* target) {
    SynthesizePadded(line, n, target, filter.even, filter.evenCount, filter.odd, filter.oddCount);
  };
  for (int level = layout.InnerLevels(); level >= 1; --level) {
    // Columns: low rows 0..bh-1 interleaved with high rows bh..2bh-1.
    for (int64_t c = 0; c < 2 * bw; ++c) {
      for (int64_t r = 0; r < bh; ++r) {
        line[2 * r] = plane[r * w2 + c];
        line[2 * r + 1] = plane[(bh + r) * w2 + c];
      }
      synthesize(2 * bh, out.data());
      for (int64_t r = 0; r < 2 * bh; ++r)
        plane[r * w2 + c] = out[r];
    }
    // Rows: low columns 0..bw-1 interleaved with high columns bw..2bw-1.
    for (int64_t r = 0; r < 2 * bh; ++r) {
      float* row = plane + r * w2;
      for (int64_t c = 0; c < bw; ++c) {
        line[2 * c] = row[c];
        line[2 * c + 1] = row[bw + c];
      }
      synthesize(2 * bw, row);
    }
    bw *= 2;
    bh *= 2;
  }
}

int ClassicFinalSynthesis(const ClassicLayout& layout, const ClassicFilter& filter, float step,
                          const float* lowQuarter, const int8_t* hl, const int8_t* lh,
                          const int8_t* hh, const ClassicRowSink& sink) {
  int64_t w2 = layout.halfWidth;
  int64_t lines = 2 * layout.halfHeight; // interleaved rows
  int64_t n = 2 * w2;

  // Single-precision tables with the printed values; the vertical ones scaled by the step.
  float evenTaps[5], oddTaps[5], evenScaled[5], oddScaled[5];
  for (int d = 0; d < 5; ++d) {
    evenTaps[d] = static_cast<float>(filter.even[d]);
    oddTaps[d] = static_cast<float>(filter.odd[d]);
    evenScaled[d] = evenTaps[d] * step;
    oddScaled[d] = oddTaps[d] * step;
  }

  auto lineA = Allocate<float>(n + 2 * kPad);
  auto lineB = Allocate<float>(n + 2 * kPad);
  auto output = Allocate<float>(n);
  if (!lineA || !lineB || !output) return -3;

  // Interleaved row r of the left set (low quarter / LH) and of the right set (HL / HH).
  auto left = [&](int64_t r, int64_t c) -> float {
    return (r & 1) ? float(lh[(r >> 1) * w2 + c]) : lowQuarter[(r >> 1) * w2 + c];
  };
  auto right = [&](int64_t r, int64_t c) -> float {
    return (r & 1) ? float(hh[(r >> 1) * w2 + c]) : float(hl[(r >> 1) * w2 + c]);
  };

  int64_t pairs = (layout.height + 1) / 2;
  int64_t rowsOf[2][9];
  for (int64_t i = 0; i < pairs; ++i) {
    for (int j = -kPad; j <= kPad; ++j) {
      rowsOf[0][j + kPad] = ClassicFold(2 * i + j, lines);
      rowsOf[1][j + kPad] = ClassicFold(2 * i + 1 + j, lines);
    }
    float* a = lineA.get() + kPad;
    float* b = lineB.get() + kPad;
    for (int64_t c = 0; c < w2; ++c) {
      auto at = [&](int parity, auto&& set) {
        return [&, parity](int j) { return set(rowsOf[parity][j + kPad], c); };
      };
      a[2 * c] = float(TapSum(evenScaled, filter.evenCount, at(0, left)));
      a[2 * c + 1] = float(TapSum(evenScaled, filter.evenCount, at(0, right)));
      b[2 * c] = float(TapSum(oddScaled, filter.oddCount, at(1, left)));
      b[2 * c + 1] = float(TapSum(oddScaled, filter.oddCount, at(1, right)));
    }
    for (int second = 0; second < 2; ++second) {
      int64_t row = 2 * i + second;
      if (row >= layout.height) break;
      float* x = second ? b : a;
      for (int j = 1; j <= kPad; ++j) {
        x[-j] = x[ClassicFold(-j, n)];
        x[n - 1 + j] = x[ClassicFold(n - 1 + j, n)];
      }
      for (int64_t k = 0; k < n; ++k) {
        const float* taps = (k & 1) ? oddTaps : evenTaps;
        int count = (k & 1) ? filter.oddCount : filter.evenCount;
        output[k] = float(TapSum(taps, count, [&](int j) { return x[k + j]; }));
      }
      sink(row, output.get());
    }
  }
  return 0;
}

} // namespace vu::classic
