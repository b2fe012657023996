#include "imagelib/vuSimd.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace {

#if defined(VU_HAVE_HWY) && (defined(__x86_64__) || defined(__i386__))
// Half-precision conversions, which not every compiler's feature test knows by name.
bool HasF16c() {
  unsigned a = 0, b = 0, c = 0, d = 0;
  return __get_cpuid(1, &a, &b, &c, &d) && (c & bit_F16C) != 0;
}
#endif

vuSimdLevel Detect() {
#if defined(VU_HAVE_HWY) && (defined(__x86_64__) || defined(__i386__))
  __builtin_cpu_init();
  const bool sse4 = __builtin_cpu_supports("ssse3") && __builtin_cpu_supports("sse4.1") &&
                    __builtin_cpu_supports("sse4.2") && __builtin_cpu_supports("pclmul") &&
                    __builtin_cpu_supports("aes");
  if (!sse4) return VU_SIMD_PLAIN;
  const bool avx2 = __builtin_cpu_supports("avx") && __builtin_cpu_supports("avx2") &&
                    __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2") &&
                    __builtin_cpu_supports("fma") && HasF16c();
  if (!avx2) return VU_SIMD_SSE4;
  const bool avx512 = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
                      __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512bw");
  return avx512 ? VU_SIMD_AVX512 : VU_SIMD_AVX2;
#else
  return VU_SIMD_PLAIN;
#endif
}

} // namespace

vuSimdLevel vuSimdBestLevel() {
  static const vuSimdLevel level = Detect();
  return level;
}

const char* vuSimdLevelName(vuSimdLevel level) {
  switch (level) {
  case VU_SIMD_SSE4:
    return "SSE4";
  case VU_SIMD_AVX2:
    return "AVX2";
  case VU_SIMD_AVX512:
    return "AVX-512";
  default:
    return "plain";
  }
}
