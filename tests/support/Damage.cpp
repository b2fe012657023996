#include "support/Damage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>

#include "formats/vuRWImage.h"
#include "imagelib/vuImageOwner.h"
#include "imagelib/vuPlatform.h"
#include "support/Picture.h"
#include "support/TestSupport.h"

namespace vutest {

void ForEachDamagedCopy(const std::vector<uint8_t>& valid, const DamageOptions& options,
                        const std::function<void(const std::vector<uint8_t>&)>& visit) {
  const size_t keep = std::min(options.keepBytes, valid.size());
  if (options.truncations) {
    for (size_t n = keep; n < std::min<size_t>(valid.size(), keep + 64); ++n)
      visit(std::vector<uint8_t>(valid.begin(), valid.begin() + long(n)));
    for (size_t n = keep + 64; n < valid.size(); n += std::max<size_t>(1, valid.size() / 30))
      visit(std::vector<uint8_t>(valid.begin(), valid.begin() + long(n)));
  }
  if (valid.size() <= keep) return;
  int rounds = options.rounds;
  if (const char* more = std::getenv("VU_MUTATION_ROUNDS"))
    rounds = std::max(rounds, std::atoi(more));
  std::mt19937 random(options.seed);
  const size_t span = valid.size() - keep;
  const size_t headerSpan = std::min(span, std::max<size_t>(1, options.headerBytes));
  auto change = [&](uint8_t& byte) {
    switch (random() % 3) {
    case 0:
      byte = uint8_t(random());
      break;
    case 1:
      byte ^= uint8_t(1u << (random() % 8));
      break;
    default:
      byte = random() % 2 ? 0xFF : 0x00;
      break;
    }
  };
  for (int round = 0; round < rounds; ++round) {
    std::vector<uint8_t> bytes = valid;
    switch (round % 4) {
    case 0: // a few bytes changed anywhere
    case 1: {
      const int changes = 1 + int(random() % 8);
      for (int k = 0; k < changes; ++k)
        change(bytes[keep + random() % span]);
      break;
    }
    case 2: // cut short
      bytes.resize(keep + random() % span);
      break;
    default: { // near the start, where sizes and kinds live
      const int changes = 1 + int(random() % 3);
      for (int k = 0; k < changes; ++k)
        change(bytes[keep + random() % headerSpan]);
      break;
    }
    }
    if (options.repair) options.repair(bytes);
    visit(bytes);
  }
}

LoadCounts LoadDamagedCopies(const std::vector<uint8_t>& valid, const std::string& path,
                             const DamageOptions& options,
                             const std::function<void(vuImage&)>& loaded) {
  vuRecordingPlatform platform; // keeps the readers' messages off the terminal
  vuScopedPlatform scoped(&platform);
  LoadCounts counts;
  int copy = 0;
  ForEachDamagedCopy(valid, options, [&](const std::vector<uint8_t>& bytes) {
    ++copy;
    if (::testing::Test::HasFatalFailure()) return;
    WriteFileBytes(path, bytes);
    vuImageOwner image;
    const int result = image.LoadImage(path.c_str());
    if (result == 0) {
      ++counts.loaded;
      ASSERT_NE(image.header, nullptr) << "copy " << copy;
      ASSERT_NE(image.bits, nullptr) << "copy " << copy;
      // Every pixel of a success reads.
      EXPECT_EQ(PictureOf(image).samples.size(), size_t(image.Width()) * image.Height() * 3);
      if (loaded) loaded(image);
    } else {
      ++counts.refused;
      ASSERT_LT(result, 0) << "copy " << copy;
      ASSERT_EQ(image.header, nullptr)
          << "copy " << copy << " failed with " << result << " but kept a bitmap";
      ASSERT_EQ(image.bits, nullptr) << "copy " << copy;
    }
    vuFileInfo info;
    EXPECT_LE(image.GetInfo(path.c_str(), &info), 0) << "copy " << copy;
    platform.messages.clear();
  });
  return counts;
}

void ExpectWritesAgain(vuImage& image, const std::string& path) {
  const bool grey = image.format == BM_8BIT_GRAY || image.format == BM_16BIT_GRAY;
  EXPECT_EQ(image.SaveImage(path.c_str(), grey ? 5 : 4, nullptr), 0);
}

void ExpectBothOutcomes(const LoadCounts& counts) {
  EXPECT_GT(counts.loaded, 0);
  EXPECT_GT(counts.refused, 0);
}

} // namespace vutest
