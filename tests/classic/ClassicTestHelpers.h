// Helpers of the older-generation WIF tests: decoding bytes into plain pictures, whole or pass by
// pass.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/Picture.h"

namespace classictest {

using vutest::Crop;
using vutest::MaxDifference;
using vutest::Picture;
using vutest::Psnr;
using vutest::ReadPnm;

// Decodes a whole older-generation file held in memory with the library's decoder. Returns the
// decoder's result; the picture is filled on success.
int DecodeBytes(const std::vector<uint8_t>& file, Picture* picture);

// Decodes the same bytes the way a streaming client does: header from the first bytes, then each
// pass over exactly the chunk its preceding length word announces. `needed` receives the byte
// counts the client waits for (14, the rest of the header and the first word, then per chunk).
int DecodeByPasses(const std::vector<uint8_t>& file, Picture* picture,
                   std::vector<int64_t>* needed = nullptr);

} // namespace classictest
