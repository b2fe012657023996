// The streaming viewer: a stream handed to a plug-in instance through its entry points, in write
// sizes taken from the data, with a window that paints into a small pixel buffer.
#include <algorithm>
#include <cstring>

#include "codec/classic/ClassicHeader.h"
#include "codec/wif2/vuWifFormat.h"
#include "formats/vuRegistry.h"
#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"
#include "imagelib/vuHostWindow.h"
#include "imagelib/vuImage.h"
#include "imagelib/vuSoftwareTarget.h"
#include "plugin/PluginHost.h"
#include "plugin/npapi.h"

namespace vu::fuzz {

namespace {

// A window whose device context is a small pixel buffer (painting costs little).
class FuzzWindow : public vuHostWindow {
public:
  FuzzWindow() : vuHostWindow(48, 32), target_(48, 32) {}
  vuDeviceContext* GetDC() override { return &target_; }

private:
  vuSoftwareTarget target_;
};

// The browser's side for one input: the tables, initialised and shut down again (the plug-in
// registers only its own formats; the other targets want them all back).
class Browser {
public:
  Browser() {
    plugin.size = sizeof plugin;
    browser.size = sizeof browser;
    browser.version = NP_VERSION_MINOR;
    VU_FUZZ_CHECK(NP_GetEntryPoints(&plugin) == NPERR_NO_ERROR);
    VU_FUZZ_CHECK(NP_Initialize(&browser) == NPERR_NO_ERROR);
  }
  ~Browser() {
    NP_Shutdown();
    vuFormatRegistry::Instance().Clear();
    vuRegisterStandardFormats(vuFormatRegistry::Instance());
  }
  NPPluginFuncs plugin{};
  NPNetscapeFuncs browser{};
};

// Whether the stream's header declares a picture larger than a fuzz run decodes.
bool StreamTooLargeToDecode(const uint8_t* data, size_t size) {
  if (size >= kWifHeaderBytes && std::memcmp(data, "WIF2", 4) == 0)
    return Wif2TooLargeToDecode(data);
  ClassicHeader header;
  if (ParseClassicHeader(data, size, &header, false) != 1) return false;
  const int64_t bits = (header.color ? 24 : 8) * header.EffectiveSampleBytes();
  return DecodedBytes(header.width, header.height, bits) > kMaxDecodedBytes;
}

constexpr size_t kControlBytes = 5;

} // namespace

// The first byte chooses the screen depth (bit 0: 8-bit palette screen), the mode (bit 1: full
// page) and the delivery (bit 2: exactly what NPP_WriteReady asks for; otherwise the next four
// bytes, plus one and times 16 when bit 3 is set, are the write sizes in turn). The rest is the
// stream. Returns 0 when every byte was delivered, -1 when a write answered -1 first.
int PluginStream(const uint8_t* data, size_t size) {
  if (size < kControlBytes) return -2;
  const uint8_t flags = data[0];
  const uint8_t* pieces = data + 1;
  const uint8_t* stream = data + kControlBytes;
  const size_t length = size - kControlBytes;
  if (StreamTooLargeToDecode(stream, length)) return kSkipped;

  QuietScope quiet;
  vuPlatform().screen.bitsPerPixel = (flags & 1) ? 8 : 24;
  Browser browser;
  FuzzWindow window;
  NPP_t npp{};
  char mime[] = "image/RAZizazed";
  const uint16_t mode = (flags & 2) ? NP_FULL : NP_EMBED;
  VU_FUZZ_CHECK(browser.plugin.newp(mime, &npp, mode, 0, nullptr, nullptr, nullptr) ==
                NPERR_NO_ERROR);
  NPWindow record{};
  record.window = &window;
  record.width = static_cast<uint32_t>(window.Width());
  record.height = static_cast<uint32_t>(window.Height());
  VU_FUZZ_CHECK(browser.plugin.setwindow(&npp, &record) == NPERR_NO_ERROR);

  NPStream npStream{};
  uint16_t type = 0;
  VU_FUZZ_CHECK(browser.plugin.newstream(&npp, mime, &npStream, 0, &type) == NPERR_NO_ERROR);
  std::vector<uint8_t> copy(stream, stream + length);
  int result = 0;
  size_t offset = 0;
  for (int write = 0; offset < length; ++write) {
    const int32_t ready = browser.plugin.writeready(&npp, &npStream);
    size_t piece = (flags & 4) ? static_cast<size_t>(std::max(ready, 0))
                               : (pieces[write % 4] + size_t(1)) * ((flags & 8) ? 16 : 1);
    piece = std::min(piece, length - offset);
    if (piece == 0) break;
    const int32_t answer = browser.plugin.write(&npp, &npStream, static_cast<int32_t>(offset),
                                                static_cast<int32_t>(piece), copy.data() + offset);
    VU_FUZZ_CHECK(answer == -1 || answer == static_cast<int32_t>(piece));
    if (answer < 0) {
      result = -1;
      break;
    }
    offset += piece;
  }
  VU_FUZZ_CHECK(browser.plugin.destroystream(&npp, &npStream, NPRES_DONE) == NPERR_NO_ERROR);

  // Whatever the stream held, the picture is whole and the window paints it.
  const vuImage* image = vuPluginInstanceImage(&npp);
  VU_FUZZ_CHECK(image != nullptr);
  if (image && image->header) CheckLoadResult(*image, 0);
  window.Invalidate(true);
  window.Update();
  window.SendMessage(VU_WM_LBUTTONDOWN);
  VU_FUZZ_CHECK(browser.plugin.destroy(&npp, nullptr) == NPERR_NO_ERROR);
  VU_FUZZ_CHECK(vuPluginInstanceCount() == 0);
  return result;
}

} // namespace vu::fuzz
