#include "formats/vuRowCopy.h"

#include <algorithm>
#include <cstring>

#if defined(VU_HAVE_HWY)
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "formats/vuRowCopy.cpp"
#include <hwy/foreach_target.h> // IWYU pragma: keep
#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace vu_rows {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// Returns the number of groups done; the caller finishes the rest one group at a time.
size_t ReverseGroups(const uint8_t* in, uint8_t* out, size_t groups, int groupBytes) {
  const hn::ScalableTag<uint8_t> d8;
  const hn::ScalableTag<uint16_t> d16;
  size_t g = 0;
  if (groupBytes == 3) {
    const size_t n = hn::Lanes(d8);
    for (; g + n <= groups; g += n) {
      hn::Vec<decltype(d8)> a, b, c;
      hn::LoadInterleaved3(d8, in + 3 * g, a, b, c);
      hn::StoreInterleaved3(c, b, a, d8, out + 3 * g);
    }
  } else if (groupBytes == 2) {
    const size_t n = hn::Lanes(d16);
    for (; g + n <= groups; g += n) {
      const auto v = hn::LoadU(d16, reinterpret_cast<const uint16_t*>(in + 2 * g));
      hn::StoreU(hn::Or(hn::ShiftLeft<8>(v), hn::ShiftRight<8>(v)), d16,
                 reinterpret_cast<uint16_t*>(out + 2 * g));
    }
  } else if (groupBytes == 6) {
    // Three 16-bit samples: their order reversed and each one's two bytes swapped.
    const size_t n = hn::Lanes(d16);
    auto swap = [](auto v) { return hn::Or(hn::ShiftLeft<8>(v), hn::ShiftRight<8>(v)); };
    for (; g + n <= groups; g += n) {
      hn::Vec<decltype(d16)> a, b, c;
      hn::LoadInterleaved3(d16, reinterpret_cast<const uint16_t*>(in + 6 * g), a, b, c);
      hn::StoreInterleaved3(swap(c), swap(b), swap(a), d16,
                            reinterpret_cast<uint16_t*>(out + 6 * g));
    }
  }
  return g;
}

} // namespace HWY_NAMESPACE
} // namespace vu_rows
HWY_AFTER_NAMESPACE();

#endif // VU_HAVE_HWY

#if !defined(VU_HAVE_HWY) || HWY_ONCE
namespace {
size_t NoVectorGroups(const uint8_t*, uint8_t*, size_t, int) {
  return 0;
}
} // namespace
#endif

#if defined(VU_HAVE_HWY) && HWY_ONCE
#include "imagelib/vuSimdDispatch.h"
#endif

#if !defined(VU_HAVE_HWY) || HWY_ONCE
namespace {
using GroupKernel = size_t (*)(const uint8_t*, uint8_t*, size_t, int);

GroupKernel KernelFor(vuSimdLevel level) {
#if defined(VU_HAVE_HWY)
  return VU_SIMD_PICK(vu_rows, ReverseGroups, level, &NoVectorGroups);
#else
  (void)level;
  return &NoVectorGroups;
#endif
}

void ReverseWith(GroupKernel kernel, const uint8_t* in, uint8_t* out, size_t groups,
                 int groupBytes) {
  if (groupBytes != 2 && groupBytes != 3 && groupBytes != 4 && groupBytes != 6) {
    if (in != out && groupBytes > 0)
      std::memmove(out, in, groups * static_cast<size_t>(groupBytes));
    return;
  }
  const size_t size = static_cast<size_t>(groupBytes);
  for (size_t g = kernel(in, out, groups, groupBytes); g < groups; ++g) {
    uint8_t group[6];
    std::memcpy(group, in + g * size, size);
    for (size_t k = 0; k < size; ++k)
      out[g * size + k] = group[size - 1 - k];
  }
}
} // namespace

void vuReverseByteGroups(const uint8_t* in, uint8_t* out, size_t groups, int groupBytes) {
  static const GroupKernel kernel = KernelFor(vuSimdBestLevel());
  ReverseWith(kernel, in, out, groups, groupBytes);
}

void vuReverseByteGroupsAt(vuSimdLevel level, const uint8_t* in, uint8_t* out, size_t groups,
                           int groupBytes) {
  ReverseWith(KernelFor(level > vuSimdBestLevel() ? vuSimdBestLevel() : level), in, out, groups,
              groupBytes);
}

void vuClampSamples16(uint8_t* samples, size_t count, uint16_t top) {
  // Through an aligned buffer, so that the comparisons vectorise.
  uint16_t block[512];
  for (size_t start = 0; start < count; start += 512) {
    const size_t n = std::min<size_t>(512, count - start);
    uint8_t* p = samples + 2 * start;
    for (size_t i = 0; i < n; ++i)
      block[i] = static_cast<uint16_t>(p[2 * i] | (p[2 * i + 1] << 8));
    for (size_t i = 0; i < n; ++i)
      block[i] = std::min(block[i], top);
    for (size_t i = 0; i < n; ++i) {
      p[2 * i] = static_cast<uint8_t>(block[i]);
      p[2 * i + 1] = static_cast<uint8_t>(block[i] >> 8);
    }
  }
}
#endif
