// Damaged copies of valid files, for the hostile-input tests of every reader and decoder.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "imagelib/vuImage.h"

namespace vutest {

struct DamageOptions {
  // Copies with a few bytes changed, bytes changed near the start, or cut short; the environment
  // variable VU_MUTATION_ROUNDS asks for more, for a deeper search than the regular suite affords.
  int rounds = 300;
  uint32_t seed = 1;
  // Also every cut inside the first 64 bytes and a spread of longer ones.
  bool truncations = true;
  // Bytes at the start that are never touched (a header the test wants intact).
  size_t keepBytes = 0;
  // How far after the kept bytes the "near the start" damage reaches: where sizes and kinds live.
  size_t headerBytes = 32;
  // Runs on each changed copy, for formats whose checksums would stop every change at the door.
  std::function<void(std::vector<uint8_t>&)> repair = nullptr;
};

// Calls `visit` with each damaged copy of `valid`.
void ForEachDamagedCopy(const std::vector<uint8_t>& valid, const DamageOptions& options,
                        const std::function<void(const std::vector<uint8_t>&)>& visit);

struct LoadCounts {
  int loaded = 0;
  int refused = 0;
  LoadCounts& operator+=(const LoadCounts& other) {
    loaded += other.loaded;
    refused += other.refused;
    return *this;
  }
};

// Writes each damaged copy of `valid` to `path` and loads it with LoadImage (messages go to a
// recording platform), asserting the documented outcome: 0 with a whole bitmap whose every pixel
// reads, or a negative code with the image left empty (header null). GetInfo runs on the copy
// too. `loaded` (when given) checks a loaded image further.
LoadCounts LoadDamagedCopies(const std::vector<uint8_t>& valid, const std::string& path,
                             const DamageOptions& options,
                             const std::function<void(vuImage&)>& loaded = nullptr);

// A loaded image writes again: as a grey or pixel map, which holds every format, to `path`.
void ExpectWritesAgain(vuImage& image, const std::string& path);

// Most damage is refused and some still loads: the loop reached both the readers' checks and the
// pixels.
void ExpectBothOutcomes(const LoadCounts& counts);

} // namespace vutest
