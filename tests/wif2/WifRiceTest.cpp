// The coefficient coder: symbol mapping, block parameters, the exact bit sequences and decoding.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "codec/wif2/vuRiceCoder.h"

namespace {

std::vector<uint32_t> Symbols(std::vector<int32_t> values) {
  std::vector<uint32_t> s;
  vuRiceMakeSymbols(values.data(), values.size(), &s);
  return s;
}

std::vector<uint8_t> EncodeValues(const std::vector<int32_t>& values) {
  std::vector<uint8_t> out;
  vuBitWriter writer(&out);
  std::vector<uint32_t> scratch;
  vuRiceEncodeArray(writer, values.data(), values.size(), &scratch);
  return out;
}

// Packs a string of '0'/'1' least significant bit first, zeros above the last bit.
std::vector<uint8_t> Pack(const std::string& bits) {
  std::vector<uint8_t> out((bits.size() + 7) / 8, 0);
  for (size_t i = 0; i < bits.size(); ++i)
    if (bits[i] == '1') out[i / 8] |= uint8_t(1 << (i % 8));
  return out;
}

std::vector<int32_t> DecodeValues(const std::vector<uint8_t>& bytes, size_t n, int shift = 0,
                                  size_t* end = nullptr) {
  vuWifByteSource source{bytes.data(), bytes.size(), 0};
  vuBitReader reader(&source);
  std::vector<int32_t> values(n, 12345);
  EXPECT_EQ(vuRiceDecodeArray<int32_t>(reader, values.data(), n, shift), n);
  if (end) *end = source.position;
  return values;
}

} // namespace

TEST(WifRice, SymbolMapping) {
  EXPECT_EQ(Symbols({1, -1, 2, -2}), (std::vector<uint32_t>{2, 3, 4, 5}));
  EXPECT_EQ(Symbols({0, 0, 0, 5}), (std::vector<uint32_t>{0, 0, 10}));
  // The lone 1 between zeros joins the run; a +-1 before a value does not.
  EXPECT_EQ(Symbols({0, 1, 0, 7}), (std::vector<uint32_t>{0, 0, 14}));
  EXPECT_EQ(Symbols({0, -1, 3}), (std::vector<uint32_t>{0, 3, 6}));
  EXPECT_EQ(Symbols({1, 0}), (std::vector<uint32_t>{2, 0}));
  // A +-1 in the last position ends the run as a value.
  EXPECT_EQ(Symbols({0, 0, 1}), (std::vector<uint32_t>{1, 2}));
  // Run lengths 1..7 as digits.
  const std::vector<std::vector<uint32_t>> digits = {{0},    {1},    {0, 0},   {0, 1},
                                                     {1, 0}, {1, 1}, {0, 0, 0}};
  for (int r = 1; r <= 7; ++r) {
    std::vector<int32_t> values(size_t(r), 0);
    values.push_back(9);
    std::vector<uint32_t> expected = digits[size_t(r - 1)];
    expected.push_back(18);
    EXPECT_EQ(Symbols(values), expected) << "run " << r;
  }
  // N zeros: the digits of N + 1.
  EXPECT_EQ(Symbols({0}), (std::vector<uint32_t>{0}));
  EXPECT_EQ(Symbols(std::vector<int32_t>(10, 0)), (std::vector<uint32_t>{0, 1, 1}));
}

TEST(WifRice, BlockParameterBounds) {
  uint32_t block[16] = {};
  block[0] = 23; // T = 39
  EXPECT_EQ(vuRiceBlockParameter(block), 0);
  block[0] = 24; // T = 40
  EXPECT_EQ(vuRiceBlockParameter(block), 1);
  const int64_t bounds[] = {40, 72, 136, 264, 520, 1032, 2056};
  for (int k = 0; k < 7; ++k) {
    block[0] = uint32_t(bounds[k] - 16 - 1);
    EXPECT_EQ(vuRiceBlockParameter(block), k);
    block[0] = uint32_t(bounds[k] - 16);
    EXPECT_EQ(vuRiceBlockParameter(block), k + 1);
  }
  block[0] = 4000000000u;
  block[1] = 4000000000u; // the sum outgrows 32 bits
  EXPECT_EQ(vuRiceBlockParameter(block), 7);
}

TEST(WifRice, ExactBitsOfZeroZeroZeroFive) {
  std::string bits = "000";           // k = 0
  bits += "1";                        // symbol 0
  bits += "1";                        // symbol 0
  bits += std::string(10, '0') + "1"; // symbol 10
  for (int i = 0; i < 13; ++i)
    bits += "1"; // padding symbols
  EXPECT_EQ(EncodeValues({0, 0, 0, 5}), Pack(bits));
  EXPECT_EQ(DecodeValues(Pack(bits), 4), (std::vector<int32_t>{0, 0, 0, 5}));
}

TEST(WifRice, ExactBitsWithLowBits) {
  // Symbols 40 and 41 (values 20 and -21) and 14 zero-run paddings... sum 16+81 -> T = 97, k = 2.
  std::vector<int32_t> values = {20, -20};
  std::string bits = "010"; // k = 2, least significant first
  auto symbol = [&](uint32_t s, int k) {
    for (int i = 0; i < k; ++i)
      bits += ((s >> i) & 1) ? "1" : "0";
    bits += std::string(s >> k, '0') + "1";
  };
  symbol(40, 2);
  symbol(41, 2);
  for (int i = 0; i < 14; ++i)
    symbol(0, 2);
  EXPECT_EQ(EncodeValues(values), Pack(bits));
}

TEST(WifRice, DecodingDropsTheLoneOneAndKeepsArraysOnByteBoundaries) {
  const std::vector<int32_t> first = {0, 1, 0, 7, 1, 0, -3};
  const std::vector<int32_t> second = {5, 0, 0, 0, 0, -1};
  std::vector<uint8_t> a = EncodeValues(first);
  std::vector<uint8_t> b = EncodeValues(second);
  std::vector<uint8_t> both = a;
  both.insert(both.end(), b.begin(), b.end());
  vuWifByteSource source{both.data(), both.size(), 0};
  vuBitReader reader(&source);
  std::vector<int32_t> out(first.size());
  vuRiceDecodeArray<int32_t>(reader, out.data(), out.size(), 0);
  EXPECT_EQ(out, (std::vector<int32_t>{0, 0, 0, 7, 1, 0, -3}));
  EXPECT_EQ(source.position, a.size());
  std::vector<int32_t> out2(second.size());
  vuRiceDecodeArray<int32_t>(reader, out2.data(), out2.size(), 0);
  EXPECT_EQ(out2, second);
  EXPECT_EQ(source.position, both.size());
}

TEST(WifRice, ScaledDecoding) {
  std::vector<uint8_t> bytes = EncodeValues({3, 0, -2, 0, 0});
  EXPECT_EQ(DecodeValues(bytes, 5, 8), (std::vector<int32_t>{768, 0, -512, 0, 0}));
  vuWifByteSource source{bytes.data(), bytes.size(), 0};
  vuBitReader reader(&source);
  std::vector<int64_t> wide(5);
  vuRiceDecodeArray<int64_t>(reader, wide.data(), 5, 24);
  EXPECT_EQ(wide[0], int64_t(3) << 24);
  EXPECT_EQ(wide[2], -(int64_t(2) << 24));
}

TEST(WifRice, RunStraddlingBlocksDecodesAsOneRun) {
  // 15 values then a long run: its digits start in the first block and end in the second.
  std::vector<int32_t> values;
  for (int i = 0; i < 15; ++i)
    values.push_back(i % 2 ? 4 : -5);
  values.insert(values.end(), 1000, 0);
  values.push_back(6);
  std::vector<uint32_t> s;
  vuRiceMakeSymbols(values.data(), values.size(), &s);
  ASSERT_EQ(s.size(), 15u + 9u + 1u); // 1001 -> nine digits below the leading 1
  EXPECT_EQ(DecodeValues(EncodeValues(values), values.size()), values);
  // A run ending the array with its digits split by the block boundary.
  std::vector<int32_t> tail(values.begin(), values.end() - 1);
  EXPECT_EQ(DecodeValues(EncodeValues(tail), tail.size()), tail);
}

TEST(WifRice, RandomRoundTrips) {
  std::mt19937 random(7);
  for (int round = 0; round < 200; ++round) {
    const size_t n = 1 + random() % 3000;
    const int spread = 1 << (random() % 20);
    const int zeroShare = int(random() % 100);
    std::vector<int32_t> values(n);
    for (auto& v : values) {
      if (int(random() % 100) < zeroShare)
        v = 0;
      else
        v = int32_t(random() % (2 * spread + 1)) - spread;
    }
    std::vector<uint8_t> bytes = EncodeValues(values);
    std::vector<int32_t> back = DecodeValues(bytes, n);
    // The only change: a lone +-1 between zeros becomes 0.
    for (size_t i = 0; i < n; ++i) {
      if (back[i] != values[i]) {
        ASSERT_TRUE((values[i] == 1 || values[i] == -1) && back[i] == 0 && i + 1 < n &&
                    values[i + 1] == 0)
            << "round " << round << " position " << i;
      }
    }
  }
}

TEST(WifRice, TruncatedAndGarbageStreamsStillGiveEveryValue) {
  // Past its end a source gives 0xFF bytes: all-one bits, which decode as blocks with k = 7 and
  // symbols 127 (seven low bits 1, then the stop bit): the value -63 everywhere.
  std::vector<int32_t> values(5000);
  for (size_t i = 0; i < values.size(); ++i)
    values[i] = int32_t(i % 13) - 6;
  const std::vector<uint8_t> bytes = EncodeValues(values);
  const std::vector<int32_t> fromNothing = DecodeValues({}, values.size());
  EXPECT_EQ(std::count(fromNothing.begin(), fromNothing.end(), -63), long(values.size()));
  DecodeValues({bytes[0]}, values.size()); // still gives every value
  // A cut keeps the values coded wholly before it: about as many as the bytes before it hold,
  // less the block it falls in.
  for (size_t cut : {bytes.size() / 4, bytes.size() / 2, bytes.size() * 3 / 4}) {
    const std::vector<uint8_t> part(bytes.begin(), bytes.begin() + long(cut));
    const std::vector<int32_t> back = DecodeValues(part, values.size());
    const size_t same =
        size_t(std::mismatch(back.begin(), back.end(), values.begin()).first - back.begin());
    EXPECT_GE(same + 32, values.size() * cut / bytes.size() * 9 / 10) << "cut at " << cut;
    EXPECT_LT(same, values.size()) << "cut at " << cut;
  }
  // Endless zero bits: k = 0 and one symbol of 32765 (every bit of the buffer but the three of k)
  // ended by the first byte past the end, then fifteen symbols 0 from that byte's ones: a run of
  // 2^15 - 1 zeros that waits for the next block, whose first symbol (k = 7, 127) is -63.
  const std::vector<int32_t> fromZeros = DecodeValues(std::vector<uint8_t>(4096, 0), 100000);
  EXPECT_EQ(fromZeros[0], -16382);
  EXPECT_EQ(std::count(fromZeros.begin() + 1, fromZeros.begin() + 32768, 0), 32767);
  EXPECT_EQ(fromZeros[32768], -63);
  // Nothing but ones, a million values long.
  const std::vector<int32_t> fromOnes = DecodeValues(std::vector<uint8_t>(64, 0xFF), 1u << 20);
  EXPECT_EQ(std::count(fromOnes.begin(), fromOnes.end(), -63), 1 << 20);
}
