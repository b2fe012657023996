// The convolution kernels of Filter, their menu names and the tone functions of Brightness and
// Contrast for one channel value.
#pragma once

// One 3 x 3 kernel: k0..k8 row by row from the top line of the neighbourhood, then the divisor.
struct vuFilterKernel {
  int coefficients[9];
  int divisor;
};

constexpr int vuFilterKernelCount = 22;
// The first thirteen kernels carry a menu name; the fourteenth is reachable only through Filter;
// the last eight are the compass gradients, North first and then clockwise.
constexpr int vuFilterMenuCount = 13;
constexpr int vuFilterGradientFirst = 14;
constexpr int vuFilterGradientCount = 8;
extern const vuFilterKernel vuFilterKernels[vuFilterKernelCount];
extern const char* const vuFilterNames[vuFilterMenuCount];
// "North" ... "North West": the gradient kernels' directions.
extern const char* const vuGradientNames[vuFilterGradientCount];

// The kernel index of a menu name ("Low Pass 1" ... "Laplace 4", or "Gradient North" ...
// "Gradient North West"; case ignored), or -1.
int vuFilterIndex(const char* name);

// The tone functions of one channel value 0..255 for an amount in -100..100.
int vuToneBrightness(int value, int amount);
int vuToneContrast(int value, int amount);
