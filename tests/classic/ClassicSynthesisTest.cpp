// Synthesis filters, output conversion and the colour transform of older-generation WIF files.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "codec/classic/ClassicOutput.h"
#include "codec/classic/ClassicSynthesis.h"

using namespace vu::classic;

namespace {

TEST(ClassicSynthesis, FiltersHaveThePrintedTaps) {
  const ClassicFilter& f = ClassicFilter97();
  EXPECT_EQ(f.evenCount, 4);
  EXPECT_EQ(f.oddCount, 5);
  EXPECT_EQ(f.even[0], 0.788485);
  EXPECT_EQ(f.odd[4], 0.037829);
  // The low-pass filter sums to the square root of two (to the printed precision).
  double low = f.even[0] + 2 * f.even[2] + 2 * f.odd[1] + 2 * f.odd[3];
  EXPECT_NEAR(low, std::sqrt(2.0), 1e-5);
  const ClassicFilter& g = ClassicFilter53();
  EXPECT_EQ(g.even[1], -0.375);
  EXPECT_EQ(g.odd[2], -0.1875);
  EXPECT_EQ(static_cast<float>(f.odd[0]), 0.8526989817619324f);
}

TEST(ClassicSynthesis, SymmetricExtensionFoldsAgainOnShortLines) {
  EXPECT_EQ(ClassicFold(-1, 8), 1);
  EXPECT_EQ(ClassicFold(8, 8), 6);
  EXPECT_EQ(ClassicFold(-3, 2), 1); // -3 -> 3 -> -1 -> 1
  EXPECT_EQ(ClassicFold(4, 2), 0);
  EXPECT_EQ(ClassicFold(5, 4), 1);
  EXPECT_EQ(ClassicFold(-4, 4), 2);
}

TEST(ClassicSynthesis, ConstantLowBandGivesAConstantLine) {
  // With the 5/3 filters a low band of 4/3 and no detail gives exactly 1 everywhere, also at the
  // ends, on lines of 2, 4 and 10 samples.
  for (int n : {2, 4, 10}) {
    std::vector<float> line(size_t(n), 0.0f);
    std::vector<float> out(static_cast<size_t>(n));
    for (int i = 0; i < n; i += 2)
      line[size_t(i)] = 4.0f / 3.0f;
    const ClassicFilter& g = ClassicFilter53();
    ClassicSynthesizeLine(line.data(), n, out.data(), g.even, g.evenCount, g.odd, g.oddCount);
    for (float v : out)
      EXPECT_FLOAT_EQ(v, 1.0f) << n;
  }
}

TEST(ClassicSynthesis, UnitCoefficientsGiveTheTapsAsImpulseResponse) {
  std::vector<float> line(16, 0.0f), out(16);
  line[8] = 1.0f; // a low coefficient
  const ClassicFilter& f = ClassicFilter97();
  ClassicSynthesizeLine(line.data(), 16, out.data(), f.even, f.evenCount, f.odd, f.oddCount);
  EXPECT_FLOAT_EQ(out[8], 0.788485f);
  EXPECT_FLOAT_EQ(out[7], 0.418092f);
  EXPECT_FLOAT_EQ(out[10], -0.040690f);
  EXPECT_FLOAT_EQ(out[5], -0.064539f);
  EXPECT_EQ(out[4], 0.0f);
  line[8] = 0.0f;
  line[9] = 1.0f; // a high coefficient
  ClassicSynthesizeLine(line.data(), 16, out.data(), f.even, f.evenCount, f.odd, f.oddCount);
  EXPECT_FLOAT_EQ(out[9], 0.852699f);
  EXPECT_FLOAT_EQ(out[8], -0.377403f);
  EXPECT_FLOAT_EQ(out[13], 0.037829f);
}

TEST(ClassicSynthesis, AllZeroCoefficientsDecodeToZeroAndOddHeightsWriteTheirLastRowOnce) {
  ClassicLayout layout(5, 3, 2);
  int64_t n = layout.QuarterSize();
  std::vector<float> low(size_t(n), 0.0f);
  std::vector<int8_t> zero(size_t(n), 0);
  std::vector<int64_t> rows;
  ASSERT_EQ(ClassicFinalSynthesis(layout, ClassicFilter97(), 2.0f, low.data(), zero.data(),
                                  zero.data(), zero.data(),
                                  [&](int64_t row, const float* values) {
                                    rows.push_back(row);
                                    for (int x = 0; x < 2 * layout.halfWidth; ++x)
                                      EXPECT_EQ(values[x], 0.0f);
                                  }),
            0);
  EXPECT_EQ(rows, (std::vector<int64_t>{0, 1, 2}));
}

TEST(ClassicOutput, ConversionRoundsWithPointFourNineNine) {
  EXPECT_EQ(ClassicOutput::Convert(0, 1, 254.6f), 255);
  EXPECT_EQ(ClassicOutput::Convert(0, 1, 254.4f), 254);
  EXPECT_EQ(ClassicOutput::Convert(0, 1, 0.5f), 0);
  EXPECT_EQ(ClassicOutput::Convert(1, 1, -0.2f), 0);
  EXPECT_EQ(ClassicOutput::Convert(1, 1, 300.0f), 255);
  EXPECT_EQ(ClassicOutput::Convert(0, 2, 70000.0f), 65535);
  EXPECT_EQ(ClassicOutput::Convert(0, 2, 1000.6f), 1001);
  // Chroma: neutral at half the range.
  EXPECT_EQ(ClassicOutput::Convert(2, 1, 0.0f), 128);
  EXPECT_EQ(ClassicOutput::Convert(3, 2, 0.0f), 32768);
  EXPECT_EQ(ClassicOutput::Convert(2, 1, 126.6f), 255);
  EXPECT_EQ(ClassicOutput::Convert(2, 1, -128.6f), 0);
  EXPECT_EQ(ClassicOutput::Convert(3, 2, 100.7f), 32868); // truncated, not rounded
  // Saturated 2-byte chroma is clamped instead of wrapping.
  EXPECT_EQ(ClassicOutput::Convert(2, 2, 40000.0f), 65535);
  EXPECT_EQ(ClassicOutput::Convert(2, 2, -40000.0f), 0);
}

TEST(ClassicOutput, ColourTransformOfTheWorkedExamples) {
  std::vector<uint8_t> row(8, 0);
  ClassicOutput output;
  output.bits = row.data();
  output.stride = 8;
  output.width = 2;
  output.color = true;
  auto write = [&](int channel, float a, float b) {
    float values[2] = {a, b};
    output.WriteRow(channel, 0, values);
  };
  write(1, 100.0f, 250.0f);
  write(2, 0.0f, -28.0f); // 128 and 100
  write(3, 0.0f, -28.0f);
  EXPECT_EQ(row[0], 100);
  EXPECT_EQ(row[1], 100);
  EXPECT_EQ(row[2], 100);
  EXPECT_EQ(row[3], 194); // 250 + 100 + 100 - 256
  EXPECT_EQ(row[4], 255); // 250 - 100 + 128 = 278
  EXPECT_EQ(row[5], 255);
}

TEST(ClassicOutput, SixteenBitGreyIsClampedToTheSignificantBits) {
  std::vector<uint8_t> row(4, 0);
  ClassicOutput output;
  output.bits = row.data();
  output.stride = 4;
  output.width = 2;
  output.sampleBytes = 2;
  output.sampleBits = 12;
  float values[2] = {5000.0f, 4000.2f};
  output.WriteRow(0, 0, values);
  EXPECT_EQ(row[0] | (row[1] << 8), 4095);
  EXPECT_EQ(row[2] | (row[3] << 8), 4000);
}

TEST(ClassicOutput, SixteenBitColourTransformClampsToTheSignificantBits) {
  std::vector<uint8_t> row(8, 0);
  ClassicOutput output;
  output.bits = row.data();
  output.stride = 8;
  output.width = 1;
  output.sampleBytes = 2;
  output.sampleBits = 12;
  output.color = true;
  float luma = 4000.0f, chroma1 = -1000.0f, chroma2 = 300.0f;
  output.WriteRow(1, 0, &luma);
  output.WriteRow(2, 0, &chroma1);
  output.WriteRow(3, 0, &chroma2);
  auto at = [&](int c) { return row[2 * c] | (row[2 * c + 1] << 8); };
  EXPECT_EQ(at(0), 4000 - 1000 + 300); // blue
  EXPECT_EQ(at(1), 4095);              // green: 4000 + 1000 clamped
  EXPECT_EQ(at(2), 4000 - 300);        // red
}

} // namespace
