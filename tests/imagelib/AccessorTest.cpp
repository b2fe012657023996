// The per-format accessors: what each operation stores and returns.
#include <gtest/gtest.h>

#include "support/TestSupport.h"

using vutest::ScopedImage;

TEST(Accessor, RowsWrittenWithPutRowReadBackThroughGetRawForEveryFormat) {
  const vuBMFormat formats[] = {BM_1BIT,      BM_24BIT, BM_8BIT_COLOR, BM_4BIT,       BM_32BIT,
                                BM_8BIT_GRAY, BM_48BIT, BM_16BIT_GRAY, BM_16BIT_COLOR};
  for (vuBMFormat format : formats) {
    for (int width : {1, 3, 5, 7, 9, 17}) {
      SCOPED_TRACE(testing::Message() << "format " << format << " width " << width);
      ScopedImage image;
      int colors = format == BM_4BIT ? 16 : 256;
      ASSERT_EQ(image.AllocateBitmap(width, 3, colors, format), 1);
      BitmapAccessor& a = *image.accessor;
      int perPixel = a.samples;
      std::vector<uint16_t> row(size_t(width) * perPixel);
      for (int y = 0; y < 3; ++y) {
        for (size_t i = 0; i < row.size(); ++i) {
          uint32_t v = uint32_t(i * 2654435761u + y * 40503u) >> 7;
          row[i] =
              static_cast<uint16_t>(a.bitsPerSample == 16 ? v : v & ((1u << a.bitsPerSample) - 1));
          if (format == BM_16BIT_COLOR) row[i] &= 0x7FFF;
        }
        a.PutRow(y, row.data());
        for (int x = 0; x < width; ++x) {
          uint16_t pixel[4] = {0, 0, 0, 0};
          a.GetRaw(x, y, pixel);
          if (format == BM_16BIT_COLOR) {
            uint16_t packed = row[x];
            EXPECT_EQ(pixel[0], (packed >> 10) & 31);
            EXPECT_EQ(pixel[1], (packed >> 5) & 31);
            EXPECT_EQ(pixel[2], packed & 31);
          } else if (perPixel >= 3) {
            // PutRow takes memory order (blue first); GetRaw gives red first.
            EXPECT_EQ(pixel[0], row[perPixel * x + 2]);
            EXPECT_EQ(pixel[1], row[perPixel * x + 1]);
            EXPECT_EQ(pixel[2], row[perPixel * x]);
            if (perPixel == 4) {
              EXPECT_EQ(pixel[3], row[perPixel * x + 3]);
            }
          } else if (format == BM_1BIT) {
            EXPECT_EQ(pixel[0], row[x] ? 1 : 0);
          } else {
            EXPECT_EQ(pixel[0], row[x]);
          }
          // SetRaw of what GetRaw gave changes nothing.
          a.SetRaw(x, y, pixel);
          uint16_t again[4] = {0, 0, 0, 0};
          a.GetRaw(x, y, again);
          EXPECT_EQ(std::vector<uint16_t>(pixel, pixel + 4),
                    std::vector<uint16_t>(again, again + 4));
        }
      }
    }
  }
}

TEST(Accessor, WorkedExamples) {
  ScopedImage colour;
  ASSERT_EQ(colour.AllocateBitmap(2, 1, 0, BM_24BIT), 1);
  uint16_t rgb[4] = {10, 20, 30, 0};
  colour.accessor->SetRaw(1, 0, rgb);
  uint16_t out[4] = {0, 0, 0, 0};
  colour.accessor->GetGray(1, 0, out);
  EXPECT_EQ(out[0], 20);

  ScopedImage deep;
  ASSERT_EQ(deep.AllocateBitmap(1, 1, 0, BM_48BIT), 1);
  uint16_t sample[4] = {0x1234, 0x5678, 0x9ABC, 0};
  deep.accessor->SetRaw(0, 0, sample);
  deep.accessor->GetRGB(0, 0, out);
  EXPECT_EQ(out[0], 0x12);
  EXPECT_EQ(out[2], 0x9A);
  deep.accessor->GetGray(0, 0, out);
  EXPECT_EQ(out[0], 0x56);
  EXPECT_EQ(deep.Row(0)[0], 0xBC); // blue sample first, little-endian

  ScopedImage bilevel;
  ASSERT_EQ(bilevel.AllocateBitmap(4, 1, 2, BM_1BIT), 1);
  uint16_t bitRow[4] = {0, 7, 0, 1};
  bilevel.accessor->PutRow(0, bitRow);
  EXPECT_EQ(bilevel.Row(0)[0], 0x50); // bits 6 and 4
  bilevel.accessor->GetRGB(1, 0, out);
  EXPECT_EQ(out[0], 0); // a set bit is black
  bilevel.accessor->GetGray(0, 0, out);
  EXPECT_EQ(out[0], 255);
  bilevel.accessor->InvertPixel(0, 0);
  EXPECT_EQ(bilevel.Row(0)[0], 0xD0);

  ScopedImage nibbles;
  ASSERT_EQ(nibbles.AllocateBitmap(3, 1, 16, BM_4BIT), 1);
  uint16_t nibbleRow[3] = {15, 15, 15};
  nibbles.accessor->PutRow(0, nibbleRow);
  EXPECT_EQ(nibbles.Row(0)[1], 0xF0); // odd last pixel in the high nibble
  uint16_t two[4] = {2, 0, 0, 0};
  nibbles.accessor->SetRaw(1, 0, two);
  nibbles.accessor->GetRaw(1, 0, out);
  EXPECT_EQ(out[0], 2);
  EXPECT_EQ(nibbles.Row(0)[0], 0xF2);
}

TEST(Accessor, InvertingATableImageInvertsItsTableTwiceRestoresIt) {
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(2, 2, 3, BM_8BIT_COLOR), 1);
  image.palette[2] = vuRGBA{10, 20, 30, 40};
  image.Row(0)[0] = 2;
  image.accessor->InvertPixel(0, 0);
  EXPECT_EQ(image.palette[2].blue, 245);
  EXPECT_EQ(image.palette[2].reserved, 40); // 8-bit tables keep the fourth byte
  EXPECT_EQ(image.Row(0)[0], 2);
  image.accessor->InvertPixel(1, 1);
  EXPECT_EQ(image.palette[2].blue, 10);
  EXPECT_EQ(image.palette[2].red, 30);

  ScopedImage nibbles;
  ASSERT_EQ(nibbles.AllocateBitmap(2, 2, 2, BM_4BIT), 1);
  nibbles.palette[1] = vuRGBA{1, 2, 3, 4};
  nibbles.accessor->InvertPixel(0, 0);
  EXPECT_EQ(nibbles.palette[1].reserved, 251); // 4-bit tables: all four bytes
}

TEST(Accessor, SixteenBitColourIsOneConsistentFiveFiveFivePacking) {
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(2, 1, 0, BM_16BIT_COLOR), 1);
  uint16_t in[4] = {31, 1, 16, 0};
  image.accessor->SetRaw(1, 0, in);
  uint16_t packed = uint16_t(image.Row(0)[2] | (image.Row(0)[3] << 8));
  EXPECT_EQ(packed, (31 << 10) | (1 << 5) | 16);
  uint16_t out[4];
  image.accessor->GetRGB(1, 0, out);
  EXPECT_EQ(out[0], 255);
  EXPECT_EQ(out[1], 8);
  EXPECT_EQ(out[2], 132);
}

TEST(Accessor, IndexesPastTheTableNeverReadOutsideIt) {
  ScopedImage image;
  ASSERT_EQ(image.AllocateBitmap(1, 1, 2, BM_8BIT_COLOR), 1);
  image.Row(0)[0] = 250;
  uint16_t out[4] = {9, 9, 9, 0};
  image.accessor->GetRGB(0, 0, out);
  EXPECT_EQ(out[0], 0);
  ScopedImage grey;
  ASSERT_EQ(grey.AllocateBitmap(1, 1, 16, BM_8BIT_GRAY), 1);
  grey.Row(0)[0] = 200;
  grey.accessor->GetRGB(0, 0, out);
  EXPECT_EQ(out[1], 200);
}
