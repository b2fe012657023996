// The convolution kernels of Filter, their menu names and the tone functions of Brightness and
// Contrast for one channel value.
#pragma once

// One 3 x 3 kernel: k0..k8 row by row from the top line of the neighbourhood, then the divisor.
struct vuFilterKernel {
  int coefficients[9];
  int divisor;
};

constexpr int vuFilterKernelCount = 14;
// The first thirteen kernels carry a menu name; the last is reachable only through Filter.
constexpr int vuFilterMenuCount = 13;
extern const vuFilterKernel vuFilterKernels[vuFilterKernelCount];
extern const char* const vuFilterNames[vuFilterMenuCount];

// The kernel index of a menu name ("Low Pass 1" ... "Laplace 4", case ignored), or -1.
int vuFilterIndex(const char* name);

// The tone functions of one channel value 0..255 for an amount in -100..100.
int vuToneBrightness(int value, int amount);
int vuToneContrast(int value, int amount);
