// The entropy codes of older-generation WIF files: bit reader, grouped Rice code, arithmetic code
// and the stage token grammar, against the worked examples and an independent encoder.
#include <gtest/gtest.h>

#include <vector>

#include "ClassicTestEncoder.h"
#include "codec/classic/ArithmeticDecoder.h"
#include "codec/classic/BitReader.h"
#include "codec/classic/RiceDecoder.h"
#include "codec/classic/StageDecoder.h"
#include "codec/classic/SymbolModel.h"

using namespace vu::classic;

namespace {

// Bits in reading order, packed least significant bit first.
class Bits {
public:
  Bits& Put(uint32_t value, int n) {
    for (int i = n - 1; i >= 0; --i)
      PutBit(int((value >> i) & 1u));
    return *this;
  }
  Bits& PutBit(int bit) {
    if (count_ % 8 == 0) bytes_.push_back(0);
    bytes_.back() |= uint8_t((bit & 1) << (count_ % 8));
    ++count_;
    return *this;
  }
  Bits& Repeat(int bit, int n) {
    for (int i = 0; i < n; ++i)
      PutBit(bit);
    return *this;
  }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

private:
  std::vector<uint8_t> bytes_;
  int count_ = 0;
};

TEST(ClassicBitReader, ReadsLeastSignificantBitFirstAndAssemblesMostSignificantFirst) {
  const uint8_t data[] = {0b10110001, 0x0F};
  ClassicMemorySource source(data, sizeof data);
  BitReader reader(&source);
  EXPECT_EQ(reader.ReadBit(), 1);
  EXPECT_EQ(reader.ReadBits(3), 0b000u);
  EXPECT_EQ(reader.ReadBits(4), 0b1101u); // bits 4..7 of 0b10110001, first read on top
  EXPECT_EQ(reader.ReadBits(0), 0u);
  reader.ReadBit();
  reader.Reset(); // the rest of 0x0F is dropped
  EXPECT_EQ(source.Position(), 2);
  EXPECT_FALSE(reader.Failed());
}

TEST(ClassicBitReader, ToleratesFourteenFetchesPastTheEndAndFailsOnTheFifteenth) {
  const uint8_t data[] = {0x00};
  ClassicMemorySource source(data, sizeof data);
  BitReader reader(&source);
  reader.ReadBits(8);
  for (int i = 0; i < 14; ++i)
    reader.ReadBits(8);
  EXPECT_FALSE(reader.Failed());
  reader.ReadBit();
  EXPECT_TRUE(reader.Failed());
}

std::vector<int32_t> DecodeRice(const Bits& bits, int64_t count, int* result,
                                int64_t* bytesUsed = nullptr) {
  std::vector<int32_t> values(size_t(count) + 4, 12345);
  ClassicMemorySource source(bits.Bytes().data(), bits.Bytes().size());
  BitReader reader(&source);
  *result = DecodeRiceValues(values.data(), count, reader);
  if (bytesUsed) *bytesUsed = source.Position();
  return values;
}

TEST(ClassicRice, ParameterZeroIsAPlainUnaryCount) {
  Bits bits;
  bits.Put(0, 3);
  const int v[16] = {0, 1, 2, 3, 4, 5, 6, 0, 0, 0, 0, 0, 0, 0, 0, 9};
  for (int x : v)
    bits.Repeat(0, x).PutBit(1);
  int result;
  auto values = DecodeRice(bits, 16, &result);
  ASSERT_EQ(result, 0);
  const int32_t expected[16] = {0, -1, 1, -2, 2, -3, 3, 0, 0, 0, 0, 0, 0, 0, 0, -5};
  for (int j = 0; j < 16; ++j)
    EXPECT_EQ(values[j], expected[j]) << j;
}

TEST(ClassicRice, ParameterKTakesLowBitsThenUnaryHighPart) {
  Bits bits;
  bits.Put(3, 3);
  bits.Put(0b101, 3).Repeat(0, 2).PutBit(1); // v = 5 + 2 x 8 = 21 -> -11
  for (int j = 1; j < 16; ++j)
    bits.Put(0b010, 3).PutBit(1); // v = 2 -> 1
  int result;
  auto values = DecodeRice(bits, 16, &result);
  ASSERT_EQ(result, 0);
  EXPECT_EQ(values[0], -11);
  EXPECT_EQ(values[15], 1);
}

TEST(ClassicRice, TinyGroupOfSixOneBitsIsSixteenZeros) {
  Bits bits;
  bits.Put(7, 3).Repeat(1, 6);
  bits.Put(0, 3).Repeat(1, 16); // a second group: k = 0, sixteen zeros
  int result;
  auto values = DecodeRice(bits, 32, &result);
  ASSERT_EQ(result, 0);
  for (int j = 0; j < 32; ++j)
    EXPECT_EQ(values[j], 0);
}

TEST(ClassicRice, TinyGroupSpellsEachTripleAsTheTableSays) {
  // Triples 100 (0,11), 011 (0,00,00), 101 (0,00,01), 110 (0,00,10), 001 (0,01), 010 (0,10),
  // then three 000 steps (a 1 bit each): 27 digits, 18 stops.
  Bits bits;
  bits.Put(7, 3);
  bits.Put(0b011, 3).Put(0b00000, 5).Put(0b00001, 5).Put(0b00010, 5);
  bits.Put(0b001, 3).Put(0b010, 3);
  bits.Repeat(1, 3);
  int result;
  auto values = DecodeRice(bits, 16, &result);
  ASSERT_EQ(result, 0);
  // Digits 10 0 0 1110 1110 0 0 10 10 0 0 ...: ones between stops 1 0 0 3 3 0 0 1 1 0 ...
  const int v[16] = {1, 0, 0, 3, 3, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0};
  for (int j = 0; j < 16; ++j)
    EXPECT_EQ(values[j], (v[j] & 1) ? -(v[j] + 1) / 2 : v[j] / 2) << j;
  // With the triple 111 as well the group would need 30 digits: refused.
  Bits longer;
  longer.Put(7, 3);
  longer.Put(0b011, 3).Put(0b00000, 5).Put(0b00001, 5).Put(0b00010, 5).Put(0b00011, 5);
  longer.Put(0b001, 3).Put(0b010, 3);
  longer.Repeat(1, 3);
  DecodeRice(longer, 16, &result);
  EXPECT_EQ(result, -2);
}

TEST(ClassicRice, TinyGroupOfTwentySevenDigitsIsTheLongestAccepted) {
  // Eleven 1 digits and sixteen stops: nine steps.
  Bits tooLong;
  tooLong.Put(7, 3);
  for (int i = 0; i < 5; ++i)
    tooLong.Put(0b00011, 5); // 111 five times: 15 ones, no stop
  int result;
  DecodeRice(tooLong, 16, &result);
  EXPECT_EQ(result, -2) << "fifteen ones leave no room for sixteen stops";

  Bits longest;
  longest.Put(7, 3);
  for (int i = 0; i < 3; ++i)
    longest.Put(0b00011, 5); // 9 ones
  longest.Put(0b00000, 5);   // 011: a stop and 2 ones
  longest.Repeat(1, 5);      // 15 stops: 27 digits in all
  auto values = DecodeRice(longest, 16, &result);
  ASSERT_EQ(result, 0);
  EXPECT_EQ(values[0], -5); // nine ones, then a stop: v = 9
  EXPECT_EQ(values[1], 1);  // two ones, then a stop: v = 2
  EXPECT_EQ(values[2], 0);
}

TEST(ClassicRice, SeventeenValuesReadTwoWholeGroupsAndKeepOneOfTheSecond) {
  Bits bits;
  bits.Put(0, 3).Repeat(1, 16);
  bits.Put(1, 3);
  bits.PutBit(1).Repeat(0, 1).PutBit(1); // v = 1 + 2 = 3 -> -2
  for (int j = 1; j < 16; ++j)
    bits.PutBit(0).PutBit(1); // v = 2 -> 1, dropped
  bits.Put(0xA5, 8);
  int result;
  int64_t used;
  auto values = DecodeRice(bits, 17, &result, &used);
  ASSERT_EQ(result, 0);
  EXPECT_EQ(values[16], -2);
  EXPECT_EQ(values[17], 12345) << "nothing is written past the count";
  // 3 + 16 bits, 3 + 3 + 15 x 2 bits: 55 bits, so the reader stopped inside the seventh byte.
  EXPECT_EQ(used, 7);
}

TEST(ClassicRice, RunningOutOfInputFailsCleanly) {
  Bits bits;
  bits.Put(0, 3).Repeat(0, 20); // a unary count that never ends within the data
  std::vector<uint8_t> bytes = bits.Bytes();
  for (auto& b : bytes)
    b = 0;
  ClassicMemorySource source(bytes.data(), bytes.size());
  BitReader reader(&source);
  std::vector<int32_t> values(1000);
  // Past the end the reader supplies 1 bits, so the group completes; a long list then runs dry.
  EXPECT_EQ(DecodeRiceValues(values.data(), 1000, reader), -2);
}

std::vector<int> DecodeSymbols(const std::vector<uint8_t>& bytes, size_t count,
                               std::vector<size_t> stageStarts) {
  ClassicMemorySource source(bytes.data(), bytes.size());
  BitReader reader(&source);
  SymbolModel model;
  ArithmeticDecoder decoder(&model, &reader);
  std::vector<int> symbols;
  for (size_t i = 0; i < count; ++i) {
    if (std::find(stageStarts.begin(), stageStarts.end(), i) != stageStarts.end()) model.Reset();
    symbols.push_back(decoder.DecodeSymbol());
  }
  return symbols;
}

TEST(ClassicArithmetic, DecodesWhatTheEncoderSpeltAcrossStagesAndRescaling) {
  std::vector<std::vector<int>> stages(3);
  uint32_t seed = 7;
  for (int i = 0; i < 40000; ++i) {
    seed = seed * 1103515245u + 12345u;
    int r = int((seed >> 16) % 100);
    // Skewed, so the model reorders its characters and rescales its counts.
    stages[i < 300 ? 0 : i < 39000 ? 1 : 2].push_back(r < 60 ? 3 : r < 80 ? 0 : r < 95 ? 5 : r % 6);
  }
  stages[1].push_back(-1);
  std::vector<int> all;
  std::vector<size_t> starts;
  for (auto& s : stages) {
    starts.push_back(all.size());
    all.insert(all.end(), s.begin(), s.end());
  }
  auto bytes = classictest::EncodeSymbolStages(stages);
  EXPECT_EQ(DecodeSymbols(bytes, all.size(), starts), all);
}

TEST(ClassicArithmetic, ModelHalvesItsCountsAtTheLimitAndKeepsTheEndSymbol) {
  SymbolModel model;
  EXPECT_EQ(model.Total(), 7);
  for (int i = 0; i < 16376; ++i)
    model.Update(1);
  EXPECT_EQ(model.Total(), 16383);
  model.Update(1);
  EXPECT_LT(model.Total(), 16383);
  EXPECT_EQ(model.frequency[SymbolModel::kEndSymbol], 1);
  EXPECT_EQ(model.frequency[0], 0);
  int sum = 0;
  for (int i = 1; i <= 7; ++i)
    sum += model.frequency[i];
  EXPECT_EQ(sum, model.Total());
}

TEST(ClassicArithmetic, ModelMovesAFrequentCharacterAhead) {
  SymbolModel model;
  model.Update(4); // character 3 at index 4 outnumbers indexes 1..3: it moves to index 1
  EXPECT_EQ(model.indexToChar[1], 3);
  EXPECT_EQ(model.indexToChar[4], 0);
  EXPECT_EQ(model.frequency[1], 2);
}

TEST(ClassicArithmetic, OpeningStartsOnAFreshByte) {
  auto bytes = classictest::EncodeSymbolStages({{4, 2, 5}});
  std::vector<uint8_t> shifted = {0x3C};
  shifted.insert(shifted.end(), bytes.begin(), bytes.end());
  ClassicMemorySource source(shifted.data(), shifted.size());
  BitReader reader(&source);
  reader.ReadBits(3); // a partly used byte, as after the skip to a marker
  SymbolModel model;
  ArithmeticDecoder decoder(&model, &reader);
  EXPECT_EQ(decoder.DecodeSymbol(), 4);
  EXPECT_EQ(decoder.DecodeSymbol(), 2);
  EXPECT_EQ(decoder.DecodeSymbol(), 5);
}

// Runs DecodeStage over consecutive stages of the given sizes, spelt by `stages`.
int RunStages(const std::vector<std::vector<int>>& stages, const std::vector<int64_t>& sizes,
              std::vector<int32_t>* list) {
  auto bytes = classictest::EncodeSymbolStages(stages);
  ClassicMemorySource source(bytes.data(), bytes.size());
  BitReader reader(&source);
  SymbolModel model;
  ArithmeticDecoder decoder(&model, &reader);
  int64_t total = 0;
  for (auto s : sizes)
    total += s;
  list->assign(size_t(total), 999);
  int64_t first = 0;
  for (auto s : sizes) {
    int result = DecodeStage(list->data(), first, first + s, decoder);
    if (result != 0) return result;
    first += s;
  }
  return 0;
}

TEST(ClassicStages, RunsAndValuesOfTheWorkedExamples) {
  // Twenty-one indexes: 2,0 = a run of 1 + 1 x 2 = 3; 4,1 = the value 3; 3,3,0 = a run of
  // 0 + 4 x 2 + 1 x 8 = 16; 5 = -1, ended by the end symbol, which the stage drops.
  std::vector<int32_t> list;
  ASSERT_EQ(RunStages({{2, 0, 4, 1, 3, 3, 0, 5, -1}}, {21}, &list), 0);
  std::vector<int32_t> expected(21, 0);
  expected[3] = 3;
  expected[20] = -1;
  EXPECT_EQ(list, expected);
}

TEST(ClassicStages, RunPastTheStageEndIsCutWithoutATerminator) {
  // Three indexes: 3,1 = a run of 4, cut to 3; the next stage starts with the next symbol.
  std::vector<int32_t> list;
  ASSERT_EQ(RunStages({{3, 1}, {4, 0, -1}}, {3, 1}, &list), 0);
  EXPECT_EQ(list, (std::vector<int32_t>{0, 0, 0, 2}));
}

TEST(ClassicStages, OneIndexValueStillReadsItsTerminatorAndTokenTwoWithOneLeftReadsNothing) {
  std::vector<int32_t> list;
  // Stage 1: 4 then 2 (the terminator, dropped). Stage 2 (two indexes): 5 ended by 2, which as
  // a run with one index left is that zero, read no further. Stage 3: 4,1,1 = 7, then the end.
  ASSERT_EQ(RunStages({{4, 2}, {5, 2}, {4, 1, 1, -1}}, {1, 2, 1}, &list), 0);
  EXPECT_EQ(list, (std::vector<int32_t>{1, -1, 0, 7}));
}

TEST(ClassicStages, InvalidTokensEndTheOperationWithMinusThree) {
  std::vector<int32_t> list;
  EXPECT_EQ(RunStages({{0, 4}}, {4}, &list), -3);
  EXPECT_EQ(RunStages({{1}}, {4}, &list), -3);
  // The end symbol where a token must start, before the stage is complete.
  EXPECT_EQ(RunStages({{4, -1, -1, -1}}, {4}, &list), -3);
  EXPECT_EQ(RunStages({{-1}}, {4}, &list), -3);
}

TEST(ClassicStages, ValuesLongerThanThirtyTwoBitsAreRefused) {
  std::vector<int32_t> list;
  std::vector<int> longest = {4};
  longest.insert(longest.end(), 31, 1);
  longest.push_back(-1);
  ASSERT_EQ(RunStages({longest}, {1}, &list), 0);
  EXPECT_EQ(uint32_t(list[0]), 0xFFFFFFFFu);
  std::vector<int> tooLong = {5};
  tooLong.insert(tooLong.end(), 5000, 0);
  EXPECT_EQ(RunStages({tooLong}, {1}, &list), -2);
}

TEST(ClassicStages, DecodeLevelsStageBoundaries) {
  // start == end: stages [2, 8) and [8, 32); each stage restarts the model.
  std::vector<std::vector<int>> stages = {{3, 1, 0}, {4, 3, 3, 3}};
  // [2,8): 3,1,0 = 0 + 2 x 2 + 1 x 8 = 12, cut to 6. [8,32): 4 = 1 (ended by 3), then a run of
  // 0 + 4 x 2 + 4 x 8 = 40, cut to 23.
  auto bytes = classictest::EncodeSymbolStages(stages);
  ClassicMemorySource source(bytes.data(), bytes.size());
  BitReader reader(&source);
  SymbolModel model;
  ArithmeticDecoder decoder(&model, &reader);
  std::vector<int32_t> list(32, 999);
  ASSERT_EQ(DecodeLevels(list.data(), 32, 2, 2, 2, decoder), 0);
  EXPECT_EQ(list[1], 999);
  for (int i = 2; i < 8; ++i)
    EXPECT_EQ(list[i], 0);
  EXPECT_EQ(list[8], 1);
  for (int i = 9; i < 32; ++i)
    EXPECT_EQ(list[i], 0);
  // A stage that would leave the list is refused.
  ClassicMemorySource again(bytes.data(), bytes.size());
  BitReader reader2(&again);
  ArithmeticDecoder decoder2(&model, &reader2);
  EXPECT_EQ(DecodeLevels(list.data(), 31, 2, 2, 2, decoder2), -2);
}

} // namespace
