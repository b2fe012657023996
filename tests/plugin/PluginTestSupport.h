// Helpers of the streaming viewer's tests: a browser that drives the plug-in's entry points in
// this process, windows that draw into pixel buffers, and stream files made at test time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imagelib/vuHostWindow.h"
#include "imagelib/vuImageOwner.h"
#include "imagelib/vuOSWinClass.h"
#include "imagelib/vuPlatform.h"
#include "imagelib/vuSoftwareTarget.h"
#include "plugin/PluginInstance.h"
#include "plugin/npapi.h"

namespace plugintest {

// A window whose device context is a pixel buffer of its size; it counts its paints.
class TestWindow : public vuHostWindow {
public:
  TestWindow(int width, int height) : vuHostWindow(width, height), target(width, height) {}
  vuDeviceContext* GetDC() override { return &target; }
  vuSoftwareTarget target;
  int paints = 0;

protected:
  void OnPainted() override { ++paints; }
};

// The browser: the plug-in's tables from NP_GetEntryPoints and NP_Initialize, and a recording
// platform (screen depth, dialogs, printers) installed for as long as it lives.
class Browser {
public:
  explicit Browser(int screenDepth = 24);
  ~Browser();
  NPPluginFuncs plugin{};
  NPNetscapeFuncs browser{};
  vuRecordingPlatform platform;

private:
  vuPlatformServices* previous_ = nullptr;
};

// What one stream did: every NPP_WriteReady answer, every NPP_Write answer, and the paints each
// write caused.
struct StreamLog {
  std::vector<int32_t> ready;
  std::vector<int32_t> answers;
  std::vector<int> paints;
};

// One instance with its window, created with NPP_New and given its window with NPP_SetWindow.
class TestInstance {
public:
  TestInstance(Browser& browser, uint16_t mode = NP_EMBED, int width = 400, int height = 300);
  ~TestInstance();
  TestInstance(const TestInstance&) = delete;
  TestInstance& operator=(const TestInstance&) = delete;

  // Streams the file: piece 0 gives each write exactly what WriteReady asked for, piece N gives
  // pieces of N bytes. The stream stops at `stopAfter` bytes or when a write answers -1, and
  // ends with NPP_DestroyStream unless `end` is false.
  StreamLog Stream(const std::vector<uint8_t>& file, int piece = 0, size_t stopAfter = SIZE_MAX,
                   bool end = true);
  PluginInstance& Core() { return *static_cast<PluginInstance*>(npp.pdata); }
  vuImage& Image();

  Browser& browser;
  NPP_t npp{};
  TestWindow window;
  NPWindow record{};
  NPStream stream{};
};

// A bundled sample as an image (camera.pgm grey, chelsea.ppm and astronaut.ppm colour), cut to
// the given size from its top-left corner (repeated when the size is larger).
void LoadSample(const std::string& name, int width, int height, vuImage* image);
// The image widened to 16 bits a sample with `bits` significant bits.
void Widen(const vuImage& image, int bits, vuImage* wide);

// A WIF2 stream of the image (256 x 256 tiles when `tiled`).
std::vector<uint8_t> Wif2Stream(const vuImage& image, bool tiled);
// An older-generation stream of the image ('5'/'7' grey, '6'/'8' colour), long or short form;
// `wide` codes 16-bit samples (the image must then be 16-bit with 12 significant bits).
std::vector<uint8_t> ClassicStream(const vuImage& image, char digit, bool shortForm = false,
                                   const std::string& comment = "");

// The file reader's decode (older generation), or WIF2's tile-by-tile decode without seam
// smoothing. Returns 0 or the reader's negative code.
int ReaderDecode(const std::vector<uint8_t>& file, vuImage* image);
int Wif2TileDecode(const std::vector<uint8_t>& file, vuImage* image);

// The byte counts a streaming client waits for, from the file's own length words: 14, the rest
// of the header with the first word, then every chunk (older generation); 14, 40, the comment
// with the first marker, then every tile's chunk (WIF2).
std::vector<int32_t> ExpectedNeeds(const std::vector<uint8_t>& file);

// Same format, size and pixel bytes.
bool SameImage(vuImage& a, vuImage& b, std::string* why = nullptr);

} // namespace plugintest
