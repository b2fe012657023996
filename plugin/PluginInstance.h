// One plug-in instance: an image embedded in a page or opened full-page. It decodes the stream
// while it arrives, one step per chunk (older-generation files pass by pass, WIF2 tile by tile),
// repaints its window after each step, and offers saving and printing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imagelib/vuHostWindow.h"
#include "plugin/ByteBuffer.h"
#include "plugin/ClassicStreamDecoder.h"
#include "plugin/Wif2StreamDecoder.h"
#include "plugin/npapi.h"

class vuOSWinClass;

enum PluginCodecKind : uint8_t { CODEC_CLASSIC = 0, CODEC_WIF2 = 1 };

// What the WIF2 header says.
struct Wif2HeaderInfo {
  int width = 0;
  int height = 0;
  int colour = 0; // 0 grey, 1 colour
};

class PluginInstance {
public:
  PluginInstance(NPP instance, uint16_t mode);
  ~PluginInstance();
  PluginInstance(const PluginInstance&) = delete;
  PluginInstance& operator=(const PluginInstance&) = delete;

  // True when the image object could be created.
  bool Valid() const { return image != nullptr; }

  // The stream calls.
  void NewStream();
  int32_t WriteReady() const;
  // Appends the bytes and runs the decode steps they allow. Returns len, or -1 once no more data
  // is wanted (the stream is complete or damaged).
  int32_t Write(const uint8_t* buffer, int32_t len);
  void EndOfStream();

  // The window calls.
  void SetWindow(vuHostWindow* newWindow);
  void DetachWindow();
  intptr_t WindowProc(int message, uintptr_t wParam, intptr_t lParam);

  // Right click: the save dialog, then the file as WIF (the consumed bytes) or BMP.
  void SaveDialog();
  // Prints the image (embedded: default printer, full page or no record: the print dialog).
  void Print(const NPPrint* printInfo);

  // Steps of the stream; public so that hosts and tests can follow them.
  PluginCodecKind codecKind = CODEC_CLASSIC;
  NPP instance = nullptr;
  vuOSWinClass* image = nullptr;
  int started = 0;
  int palettePending = 1;
  int headerSize = ClassicStreamDecoder::kFirstBytes;
  vuHostWindow* window = nullptr;
  uint16_t mode = NP_EMBED;
  vuWindowProc previousWindowProc = nullptr;
  std::unique_ptr<ClassicStreamDecoder> classicDriver;
  std::unique_ptr<Wif2StreamDecoder> wif2Driver;
  Wif2HeaderInfo wif2Header;
  int colour = 0;
  int pass = 0;
  int32_t needed = ClassicStreamDecoder::kFirstBytes;
  ByteBuffer consumed;
  ByteBuffer pending;

private:
  // Runs one step when enough data is pending; false when none could run.
  bool DecodeStep();
  bool ClassicStep();
  bool Wif2Step();
  void ClassicHeaderStep();
  void ClassicPassStep();
  void Wif2HeaderStep();
  void Wif2PassStep();
  // The header step's end: the header size, the first wait, pass 1.
  void HeaderDone(int headerBytes, int64_t wanted);
  // The consumed bytes followed by the first `count` pending ones (a header that arrived in two
  // steps). False when memory is short.
  bool JoinConsumed(size_t count, std::vector<uint8_t>* bytes) const;
  // consume(needed), then needed = next. False (and no more data wanted) when memory is short.
  bool Advance(int64_t next);
  // Creates the picture; false when the size cannot be held.
  bool CreateImage(int width, int height, int bitCount, int sampleBits);
  // After a step: the display copy of a 16-bit picture, then a repaint.
  void ShowStep();
  void ShowPlaceholder();
  void BuildDisplayPalette();

  // Invalidate without erase and paint at once.
  void Repaint();
  void RealizePalette(bool background);
  void Paint();
  void SaveAs(const std::string& fileName, int filterIndex);
};

// The file name a save writes to: the name chosen in the save dialog (`extensionOffset` where
// its extension starts, 0 when it ended with a dot) completed with the extension of the chosen
// filter's pattern ("*.wif"). The comparison with a typed extension is case-sensitive.
std::string PluginOutputName(const std::string& name, int extensionOffset, const char* pattern);

// The window procedure of a subclassed plug-in window.
intptr_t PluginWindowProc(vuHostWindow* window, int message, uintptr_t wParam, intptr_t lParam);

// Live instances (NPP_New adds one, NPP_Destroy removes one).
extern int gInstanceCount;
