// The plain kernels as templates over the arithmetic type (int32_t or int64_t): the reference
// versions of vuWifDsp, and the kernels of 16-bit pictures.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vu::wif2::plain {
#include "codec/wif2/dsp/vuWifDspKernels-inl.h"
} // namespace vu::wif2::plain
