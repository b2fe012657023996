#include "ClassicTestEncoder.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>

namespace classictest {

namespace {

// ---- Bits and bytes ------------------------------------------------------------------------

class Writer {
public:
  std::vector<uint8_t> bytes;

  void Byte(int value) {
    Align();
    bytes.push_back(uint8_t(value));
  }
  void BigEndian(uint32_t value, int n) {
    for (int i = n - 1; i >= 0; --i)
      Byte(int((value >> (8 * i)) & 0xFF));
  }
  // Bits fill each byte from its least significant end.
  void Bit(int bit) {
    current_ |= (bit & 1) << count_;
    if (++count_ == 8) {
      bytes.push_back(uint8_t(current_));
      current_ = 0;
      count_ = 0;
    }
  }
  void Bits(uint32_t value, int n) {
    for (int i = n - 1; i >= 0; --i)
      Bit(int((value >> i) & 1u));
  }
  void Align() {
    if (count_ > 0) {
      bytes.push_back(uint8_t(current_));
      current_ = 0;
      count_ = 0;
    }
  }

private:
  int current_ = 0;
  int count_ = 0;
};

// ---- Grouped Rice code ---------------------------------------------------------------------

uint32_t Unsigned(int32_t value) {
  return value >= 0 ? uint32_t(value) * 2u : uint32_t(-(int64_t)value) * 2u - 1u;
}

void EncodeRiceGroup(Writer& out, const int32_t* values, bool preferTiny) {
  uint32_t v[16];
  uint64_t sum = 0;
  for (int j = 0; j < 16; ++j) {
    v[j] = Unsigned(values[j]);
    sum += v[j];
  }
  int bestK = 0;
  uint64_t bestCost = UINT64_MAX;
  for (int k = 0; k <= 6; ++k) {
    uint64_t cost = 0;
    for (int j = 0; j < 16; ++j)
      cost += uint64_t(k) + (v[j] >> k) + 1;
    if (cost < bestCost) {
      bestCost = cost;
      bestK = k;
    }
  }
  // Tiny values: the values as runs of 1 digits, each ended by a 0 digit, three digits a step.
  if (sum + 16 <= 27) {
    std::vector<int> digits;
    for (int j = 0; j < 16; ++j) {
      digits.insert(digits.end(), v[j], 1);
      digits.push_back(0);
    }
    while (digits.size() % 3)
      digits.push_back(0);
    uint64_t cost = 0;
    for (size_t i = 0; i < digits.size(); i += 3) {
      int t = digits[i] * 4 + digits[i + 1] * 2 + digits[i + 2];
      cost += t == 0 ? 1 : (t == 1 || t == 2 || t == 4) ? 3 : 5;
    }
    if (preferTiny || cost < bestCost) {
      out.Bits(7, 3);
      for (size_t i = 0; i < digits.size(); i += 3) {
        int t = digits[i] * 4 + digits[i + 1] * 2 + digits[i + 2];
        switch (t) {
        case 0:
          out.Bit(1);
          break;
        case 1:
          out.Bits(0b001, 3);
          break; // 0, then 01
        case 2:
          out.Bits(0b010, 3);
          break; // 0, then 10
        case 4:
          out.Bits(0b011, 3);
          break; // 0, then 11
        case 3:
          out.Bits(0b00000, 5);
          break; // 0, 00, then 00
        case 5:
          out.Bits(0b00001, 5);
          break;
        case 6:
          out.Bits(0b00010, 5);
          break;
        case 7:
          out.Bits(0b00011, 5);
          break;
        }
      }
      return;
    }
  }
  out.Bits(uint32_t(bestK), 3);
  for (int j = 0; j < 16; ++j) {
    out.Bits(v[j] & ((1u << bestK) - 1u), bestK);
    for (uint32_t u = v[j] >> bestK; u > 0; --u)
      out.Bit(0);
    out.Bit(1);
  }
}

void EncodeRiceValues(Writer& out, const std::vector<int32_t>& list, size_t first, size_t count,
                      bool preferTiny) {
  for (size_t offset = 0; offset < count; offset += 16) {
    int32_t group[16] = {};
    for (size_t j = 0; j < 16 && offset + j < count; ++j)
      group[j] = list[first + offset + j];
    EncodeRiceGroup(out, group, preferTiny);
  }
}

// ---- Adaptive arithmetic code --------------------------------------------------------------

class Model {
public:
  static constexpr int kSymbols = 7;
  static constexpr int kEnd = 7;
  void Reset() {
    for (int i = 0; i <= kSymbols; ++i) {
      freq[i] = 1;
      cum[i] = kSymbols - i;
    }
    freq[0] = 0;
    for (int c = 0; c < 6; ++c) {
      charToIndex[c] = c + 1;
      indexToChar[c + 1] = c;
    }
  }
  void Update(int index) {
    if (cum[0] == 16383) {
      int sum = 0;
      for (int i = kSymbols; i >= 0; --i) {
        freq[i] = (freq[i] + 1) / 2;
        cum[i] = sum;
        sum += freq[i];
      }
    }
    int i;
    for (i = index; freq[i] == freq[i - 1]; --i) {
    }
    if (i < index) {
      int ci = indexToChar[i], cs = indexToChar[index];
      indexToChar[i] = cs;
      indexToChar[index] = ci;
      charToIndex[ci] = index;
      charToIndex[cs] = i;
    }
    freq[i] += 1;
    while (i > 0)
      cum[--i] += 1;
  }
  int freq[kSymbols + 1];
  int cum[kSymbols + 1];
  int charToIndex[6];
  int indexToChar[kSymbols + 1];
};

class ArithmeticEncoder {
public:
  explicit ArithmeticEncoder(Writer& out) : out_(out) { model.Reset(); }
  // A character 0..5, or -1 for the end symbol.
  void Encode(int character) {
    int index = character < 0 ? Model::kEnd : model.charToIndex[character];
    int64_t range = int64_t(high_) - low_ + 1;
    high_ = int32_t(low_ + range * model.cum[index - 1] / model.cum[0] - 1);
    low_ = int32_t(low_ + range * model.cum[index] / model.cum[0]);
    for (;;) {
      if (high_ < 32768) {
        Emit(0);
      } else if (low_ >= 32768) {
        Emit(1);
        low_ -= 32768;
        high_ -= 32768;
      } else if (low_ >= 16384 && high_ < 49152) {
        ++follow_;
        low_ -= 16384;
        high_ -= 16384;
      } else {
        break;
      }
      low_ = 2 * low_;
      high_ = 2 * high_ + 1;
    }
    if (character >= 0) model.Update(index);
  }
  void Finish() {
    ++follow_;
    Emit(low_ < 16384 ? 0 : 1);
    out_.Align();
  }
  Model model;

private:
  void Emit(int bit) {
    out_.Bit(bit);
    for (; follow_ > 0; --follow_)
      out_.Bit(!bit);
  }
  Writer& out_;
  int32_t low_ = 0;
  int32_t high_ = 65535;
  int follow_ = 0;
};

void EncodeRun(ArithmeticEncoder& coder, int64_t run) {
  int token = (run & 1) ? 2 : 3;
  int64_t m = (run - (token == 2 ? 1 : 0)) / 2;
  coder.Encode(token);
  // Bijective base 4, lowest digit first: digit d (1..4) is the symbol d - 1.
  while (m > 0) {
    int64_t d = m % 4 == 0 ? 4 : m % 4;
    coder.Encode(int(d - 1));
    m = (m - d) / 4;
  }
}

void EncodeStage(ArithmeticEncoder& coder, const std::vector<int32_t>& list, int64_t first,
                 int64_t last, const EncodeOptions& options) {
  coder.model.Reset();
  int64_t p = first;
  while (p < last) {
    if (list[p] == 0) {
      int64_t n = 0;
      while (p + n < last && list[p + n] == 0)
        ++n;
      bool toEnd = p + n == last;
      EncodeRun(coder, toEnd && options.overlongFinalRuns ? n + 1 : n);
      p += n;
      continue;
    }
    int64_t value = list[p];
    uint64_t magnitude = uint64_t(value < 0 ? -value : value);
    coder.Encode(value > 0 ? 4 : 5);
    int top = 63;
    while (!((magnitude >> top) & 1))
      --top;
    for (int b = top - 1; b >= 0; --b)
      coder.Encode(int((magnitude >> b) & 1));
    ++p;
    if (p == last) coder.Encode(options.endSymbolTerminator ? -1 : 2);
  }
}

// ---- Transforms ----------------------------------------------------------------------------

// Lifting steps of the two families (analysis); the synthesis side inverts them.
struct Lifting {
  std::vector<double> steps; // predict (odd), update (even), predict, update ...
  double lowScale = 1;       // divide the low results by this
  double highScale = 1;
};

void LiftForward(std::vector<double>& x, const std::vector<double>& steps) {
  int64_t n = int64_t(x.size());
  auto at = [&](int64_t i) { return x[size_t(i < 0 ? -i : i >= n ? 2 * (n - 1) - i : i)]; };
  for (size_t s = 0; s < steps.size(); ++s) {
    int64_t start = (s % 2 == 0) ? 1 : 0;
    for (int64_t i = start; i < n; i += 2)
      x[size_t(i)] += steps[s] * (at(i - 1) + at(i + 1));
  }
}

void LiftBackward(std::vector<double>& x, const std::vector<double>& steps) {
  int64_t n = int64_t(x.size());
  auto at = [&](int64_t i) { return x[size_t(i < 0 ? -i : i >= n ? 2 * (n - 1) - i : i)]; };
  for (size_t s = steps.size(); s-- > 0;) {
    int64_t start = (s % 2 == 0) ? 1 : 0;
    for (int64_t i = start; i < n; i += 2)
      x[size_t(i)] -= steps[s] * (at(i - 1) + at(i + 1));
  }
}

// The scales that make the lifting's inverse equal the decoder's tap synthesis: the response at
// the centre of a unit low (or high) coefficient must be the tap at distance 0.
Lifting MakeLifting(bool fiveThree) {
  Lifting lifting;
  if (fiveThree) {
    lifting.steps = {-0.5, 0.25};
  } else {
    lifting.steps = {-1.586134342059924, -0.052980118572961, 0.882911075530934, 0.443506852043971};
  }
  double centreLow = fiveThree ? 0.75 : 0.788485;
  double centreHigh = fiveThree ? 1.125 : 0.852699;
  std::vector<double> impulse(32, 0.0);
  impulse[16] = 1.0;
  LiftBackward(impulse, lifting.steps);
  lifting.lowScale = centreLow / impulse[16];
  std::fill(impulse.begin(), impulse.end(), 0.0);
  impulse[17] = 1.0;
  LiftBackward(impulse, lifting.steps);
  lifting.highScale = centreHigh / impulse[17];
  return lifting;
}

// One analysis of a line: low results into low[], high into high[].
void AnalyseLine(std::vector<double>& x, const Lifting& lifting, double* low, double* high) {
  LiftForward(x, lifting.steps);
  for (size_t m = 0; m < x.size() / 2; ++m) {
    low[m] = x[2 * m] / lifting.lowScale;
    high[m] = x[2 * m + 1] / lifting.highScale;
  }
}

// One 2-D level over the top-left w x h of a plane with row length `stride`: afterwards the
// low band is top-left, HL top-right, LH bottom-left, HH bottom-right.
void AnalyseLevel(std::vector<double>& plane, int64_t stride, int64_t w, int64_t h,
                  const Lifting& lifting) {
  std::vector<double> line, low, high;
  line.resize(size_t(w));
  low.resize(size_t(w / 2));
  high.resize(size_t(w / 2));
  for (int64_t r = 0; r < h; ++r) {
    for (int64_t c = 0; c < w; ++c)
      line[size_t(c)] = plane[size_t(r * stride + c)];
    AnalyseLine(line, lifting, low.data(), high.data());
    for (int64_t c = 0; c < w / 2; ++c) {
      plane[size_t(r * stride + c)] = low[size_t(c)];
      plane[size_t(r * stride + w / 2 + c)] = high[size_t(c)];
    }
  }
  line.resize(size_t(h));
  low.resize(size_t(h / 2));
  high.resize(size_t(h / 2));
  for (int64_t c = 0; c < w; ++c) {
    for (int64_t r = 0; r < h; ++r)
      line[size_t(r)] = plane[size_t(r * stride + c)];
    AnalyseLine(line, lifting, low.data(), high.data());
    for (int64_t r = 0; r < h / 2; ++r) {
      plane[size_t(r * stride + c)] = low[size_t(r)];
      plane[size_t((h / 2 + r) * stride + c)] = high[size_t(r)];
    }
  }
}

// ---- Scan orders ---------------------------------------------------------------------------

enum Band { kHL, kLH, kHH };

// Positions (column, row) of a band in stream order.
std::vector<std::pair<int64_t, int64_t>> BandOrder(Band band, int side, int64_t bw, int64_t bh) {
  std::vector<std::pair<int64_t, int64_t>> order;
  bool transposed = band == kHL;
  if (side == 1) {
    if (transposed) {
      for (int64_t x = 0; x < bw; ++x)
        for (int64_t y = 0; y < bh; ++y)
          order.push_back({x, y});
    } else {
      for (int64_t y = 0; y < bh; ++y)
        for (int64_t x = 0; x < bw; ++x)
          order.push_back({x, y});
    }
    return order;
  }
  auto inside = [&](int k, int* row, int* column) {
    if (side == 2) {
      static const int kRows[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
      static const int kColumns[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
      *row = transposed ? kColumns[k][0] : kRows[k][0];
      *column = transposed ? kColumns[k][1] : kRows[k][1];
      return;
    }
    int a, b;
    HilbertWalk(side, k, &a, &b);
    *row = transposed ? b : a;
    *column = transposed ? a : b;
  };
  auto block = [&](int64_t bx, int64_t by) {
    for (int k = 0; k < side * side; ++k) {
      int row, column;
      inside(k, &row, &column);
      order.push_back({bx * side + column, by * side + row});
    }
  };
  if (transposed) {
    for (int64_t bx = 0; bx < bw / side; ++bx)
      for (int64_t by = 0; by < bh / side; ++by)
        block(bx, by);
  } else {
    for (int64_t by = 0; by < bh / side; ++by)
      for (int64_t bx = 0; bx < bw / side; ++bx)
        block(bx, by);
  }
  return order;
}

int SideFor(int finer) {
  return finer <= 0 ? 1 : finer == 1 ? 2 : finer == 2 ? 4 : 8;
}

int64_t HalfPadded(int size, int levels) {
  int64_t v = size;
  for (int i = 0; i < levels; ++i)
    v = (v + 1) / 2;
  return v << (levels - 1);
}

bool AtLeast(const EncodeOptions& o, int major, int minor) {
  return o.revisionMajor > major || (o.revisionMajor == major && o.revisionMinor >= minor);
}

// ---- One channel ---------------------------------------------------------------------------

struct ChannelCoefficients {
  std::vector<int32_t> lowQuarter; // expanse order: residuals of the lowest band, then levels
  std::vector<int32_t> detail[3];  // HL, LH, HH planes of the finest level, in scan order
  int32_t first = 0;               // the lowest band's first coefficient, carried by M
};

ChannelCoefficients Analyse(const std::vector<double>& signal, int width, int height, int levels,
                            bool fiveThree, double step) {
  int64_t w2 = HalfPadded(width, levels), h2 = HalfPadded(height, levels);
  int64_t pw = 2 * w2, ph = 2 * h2;
  // Pad by mirroring the picture (any padding would do: the decoder drops it).
  auto fold = [](int64_t i, int64_t n) {
    if (n == 1) return int64_t(0);
    int64_t period = 2 * (n - 1);
    i %= period;
    return i < n ? i : period - i;
  };
  std::vector<double> plane(size_t(pw * ph));
  for (int64_t r = 0; r < ph; ++r)
    for (int64_t c = 0; c < pw; ++c)
      plane[size_t(r * pw + c)] = signal[size_t(fold(r, height) * width + fold(c, width))];
  Lifting lifting = MakeLifting(fiveThree);
  for (int level = 1; level <= levels; ++level)
    AnalyseLevel(plane, pw, pw >> (level - 1), ph >> (level - 1), lifting);

  auto q = [&](int64_t x, int64_t y) {
    return int32_t(std::lround(plane[size_t(y * pw + x)] / step));
  };
  ChannelCoefficients out;
  bool blocked = !fiveThree; // the digit ties the scan family to the filters
  int inner = levels - 1;
  int64_t bw0 = w2 >> inner, bh0 = h2 >> inner;
  std::vector<int32_t> lowest(size_t(bw0 * bh0));
  for (int64_t y = 0; y < bh0; ++y)
    for (int64_t x = 0; x < bw0; ++x)
      lowest[size_t(y * bw0 + x)] = q(x, y);
  // Prediction from already coded neighbours.
  for (int64_t y = 0; y < bh0; ++y) {
    for (int64_t x = 0; x < bw0; ++x) {
      auto at = [&](int64_t xx, int64_t yy) { return int64_t(lowest[size_t(yy * bw0 + xx)]); };
      int64_t prediction = 0;
      if (y == 0 && x > 0) prediction = at(x - 1, 0);
      if (y > 0 && x == 0) prediction = at(0, y - 1);
      if (y > 0 && x > 0)
        prediction = (3 * (at(x - 1, y) + at(x, y - 1)) - 2 * at(x - 1, y - 1)) / 4;
      out.lowQuarter.push_back(int32_t(at(x, y) - prediction));
    }
  }
  out.first = lowest[0];
  for (int level = inner; level >= 1; --level) {
    int64_t bw = w2 >> level, bh = h2 >> level;
    int side = blocked ? SideFor(inner - level) : 1;
    for (Band band : {kHL, kLH, kHH}) {
      int64_t x0 = band == kLH ? 0 : bw, y0 = band == kHL ? 0 : bh;
      for (auto [x, y] : BandOrder(band, side, bw, bh))
        out.lowQuarter.push_back(q(x0 + x, y0 + y));
    }
  }
  int side = blocked ? SideFor(levels - 1) : 1;
  for (Band band : {kHL, kLH, kHH}) {
    int64_t x0 = band == kLH ? 0 : w2, y0 = band == kHL ? 0 : h2;
    for (auto [x, y] : BandOrder(band, side, w2, h2))
      out.detail[band].push_back(std::clamp(q(x0 + x, y0 + y), -128, 127));
  }
  return out;
}

} // namespace

std::vector<uint8_t> EncodeSymbolStages(const std::vector<std::vector<int>>& stages) {
  Writer out;
  ArithmeticEncoder coder(out);
  for (const auto& stage : stages) {
    coder.model.Reset();
    for (int symbol : stage)
      coder.Encode(symbol);
  }
  coder.Finish();
  out.Byte(0);
  out.Byte(0);
  return out.bytes;
}

void HilbertWalk(int n, int k, int* a, int* b) {
  int x = 0, y = 0;
  for (int s = 1, t = k; s < n; s *= 2, t /= 4) {
    int rx = 1 & (t / 2);
    int ry = 1 & (t ^ rx);
    if (ry == 0) {
      if (rx == 1) {
        x = s - 1 - x;
        y = s - 1 - y;
      }
      std::swap(x, y);
    }
    x += s * rx;
    y += s * ry;
  }
  *a = y;
  *b = x;
}

std::vector<uint8_t> EncodeClassic(const Picture& picture, const EncodeOptions& options) {
  bool color = options.digit == '6' || options.digit == '8';
  bool fiveThree = options.digit == '7' || options.digit == '8';
  int sampleBytes = AtLeast(options, 4, 7) && options.sampleBytesField == 2 ? 2 : 1;
  int sampleBits =
      sampleBytes == 2 ? (options.sampleBitsField == 0 ? 16 : options.sampleBitsField) : 0;
  int base = options.quantizerByte + (AtLeast(options, 3, 7) ? 2 : 0);
  double q = sampleBytes == 2 && sampleBits > 8 ? base * std::ldexp(1.0, sampleBits - 8) / 3.0
                                                : base / 3.0;
  int L = options.levels, K = options.coarseLevels;
  int W = picture.width, H = picture.height;
  if ((picture.channels == 3) != color) throw std::invalid_argument("channels and digit differ");

  // Channel signals in coded order: coded row r is the picture's row H - 1 - r.
  size_t count = size_t(W) * H;
  std::vector<std::vector<double>> signals(color ? 3 : 1, std::vector<double>(count));
  for (int r = 0; r < H; ++r) {
    for (int x = 0; x < W; ++x) {
      size_t i = size_t(r) * W + x;
      int y = H - 1 - r;
      if (!color) {
        signals[0][i] = picture.At(x, y, 0);
        continue;
      }
      double red = picture.At(x, y, 0), green = picture.At(x, y, 1), blue = picture.At(x, y, 2);
      double luma = (red + green + blue) / 3.0;
      signals[0][i] = luma;
      signals[1][i] = luma - green;
      signals[2][i] = luma - red;
    }
  }

  Writer out;
  out.bytes.push_back('W');
  if (!options.shortForm) {
    out.bytes.push_back('I');
    out.bytes.push_back('F');
  }
  out.bytes.push_back(uint8_t(options.digit));
  size_t headerEnd = out.bytes.size() + 16;
  size_t dataOffset = headerEnd + options.comment.size();
  out.Byte(options.revisionMajor);
  out.Byte(options.revisionMinor);
  out.BigEndian(uint32_t(W), 2);
  out.BigEndian(uint32_t(H), 2);
  out.Byte((K << 4) | L);
  out.Byte(options.quantizerByte);
  out.BigEndian(uint32_t(dataOffset), 2);
  out.Byte(options.sampleBitsField);
  out.Byte(options.sampleBytesField);
  out.BigEndian(0, 4);
  for (char c : options.comment)
    out.Byte(uint8_t(c));

  int64_t w2 = HalfPadded(W, L), h2 = HalfPadded(H, L);
  int64_t quarter = w2 * h2;
  int64_t nc = K < L ? quarter >> (2 * (L - 1 - K)) : quarter;

  std::vector<std::vector<uint8_t>> chunks;
  for (size_t channel = 0; channel < signals.size(); ++channel) {
    bool chroma = channel > 0;
    double step = chroma ? double(float(1.5 * float(q))) : double(float(q));
    ChannelCoefficients coefficients = Analyse(signals[channel], W, H, L, fiveThree, step);
    int k = K;
    int64_t n = nc;
    if (chroma) {
      k = std::max(K - 1, 0);
      if (K >= 1 && K < L) n = nc / 4;
    }
    int a = std::max(L - k, 0);

    Writer part;
    // Low part: M, the Rice-coded coarse values, a marker, then the finer inner levels.
    std::vector<int32_t>& low = coefficients.lowQuarter;
    int32_t first = coefficients.first;
    uint32_t m = 0;
    if (first > 0 && first <= 32767) {
      m = uint32_t(first);
      low[0] = 0;
    } else if (first < 0 && first >= -32767) {
      m = uint32_t(-first);
      low[0] = -1;
    } else {
      m = first == 0 ? 0 : 1;
      low[0] = first;
    }
    part.BigEndian(m, 2);
    EncodeRiceValues(part, low, 0, size_t(n), options.preferTinyGroups);
    part.Byte(0xFF);
    std::unique_ptr<ArithmeticEncoder> open;
    auto close = [&](bool marker) {
      open->Finish();
      // The decoder reads up to 16 bits ahead; the skip to the marker must start after them.
      if (marker || options.padGreyTail) {
        part.Byte(0);
        part.Byte(0);
      }
      if (marker) part.Byte(0xFF);
      open.reset();
    };
    if (k < L - 1) {
      open = std::make_unique<ArithmeticEncoder>(part);
      int64_t stageStart = n;
      for (int s = 0; s < std::max(a - 1, 1); ++s) {
        EncodeStage(*open, low, stageStart, 4 * stageStart, options);
        stageStart *= 4;
      }
      if (!chroma) close(true);
    }
    if (!color) {
      chunks.push_back(part.bytes);
      part.bytes.clear();
    }
    if (color && !chroma) {
      chunks.push_back(part.bytes);
      part.bytes.clear();
    }
    // Detail part.
    if (k >= L) {
      for (int b = 0; b < 3; ++b)
        EncodeRiceValues(part, coefficients.detail[b], 0, size_t(quarter),
                         options.preferTinyGroups);
      if (color) part.Byte(0xFF);
      part.Align();
    } else {
      if (!open) open = std::make_unique<ArithmeticEncoder>(part);
      for (int b = 0; b < 3; ++b)
        EncodeStage(*open, coefficients.detail[b], 0, quarter, options);
      close(color);
    }
    part.Align();
    chunks.push_back(part.bytes);
  }

  // Every chunk is preceded by a word counting its bytes and the word after it.
  for (const auto& chunk : chunks) {
    out.BigEndian(uint32_t(chunk.size() + 4), 4);
    out.bytes.insert(out.bytes.end(), chunk.begin(), chunk.end());
  }
  return out.bytes;
}

} // namespace classictest
