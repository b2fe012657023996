// The browser's side of the plug-in interface for a JavaScript page: the same entry points the
// native hosts load, driven through a handful of C calls. Each viewer is one NPP instance with a
// window whose device context is a software target; every paint message is handed to the page
// (vu_web_painted), which copies the window's RGBA pixels onto its canvas.
#include <emscripten.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "imagelib/vuHostWindow.h"
#include "imagelib/vuImage.h"
#include "imagelib/vuPlatform.h"
#include "imagelib/vuSoftwareTarget.h"
#include "plugin/PluginHost.h"
#include "plugin/PluginInstance.h"
#include "plugin/npapi.h"

// The page's paint handler: called after every paint of a viewer's window.
EM_JS(void, vu_web_painted, (int viewer), {
  if (Module.onPaint) Module.onPaint(viewer);
});

namespace {

constexpr char kMimeType[] = "image/RAZizazed";
// Where a save through the right-click dialog lands before the page turns it into a download.
constexpr char kSaveFolder[] = "/save";

// No dialog is ever shown: the page chooses the format from its own menu and the answer is
// prepared before the right click reaches the window.
class WebPlatform : public vuRecordingPlatform {
public:
  int MessageBox(const char* text, const char* caption, vuMessageButtons buttons,
                 vuMessageIcon icon) override {
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    return vuRecordingPlatform::MessageBox(text, caption, buttons, icon);
  }

  // The save dialog answers with the file prepared for the right click that asked it; any other
  // dialog is cancelled.
  bool GetSaveFileName(vuFileDialog& dialog) override {
    if (saveFilter == 0) return false;
    dialog.filterIndex = saveFilter;
    dialog.path = savePath;
    dialog.extensionOffset = vuFileExtensionOffset(savePath);
    saveFilter = 0;
    return true;
  }
  bool GetOpenFileName(vuFileDialog&) override { return false; }

  std::string savePath;
  int saveFilter = 0; // 1 WIF, 2 BMP; 0 when no save is prepared
};

class WebWindow : public vuHostWindow {
public:
  WebWindow(int viewer, int width, int height)
      : vuHostWindow(width, height), target_(width, height, 24), viewer_(viewer) {}
  vuDeviceContext* GetDC() override { return &target_; }

  // The window as RGBA rows from the top, as a canvas takes them.
  const uint8_t* Rgba() {
    const std::vector<uint32_t>& pixels = target_.Pixels();
    rgba_.resize(pixels.size() * 4);
    for (size_t i = 0; i < pixels.size(); ++i) {
      const uint32_t p = pixels[i];
      rgba_[4 * i] = static_cast<uint8_t>(p >> 16);
      rgba_[4 * i + 1] = static_cast<uint8_t>(p >> 8);
      rgba_[4 * i + 2] = static_cast<uint8_t>(p);
      rgba_[4 * i + 3] = 255;
    }
    return rgba_.data();
  }
  int paints = 0;

protected:
  void OnPainted() override {
    ++paints;
    vu_web_painted(viewer_);
  }

private:
  vuSoftwareTarget target_;
  std::vector<uint8_t> rgba_;
  int viewer_;
};

struct Viewer {
  NPP_t npp{};
  NPWindow record{};
  NPStream stream{};
  std::unique_ptr<WebWindow> window;
  bool open = false;
  bool created = false;
  bool ended = false;
  bool pictureAtEnd = false; // the file's own picture had started when the stream ended
  std::vector<uint8_t> saved;
};

NPPluginFuncs gPlugin{};
NPNetscapeFuncs gBrowser{};
WebPlatform gPlatform;
bool gStarted = false;
std::vector<std::unique_ptr<Viewer>> gViewers;

void* HostMemAlloc(uint32_t size) {
  return std::malloc(size);
}
void HostMemFree(void* pointer) {
  std::free(pointer);
}
const char* HostUserAgent(NPP) {
  return "vuweb";
}
void HostStatus(NPP, const char*) {}

bool Start() {
  if (gStarted) return true;
  gPlugin.size = sizeof gPlugin;
  gBrowser.size = sizeof gBrowser;
  gBrowser.version = (NP_VERSION_MAJOR << 8) + NP_VERSION_MINOR;
  gBrowser.memalloc = HostMemAlloc;
  gBrowser.memfree = HostMemFree;
  gBrowser.uagent = HostUserAgent;
  gBrowser.status = HostStatus;
  vuSetPlatform(&gPlatform);
  vuPluginSetPlatform(&gPlatform);
  if (NP_GetEntryPoints(&gPlugin) != NPERR_NO_ERROR) return false;
  if (NP_Initialize(&gBrowser) != NPERR_NO_ERROR) return false;
  gStarted = true;
  return true;
}

Viewer* Find(int viewer) {
  if (viewer < 0 || static_cast<size_t>(viewer) >= gViewers.size()) return nullptr;
  return gViewers[static_cast<size_t>(viewer)].get();
}

} // namespace

extern "C" {

// A new viewer (mode 1 embedded, 2 full page) with a window of width x height, its stream open.
// Returns the viewer's number, or -1 when the plug-in refused it.
EMSCRIPTEN_KEEPALIVE int vuWebCreate(int mode, int width, int height) {
  if (!Start()) return -1;
  if (width < 1 || height < 1 || width > vuSoftwareTarget::kMaxSide ||
      height > vuSoftwareTarget::kMaxSide)
    return -1;
  const int number = static_cast<int>(gViewers.size());
  auto viewer = std::make_unique<Viewer>();
  viewer->window = std::make_unique<WebWindow>(number, width, height);
  char mime[sizeof kMimeType];
  std::memcpy(mime, kMimeType, sizeof kMimeType);
  const uint16_t npMode = mode == 2 ? NP_FULL : NP_EMBED;
  if (gPlugin.newp(mime, &viewer->npp, npMode, 0, nullptr, nullptr, nullptr) != NPERR_NO_ERROR)
    return -1;
  viewer->created = true;
  viewer->record.window = viewer->window.get();
  viewer->record.width = static_cast<uint32_t>(width);
  viewer->record.height = static_cast<uint32_t>(height);
  viewer->record.type = NPWindowTypeWindow;
  uint16_t streamType = NP_NORMAL;
  Viewer* v = viewer.get();
  gViewers.push_back(std::move(viewer));
  if (gPlugin.setwindow(&v->npp, &v->record) != NPERR_NO_ERROR ||
      gPlugin.newstream(&v->npp, mime, &v->stream, 0, &streamType) != NPERR_NO_ERROR) {
    gPlugin.destroy(&v->npp, nullptr);
    gViewers.back().reset();
    return -1;
  }
  v->open = true;
  return number;
}

// NPP_WriteReady of the viewer's stream; -1 once the stream is closed.
EMSCRIPTEN_KEEPALIVE int vuWebWriteReady(int viewer) {
  Viewer* v = Find(viewer);
  if (!v || !v->open) return -1;
  return gPlugin.writeready(&v->npp, &v->stream);
}

// NPP_Write of `length` bytes at `bytes`; the plug-in's answer (-1: no more data wanted).
EMSCRIPTEN_KEEPALIVE int vuWebWrite(int viewer, const uint8_t* bytes, int length) {
  Viewer* v = Find(viewer);
  if (!v || !v->open || length < 0) return -1;
  const int32_t offset = static_cast<int32_t>(v->stream.end);
  const int32_t answer =
      gPlugin.write(&v->npp, &v->stream, offset, length, const_cast<uint8_t*>(bytes));
  if (answer > 0) v->stream.end += static_cast<uint32_t>(answer);
  return answer;
}

EMSCRIPTEN_KEEPALIVE int vuWebHasPicture(int viewer);

// NPP_DestroyStream: the stream ended (reason 0 done, 1 network error, 2 user break).
EMSCRIPTEN_KEEPALIVE void vuWebEndStream(int viewer, int reason) {
  Viewer* v = Find(viewer);
  if (!v || !v->open) return;
  v->open = false;
  // Asked before the end: a stream that never started ends showing the placeholder, which is
  // an image of the instance's too.
  v->pictureAtEnd = vuWebHasPicture(viewer) == 1;
  v->ended = true;
  gPlugin.destroystream(&v->npp, &v->stream, static_cast<NPReason>(reason));
}

// The window's pixels, width x height RGBA from the top row (null for an unknown viewer).
EMSCRIPTEN_KEEPALIVE const uint8_t* vuWebPixels(int viewer) {
  Viewer* v = Find(viewer);
  return v ? v->window->Rgba() : nullptr;
}

EMSCRIPTEN_KEEPALIVE int vuWebPaintCount(int viewer) {
  Viewer* v = Find(viewer);
  return v ? v->window->paints : -1;
}

// The picture's size as the plug-in holds it (0 before the header).
EMSCRIPTEN_KEEPALIVE int vuWebImageWidth(int viewer) {
  Viewer* v = Find(viewer);
  const vuImage* image = v ? vuPluginInstanceImage(&v->npp) : nullptr;
  return image && image->header ? image->Width() : 0;
}
EMSCRIPTEN_KEEPALIVE int vuWebImageHeight(int viewer) {
  Viewer* v = Find(viewer);
  const vuImage* image = v ? vuPluginInstanceImage(&v->npp) : nullptr;
  return image && image->header ? image->Height() : 0;
}

// 1 once the stream's header was decoded (a picture of the file, not the placeholder), else 0.
EMSCRIPTEN_KEEPALIVE int vuWebHasPicture(int viewer) {
  Viewer* v = Find(viewer);
  if (v && v->ended) return v->pictureAtEnd ? 1 : 0;
  const auto* core = v ? static_cast<const PluginInstance*>(v->npp.pdata) : nullptr;
  return core && core->started == 1 && core->image ? 1 : 0;
}

// A right click on the window answered with "WIF" (filter 1) or "BMP" (filter 2): the plug-in
// writes the file, which is kept for vuWebSavedBytes. Returns its size, or -1 when nothing was
// written (the plug-in reported why through a message).
EMSCRIPTEN_KEEPALIVE int vuWebSave(int viewer, int filter) {
  Viewer* v = Find(viewer);
  if (!v || (filter != 1 && filter != 2)) return -1;
  v->saved.clear();
  const std::string path = std::string(kSaveFolder) + (filter == 1 ? "/picture.wif" : "/picture.bmp");
  std::remove(path.c_str());
  EM_ASM({ try { FS.mkdir(UTF8ToString($0)); } catch (e) {} }, kSaveFolder);
  gPlatform.savePath = path;
  gPlatform.saveFilter = filter;
  v->window->SendMessage(VU_WM_RBUTTONDOWN, 0, 0);
  gPlatform.saveFilter = 0;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return -1;
  uint8_t chunk[65536];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
    v->saved.insert(v->saved.end(), chunk, chunk + got);
  std::fclose(file);
  std::remove(path.c_str());
  return static_cast<int>(v->saved.size());
}

EMSCRIPTEN_KEEPALIVE const uint8_t* vuWebSavedBytes(int viewer) {
  Viewer* v = Find(viewer);
  return v && !v->saved.empty() ? v->saved.data() : nullptr;
}

// Ends the stream if still open and destroys the instance.
EMSCRIPTEN_KEEPALIVE void vuWebDestroy(int viewer) {
  Viewer* v = Find(viewer);
  if (!v) return;
  vuWebEndStream(viewer, NPRES_USER_BREAK);
  if (v->created) gPlugin.destroy(&v->npp, nullptr);
  gViewers[static_cast<size_t>(viewer)].reset();
}

} // extern "C"
