// The entry points that take outside bytes, each wrapped as one fuzz target: the bytes go in, the
// library's result code comes out, and what must hold for any input is checked on the way.
//
// The same functions run under libFuzzer (fuzz/FuzzMain.cpp) and in the regression test that
// replays the inputs kept in tests/data/regress.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vu::fuzz {

// What a target returns when the input declares a picture too large to decode within the time
// limit of a fuzz run (the library would decode it; the fuzzers leave it alone).
constexpr int kSkipped = 100;
// Decoded pictures up to this many bytes are decoded by the targets.
constexpr int64_t kMaxDecodedBytes = int64_t(1) << 20;

using TargetFunction = int (*)(const uint8_t* data, size_t size);

struct Target {
  const char* name;
  TargetFunction run;
};

// Every target, in a fixed order.
const std::vector<Target>& Targets();
// The target of that name, or null.
const Target* FindTarget(const std::string& name);

// A broken promise of the library (not a refused input): reported through the failure handler,
// which by default prints the reason and aborts, so that the fuzzer keeps the input.
void Fail(const char* what);
using FailureHandler = void (*)(const char* what);
// Installs a handler (null restores the default); returns the previous one.
FailureHandler SetFailureHandler(FailureHandler handler);

#define VU_FUZZ_CHECK(condition)                                                                   \
  do {                                                                                             \
    if (!(condition)) ::vu::fuzz::Fail(__FILE__ ":" VU_FUZZ_LINE(__LINE__) ": " #condition);       \
  } while (0)
#define VU_FUZZ_LINE(line) VU_FUZZ_LINE_TEXT(line)
#define VU_FUZZ_LINE_TEXT(line) #line

// The targets.
int LoadBmp(const uint8_t* data, size_t size);
int LoadPnm(const uint8_t* data, size_t size);
int LoadTiff(const uint8_t* data, size_t size);
int LoadJpeg(const uint8_t* data, size_t size);
int LoadPng(const uint8_t* data, size_t size);
int LoadTarga(const uint8_t* data, size_t size);
int LoadPcx(const uint8_t* data, size_t size);
int LoadGif(const uint8_t* data, size_t size);
int LoadWif(const uint8_t* data, size_t size);
int FileInfo(const uint8_t* data, size_t size);
int Wif2Decode(const uint8_t* data, size_t size);
int Wif2Tiles(const uint8_t* data, size_t size);
int ClassicDecode(const uint8_t* data, size_t size);
int ClassicPasses(const uint8_t* data, size_t size);
int Wif2RoundTrip(const uint8_t* data, size_t size);
int PluginStream(const uint8_t* data, size_t size);

} // namespace vu::fuzz
