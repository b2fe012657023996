// The vector instruction sets this build can use, and the best one the processor offers. Kernels
// come in a plain version and vectorised versions for these levels; the plain one is the
// reference that the others must match exactly.
#pragma once

enum vuSimdLevel {
  VU_SIMD_PLAIN = 0,  // plain C++ (what the compiler makes of it for any x86-64)
  VU_SIMD_SSE4 = 1,   // SSE4.2 with PCLMUL and AES
  VU_SIMD_AVX2 = 2,   // AVX2 with BMI2, FMA and F16C
  VU_SIMD_AVX512 = 3, // AVX-512 F, VL, DQ and BW
};

// The best level both this build and the processor offer; found once.
vuSimdLevel vuSimdBestLevel();
// The name of a level ("plain", "SSE4", "AVX2", "AVX-512").
const char* vuSimdLevelName(vuSimdLevel level);
