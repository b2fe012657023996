#include "codec/wif2/vuWifQuantize.h"

vuWifSteps vuWifLumaSteps(int quality, bool fast, int extraBits) {
  vuWifSteps s;
  s.base = quality + 2;
  s.firstLevel = s.base << ((fast ? 4 : 12) + extraBits);
  s.lowBand = s.base << (4 + extraBits);
  return s;
}

vuWifSteps vuWifChromaSteps(int quality, int shift) {
  vuWifSteps s;
  s.base = quality + 2;
  s.firstLevel = s.base << shift; // the divisor of the 2 x 2 differences
  s.lowBand = s.base * 16;
  return s;
}

vuWifOutputScale vuWifOutputDivisor(int quality, bool fast, int shift) {
  const int64_t base = quality + 2;
  vuWifOutputScale scale;
  if (fast && shift > 0) {
    // The fast divisor shrinks to nothing as the shift grows; scale the sums up instead.
    scale.divisor = ((int64_t(1) << 14) + base / 2) / base;
    scale.multiplier = int64_t(1) << shift;
  } else {
    scale.divisor = ((int64_t(1) << ((fast ? 14 : 22) - shift)) + base / 2) / base;
  }
  return scale;
}
