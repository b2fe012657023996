// The libFuzzer entry of one target; VU_FUZZ_TARGET names it.
#include <cstdio>
#include <cstdlib>

#include "fuzz/FuzzTargets.h"

namespace {
vu::fuzz::TargetFunction target = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const vu::fuzz::Target* found = vu::fuzz::FindTarget(VU_FUZZ_TARGET);
  if (!found) {
    std::fprintf(stderr, "vufuzz: no target named %s\n", VU_FUZZ_TARGET);
    std::abort();
  }
  target = found->run;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  target(data, size);
  return 0;
}
