// For files that build their kernels for every level with Highway's foreach_target: the versions
// of one kernel by level, so that callers choose among them once (no run-time library needed).
// Use only where HWY_ONCE is true, after the per-target code.
#pragma once

#include <hwy/highway.h>

#include <type_traits>

#include "imagelib/vuSimd.h"

#if HWY_TARGETS & HWY_SSE4
#define VU_SIMD_SSE4_VERSION(NS, F) &NS::N_SSE4::F
#else
#define VU_SIMD_SSE4_VERSION(NS, F) nullptr
#endif
#if HWY_TARGETS & HWY_AVX2
#define VU_SIMD_AVX2_VERSION(NS, F) &NS::N_AVX2::F
#else
#define VU_SIMD_AVX2_VERSION(NS, F) nullptr
#endif
#if HWY_TARGETS & HWY_AVX3
#define VU_SIMD_AVX512_VERSION(NS, F) &NS::N_AVX3::F
#else
#define VU_SIMD_AVX512_VERSION(NS, F) nullptr
#endif

// The version of NS::<target>::F for `level`, or the best one below it; `plain` when none.
#define VU_SIMD_PICK(NS, F, level, plain)                                                          \
  vuSimdPick(level, plain, VU_SIMD_SSE4_VERSION(NS, F), VU_SIMD_AVX2_VERSION(NS, F),               \
             VU_SIMD_AVX512_VERSION(NS, F))

template <typename Fn>
Fn vuSimdPick(vuSimdLevel level, Fn plain, std::type_identity_t<Fn> sse4,
              std::type_identity_t<Fn> avx2, std::type_identity_t<Fn> avx512) {
  const Fn byLevel[] = {plain, sse4, avx2, avx512};
  for (int l = level; l > 0; --l)
    if (byLevel[l]) return byLevel[l];
  return plain;
}
