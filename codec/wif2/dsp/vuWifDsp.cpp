#include "codec/wif2/dsp/vuWifDsp.h"

#include "codec/wif2/dsp/vuWifDspPlain.h"

// The vectorised tables, one per level this build has (null when it has none).
const vuWifDsp* vuWifDspVectorTable(vuSimdLevel level);

namespace {

namespace plain = vu::wif2::plain;

const vuWifDsp kPlain = {
    &plain::Analysis53<int32_t>,     &plain::Analysis97<int32_t>,
    &plain::Synthesis53<int32_t>,    &plain::Synthesis97<int32_t>,
    &plain::ForwardColumns<int32_t>, &plain::InverseColumns<int32_t>,
    &plain::RoundDivideRow<int32_t>, &plain::Interleave<int32_t>,
    &plain::ForwardColour8,          &plain::InverseColour8,
    &plain::ForwardChroma<int32_t>,  &plain::InverseChroma16,
};

} // namespace

const vuWifDsp& vuWifDspFor(vuSimdLevel level) {
  if (level > vuSimdBestLevel()) level = vuSimdBestLevel();
  for (int l = level; l > VU_SIMD_PLAIN; --l)
    if (const vuWifDsp* table = vuWifDspVectorTable(vuSimdLevel(l))) return *table;
  return kPlain;
}

const vuWifDsp& vuWifDspBest() {
  static const vuWifDsp& best = vuWifDspFor(vuSimdBestLevel());
  return best;
}
