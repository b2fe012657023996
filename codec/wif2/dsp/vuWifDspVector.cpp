// The vectorised WIF2 kernels: every plain kernel compiled again for each instruction-set level
// (the compiler vectorises the loops for the wider registers), and the horizontal lifting steps,
// whose even and odd samples the compiler cannot separate well, written with Highway's
// deinterleaving loads and interleaving stores.
#include <cstddef>
#include <cstdint>

#include "codec/wif2/dsp/vuWifDsp.h"

#if defined(VU_HAVE_HWY)
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "codec/wif2/dsp/vuWifDspVector.cpp"
#include <hwy/foreach_target.h> // IWYU pragma: keep
#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace vu::wif2 {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

#include "codec/wif2/dsp/vuWifDspKernels-inl.h"

using D = hn::ScalableTag<int32_t>;
using V = hn::Vec<D>;

// Even and odd samples of x[2 i + 2 k ..] as two vectors.
struct Pair {
  V even, odd;
};
HWY_INLINE Pair LoadPair(D d, const int32_t* p) {
  Pair r;
  hn::LoadInterleaved2(d, p, r.even, r.odd);
  return r;
}

void VectorAnalysis53(const int32_t* x, int half, int32_t* lo, int32_t* hi) {
  const D d;
  const int n = static_cast<int>(hn::Lanes(d));
  int i = 0;
  for (; i + n <= half; i += n) {
    const Pair m1 = LoadPair(d, x + 2 * i - 2), p0 = LoadPair(d, x + 2 * i),
               p1 = LoadPair(d, x + 2 * i + 2);
    // lo = 2 (3 E0 + O-1 + O0) - E-1 - E1; hi = 2 (2 O0 - E0 - E1)
    const V three = hn::Add(hn::Add(p0.even, p0.even), p0.even);
    const V sum = hn::Add(three, hn::Add(m1.odd, p0.odd));
    hn::StoreU(hn::Sub(hn::Sub(hn::Add(sum, sum), m1.even), p1.even), d, lo + i);
    const V h = hn::Sub(hn::Sub(hn::Add(p0.odd, p0.odd), p0.even), p1.even);
    hn::StoreU(hn::Add(h, h), d, hi + i);
  }
  Analysis53<int32_t>(x + 2 * i, half - i, lo + i, hi + i);
}

void VectorAnalysis97(const int32_t* x, int half, int32_t* lo, int32_t* hi) {
  const D d;
  const int n = static_cast<int>(hn::Lanes(d));
  const V k1235 = hn::Set(d, 1235), k547 = hn::Set(d, 547), k160 = hn::Set(d, 160),
          k35 = hn::Set(d, 35), k55 = hn::Set(d, 55), k1142 = hn::Set(d, 1142),
          k605 = hn::Set(d, 605), k59 = hn::Set(d, 59), k93 = hn::Set(d, 93);
  int i = 0;
  for (; i + n <= half; i += n) {
    const int32_t* c = x + 2 * i;
    const Pair m2 = LoadPair(d, c - 4), m1 = LoadPair(d, c - 2), p0 = LoadPair(d, c),
               p1 = LoadPair(d, c + 2), p2 = LoadPair(d, c + 4);
    V l = hn::Mul(k1235, p0.even);
    l = hn::Add(l, hn::Mul(k547, hn::Add(m1.odd, p0.odd)));
    l = hn::Sub(l, hn::Mul(k160, hn::Add(m1.even, p1.even)));
    l = hn::Sub(l, hn::Mul(k35, hn::Add(m2.odd, p1.odd)));
    l = hn::Add(l, hn::Mul(k55, hn::Add(m2.even, p2.even)));
    hn::StoreU(l, d, lo + i);
    V h = hn::Mul(k1142, p0.odd);
    h = hn::Sub(h, hn::Mul(k605, hn::Add(p0.even, p1.even)));
    h = hn::Sub(h, hn::Mul(k59, hn::Add(m1.odd, p1.odd)));
    h = hn::Add(h, hn::Mul(k93, hn::Add(m1.even, p2.even)));
    hn::StoreU(h, d, hi + i);
  }
  Analysis97<int32_t>(x + 2 * i, half - i, lo + i, hi + i);
}

void VectorSynthesis53(const int32_t* u, int half, int shift, int32_t* out) {
  const D d;
  const int n = static_cast<int>(hn::Lanes(d));
  int k = 0;
  for (; k + n <= half; k += n) {
    const Pair m1 = LoadPair(d, u + 2 * k - 2), p0 = LoadPair(d, u + 2 * k),
               p1 = LoadPair(d, u + 2 * k + 2);
    // even = 2 (2 E0 - O-1 - O0); odd = 2 (3 O0 + E0 + E1) - O-1 - O1
    const V e = hn::Sub(hn::Sub(hn::Add(p0.even, p0.even), m1.odd), p0.odd);
    const V three = hn::Add(hn::Add(p0.odd, p0.odd), p0.odd);
    const V s = hn::Add(three, hn::Add(p0.even, p1.even));
    const V o = hn::Sub(hn::Sub(hn::Add(s, s), m1.odd), p1.odd);
    hn::StoreInterleaved2(hn::ShiftRightSame(hn::Add(e, e), shift), hn::ShiftRightSame(o, shift), d,
                          out + 2 * k);
  }
  Synthesis53<int32_t>(u + 2 * k, half - k, shift, out + 2 * k);
}

void VectorSynthesis97(const int32_t* u, int half, int32_t* out) {
  const D d;
  const int n = static_cast<int>(hn::Lanes(d));
  const V k1142 = hn::Set(d, 1142), k547 = hn::Set(d, 547), k59 = hn::Set(d, 59),
          k35 = hn::Set(d, 35), k1235 = hn::Set(d, 1235), k605 = hn::Set(d, 605),
          k160 = hn::Set(d, 160), k93 = hn::Set(d, 93), k55 = hn::Set(d, 55);
  int k = 0;
  for (; k + n <= half; k += n) {
    const int32_t* c = u + 2 * k;
    const Pair m2 = LoadPair(d, c - 4), m1 = LoadPair(d, c - 2), p0 = LoadPair(d, c),
               p1 = LoadPair(d, c + 2), p2 = LoadPair(d, c + 4);
    V e = hn::Mul(k1142, p0.even);
    e = hn::Sub(e, hn::Mul(k547, hn::Add(m1.odd, p0.odd)));
    e = hn::Sub(e, hn::Mul(k59, hn::Add(m1.even, p1.even)));
    e = hn::Add(e, hn::Mul(k35, hn::Add(m2.odd, p1.odd)));
    V o = hn::Mul(k1235, p0.odd);
    o = hn::Add(o, hn::Mul(k605, hn::Add(p0.even, p1.even)));
    o = hn::Sub(o, hn::Mul(k160, hn::Add(m1.odd, p1.odd)));
    o = hn::Sub(o, hn::Mul(k93, hn::Add(m1.even, p2.even)));
    o = hn::Add(o, hn::Mul(k55, hn::Add(m2.odd, p2.odd)));
    hn::StoreInterleaved2(e, o, d, out + 2 * k);
  }
  Synthesis97<int32_t>(u + 2 * k, half - k, out + 2 * k);
}

const vuWifDsp* Table() {
  static const vuWifDsp table = {
      &VectorAnalysis53,        &VectorAnalysis97,        &VectorSynthesis53,
      &VectorSynthesis97,       &ForwardColumns<int32_t>, &InverseColumns<int32_t>,
      &RoundDivideRow<int32_t>, &Interleave<int32_t>,     &ForwardColour8,
      &InverseColour8,          &ForwardChroma<int32_t>,  &InverseChroma16,
  };
  return &table;
}

} // namespace HWY_NAMESPACE
} // namespace vu::wif2
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
#include "imagelib/vuSimdDispatch.h"

const vuWifDsp* vuWifDspVectorTable(vuSimdLevel level) {
  using Fn = const vuWifDsp* (*)();
  const Fn byLevel[] = {nullptr, VU_SIMD_SSE4_VERSION(vu::wif2, Table),
                        VU_SIMD_AVX2_VERSION(vu::wif2, Table),
                        VU_SIMD_AVX512_VERSION(vu::wif2, Table)};
  const Fn table = level >= VU_SIMD_PLAIN && level <= VU_SIMD_AVX512 ? byLevel[level] : nullptr;
  return table ? table() : nullptr;
}
#endif

#else // no Highway: the plain kernels only

const vuWifDsp* vuWifDspVectorTable(vuSimdLevel) {
  return nullptr;
}

#endif
