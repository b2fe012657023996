// The codec's row kernels: every vectorised version against the plain one on random rows of every
// length from 1 to 70, and on rows of a real photograph.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "WifTestSupport.h"
#include "codec/wif2/dsp/vuWifDsp.h"

namespace {

std::vector<int32_t> RandomValues(std::mt19937& random, size_t n, int32_t low, int32_t high) {
  std::uniform_int_distribution<int32_t> value(low, high);
  std::vector<int32_t> v(n);
  for (int32_t& x : v)
    x = value(random);
  return v;
}

// Rows of values: random ones in a given range, or photograph samples scaled like a luma plane
// (0..1020) with random noise, so both smooth and wild rows are covered.
class Rows {
public:
  Rows() : photo_(wiftest::LoadSample("camera.pgm")) {}
  std::vector<int32_t> Make(size_t n, int32_t range, int kind) {
    if (kind == 0) return RandomValues(random_, n, -range, range);
    std::vector<int32_t> v(n);
    const int y = int(random_() % unsigned(photo_.height));
    const int x0 = int(random_() % unsigned(photo_.width));
    for (size_t i = 0; i < n; ++i)
      v[i] =
          4 * photo_.At(int((x0 + i) % unsigned(photo_.width)), y, 0) + int32_t(random_() % 5) - 2;
    return v;
  }
  std::mt19937& random() { return random_; }

private:
  std::mt19937 random_{11};
  wiftest::Picture photo_;
};

std::vector<vuSimdLevel> VectorLevels() {
  std::vector<vuSimdLevel> levels;
  for (int l = VU_SIMD_SSE4; l <= vuSimdBestLevel(); ++l)
    levels.push_back(vuSimdLevel(l));
  return levels;
}

} // namespace

TEST(WifDsp, LiftingStepsMatchThePlainVersions) {
  const vuWifDsp& plain = vuWifDspFor(VU_SIMD_PLAIN);
  Rows rows;
  for (vuSimdLevel level : VectorLevels()) {
    const vuWifDsp& dsp = vuWifDspFor(level);
    for (int half = 1; half <= 70; ++half) {
      for (int kind = 0; kind < 3; ++kind) {
        SCOPED_TRACE(testing::Message()
                     << vuSimdLevelName(level) << " half " << half << " kind " << kind);
        const int32_t range = kind == 2 ? INT32_MAX : 1 << 20; // kind 2: sums that wrap
        for (int margin : {2, 4}) {
          // Exactly the line the kernel may read: margins on both sides and nothing more.
          const std::vector<int32_t> line = rows.Make(2 * size_t(half) + 2 * margin, range, kind);
          const int32_t* x = line.data() + margin;
          std::vector<int32_t> lo(half), hi(half), lo2(half), hi2(half);
          std::vector<int32_t> out(2 * size_t(half)), out2(2 * size_t(half));
          if (margin == 2) {
            plain.analysis53(x, half, lo.data(), hi.data());
            dsp.analysis53(x, half, lo2.data(), hi2.data());
            const int shift = int(rows.random()() % 6);
            plain.synthesis53(x, half, shift, out.data());
            dsp.synthesis53(x, half, shift, out2.data());
          } else {
            plain.analysis97(x, half, lo.data(), hi.data());
            dsp.analysis97(x, half, lo2.data(), hi2.data());
            plain.synthesis97(x, half, out.data());
            dsp.synthesis97(x, half, out2.data());
          }
          ASSERT_EQ(lo2, lo) << "margin " << margin;
          ASSERT_EQ(hi2, hi) << "margin " << margin;
          ASSERT_EQ(out2, out) << "margin " << margin;
        }
        // The vertical steps over five rows.
        std::vector<std::vector<int32_t>> five;
        for (int r = 0; r < 5; ++r)
          five.push_back(rows.Make(size_t(half), range, kind));
        std::vector<int32_t> a(half), b(half), a2(half), b2(half);
        const int lowShift = int(rows.random()() % 9), highShift = int(rows.random()() % 6);
        plain.forwardColumns(five[0].data(), five[1].data(), five[2].data(), five[3].data(),
                             five[4].data(), half, lowShift, highShift, a.data(), b.data());
        dsp.forwardColumns(five[0].data(), five[1].data(), five[2].data(), five[3].data(),
                           five[4].data(), half, lowShift, highShift, a2.data(), b2.data());
        ASSERT_EQ(a2, a);
        ASSERT_EQ(b2, b);
        plain.inverseColumns(five[0].data(), five[1].data(), five[2].data(), five[3].data(),
                             five[4].data(), half, a.data(), b.data());
        dsp.inverseColumns(five[0].data(), five[1].data(), five[2].data(), five[3].data(),
                           five[4].data(), half, a2.data(), b2.data());
        ASSERT_EQ(a2, a);
        ASSERT_EQ(b2, b);
        std::vector<int32_t> woven(2 * size_t(half)), woven2(2 * size_t(half));
        plain.interleave(five[0].data(), five[1].data(), half, woven.data());
        dsp.interleave(five[0].data(), five[1].data(), half, woven2.data());
        ASSERT_EQ(woven2, woven);
      }
    }
  }
}

TEST(WifDsp, RoundingDivisionsMatchThePlainVersion) {
  const vuWifDsp& plain = vuWifDspFor(VU_SIMD_PLAIN);
  std::mt19937 random(5);
  // The steps and divisors the codec uses (P1, P2, D at several qualities) and odd small ones.
  const int32_t divisors[] = {1, 2, 3, 7, 315, 832, 3328, 80660, 87381, 212992, 852992};
  for (vuSimdLevel level : VectorLevels()) {
    const vuWifDsp& dsp = vuWifDspFor(level);
    for (size_t n = 1; n <= 70; ++n) {
      for (int32_t d : divisors) {
        SCOPED_TRACE(testing::Message() << vuSimdLevelName(level) << " n " << n << " d " << d);
        std::vector<int32_t> in = RandomValues(random, n, INT32_MIN / 2, INT32_MAX / 2);
        // Exact halves and multiples, where rounding turns.
        for (size_t i = 0; i < n; i += 3)
          in[i] = int32_t(random() % 2001) * (d / 2 + int32_t(i % 2)) - 1000 * (d / 2);
        std::vector<int32_t> out(n), out2(n);
        plain.roundDivide(in.data(), n, d, out.data());
        dsp.roundDivide(in.data(), n, d, out2.data());
        ASSERT_EQ(out2, out);
        dsp.roundDivide(in.data(), n, d, in.data()); // in place
        ASSERT_EQ(in, out);
      }
    }
  }
  // The plain version itself: halves away from zero.
  const int32_t in[] = {416, -416, 415, -415, 1248, 0};
  int32_t out[6];
  plain.roundDivide(in, 6, 832, out);
  EXPECT_EQ(std::vector<int32_t>(out, out + 6), (std::vector<int32_t>{1, -1, 0, 0, 2, 0}));
}

TEST(WifDsp, ColourAndChromaStepsMatchThePlainVersions) {
  const vuWifDsp& plain = vuWifDspFor(VU_SIMD_PLAIN);
  const wiftest::Picture photo = wiftest::LoadSample("astronaut.ppm");
  const std::vector<uint8_t> rows = wiftest::CodecRows(photo); // blue, green, red
  const int64_t rowBytes = wiftest::CodecRowBytes(photo);
  std::mt19937 random(9);
  for (vuSimdLevel level : VectorLevels()) {
    const vuWifDsp& dsp = vuWifDspFor(level);
    for (int n = 1; n <= 70; ++n) {
      SCOPED_TRACE(testing::Message() << vuSimdLevelName(level) << " n " << n);
      // Pixels from a photograph row.
      const int y = int(random() % unsigned(photo.height));
      const uint8_t* pixels = rows.data() + size_t(y) * size_t(rowBytes);
      for (int plane = 0; plane < 3; ++plane) {
        std::vector<int32_t> out(n), out2(n);
        plain.forwardColour(pixels, n, plane, out.data());
        dsp.forwardColour(pixels, n, plane, out2.data());
        ASSERT_EQ(out2, out) << "plane " << plane;
      }
      // Decoded planes reach past the sample range: the clamps are exercised.
      const std::vector<int32_t> luma = RandomValues(random, size_t(n), -300, 1400);
      const std::vector<int32_t> c1 = RandomValues(random, size_t(n), -400, 400);
      const std::vector<int32_t> c2 = RandomValues(random, size_t(n), -400, 400);
      std::vector<uint8_t> bgr(3 * size_t(n)), bgr2(3 * size_t(n));
      plain.inverseColour(luma.data(), c1.data(), c2.data(), n, bgr.data());
      dsp.inverseColour(luma.data(), c1.data(), c2.data(), n, bgr2.data());
      ASSERT_EQ(bgr2, bgr);

      const std::vector<int32_t> top = RandomValues(random, 2 * size_t(n), -255, 255);
      const std::vector<int32_t> bottom = RandomValues(random, 2 * size_t(n), -255, 255);
      for (int32_t divisor : {3, 52, 257, 771}) {
        std::vector<int32_t> f[4], g[4];
        for (int k = 0; k < 4; ++k) {
          f[k].resize(size_t(n));
          g[k].resize(size_t(n));
        }
        plain.forwardChroma(top.data(), bottom.data(), n, 16, divisor, f[0].data(), f[1].data(),
                            f[2].data(), f[3].data());
        dsp.forwardChroma(top.data(), bottom.data(), n, 16, divisor, g[0].data(), g[1].data(),
                          g[2].data(), g[3].data());
        for (int k = 0; k < 4; ++k)
          ASSERT_EQ(g[k], f[k]) << "band " << k << " divisor " << divisor;
      }
      // The inverse: sums that saturate the 16-bit planes now and then.
      std::vector<int32_t> bands[4];
      for (auto& b : bands)
        b = RandomValues(random, size_t(n), -(1 << 20), 1 << 20);
      for (int32_t base : {3, 52, 257}) {
        std::vector<int16_t> t(2 * size_t(n)), b(2 * size_t(n)), t2(2 * size_t(n)),
            b2(2 * size_t(n));
        plain.inverseChroma(bands[0].data(), bands[1].data(), bands[2].data(), bands[3].data(), n,
                            base, 10, t.data(), b.data());
        dsp.inverseChroma(bands[0].data(), bands[1].data(), bands[2].data(), bands[3].data(), n,
                          base, 10, t2.data(), b2.data());
        ASSERT_EQ(t2, t) << "base " << base;
        ASSERT_EQ(b2, b) << "base " << base;
      }
    }
  }
}

TEST(WifDsp, BestTableIsTheProcessorsLevel) {
  EXPECT_EQ(&vuWifDspBest(), &vuWifDspFor(vuSimdBestLevel()));
  if (vuSimdBestLevel() > VU_SIMD_PLAIN) {
    EXPECT_NE(&vuWifDspBest(), &vuWifDspFor(VU_SIMD_PLAIN));
  }
}
