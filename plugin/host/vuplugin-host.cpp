// vuplugin-host: loads the plug-in library and plays the browser and the system for it. It
// streams a file to one or more instances, each with a window of its own, and reports every
// stream call and every paint on standard output; it can write the window after each paint, the
// final picture, a save through the right-click dialog and a printed page.
#include <dlfcn.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "formats/vuRegistry.h"
#include "imagelib/vuHostWindow.h"
#include "imagelib/vuImage.h"
#include "imagelib/vuImageOwner.h"
#include "imagelib/vuPlatform.h"
#include "imagelib/vuSoftwareTarget.h"
#include "plugin/PluginHost.h"
#include "plugin/npapi.h"

namespace {

const char kUsage[] =
    "usage: vuplugin-host [options] FILE\n"
    "  --deliver exact|N   exact (default): each NPP_Write gets exactly what NPP_WriteReady\n"
    "                      answered; N: the file in pieces of N bytes whatever was asked\n"
    "  --mode embed|full   the NPP_New mode (default embed)\n"
    "  --window WxH        the plug-in window's size (default 400x300)\n"
    "  --instances N       N instances stream the same file side by side (default 1)\n"
    "  --stop-after B      the stream ends (NPP_DestroyStream) after B bytes\n"
    "  --screen-depth D    the simulated screen depth (default 24)\n"
    "  --frames DIR        after every paint, the window as DIR/frame-NNN.png\n"
    "                      (of the first instance)\n"
    "  --out FILE          at the end, the instance's image saved by the output's extension\n"
    "  --save-wif FILE, --save-bmp FILE\n"
    "                      a right click answered with that file and filter\n"
    "  --print FILE.png    NPP_Print; the printed page rendered into FILE.png\n"
    "  --plugin PATH       the plug-in library (default: libvuplugin.so beside this program)\n"
    "standard output, one line per event, in order:\n"
    "  ready N             each NPP_WriteReady answer\n"
    "  write N -> R        each NPP_Write: the bytes given and the answer\n"
    "  paint K             each paint of the window (K counts from 1)\n"
    "  end                 after NPP_DestroyStream\n"
    "--out, --save-*, and --print act on the first instance. Exit status: 0 when the session\n"
    "ran, 1 when the library could not be loaded or an entry point failed, 2 on bad usage.\n";

const char kMimeType[] = "image/RAZizazed";

struct Options {
  bool exact = true;
  int pieceSize = 0;
  uint16_t mode = NP_EMBED;
  int width = 400;
  int height = 300;
  int instances = 1;
  long long stopAfter = -1;
  int screenDepth = 24;
  std::string frames;
  std::string out;
  std::string saveFile;
  int saveFilter = 0; // 1 WIF, 2 BMP
  std::string print;
  std::string plugin;
  std::string file;
};

bool ParseInt(const char* text, long long low, long long high, long long* value) {
  if (!text || !*text) return false;
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(text, &end, 10);
  if (errno != 0 || *end != '\0' || v < low || v > high) return false;
  *value = v;
  return true;
}

// 0 when the options are good, else 2 with the reason on standard error.
int ParseOptions(int argc, char** argv, Options* options) {
  auto bad = [](const std::string& why) {
    std::fprintf(stderr, "vuplugin-host: %s\n%s", why.c_str(), kUsage);
    return 2;
  };
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](const char** out) {
      if (i + 1 >= argc) return false;
      *out = argv[++i];
      return true;
    };
    const char* v = nullptr;
    long long n = 0;
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    } else if (arg == "--deliver") {
      if (!value(&v)) return bad("--deliver needs a value");
      if (std::strcmp(v, "exact") == 0) {
        options->exact = true;
      } else if (ParseInt(v, 1, INT32_MAX, &n)) {
        options->exact = false;
        options->pieceSize = static_cast<int>(n);
      } else {
        return bad("--deliver takes exact or a piece size of at least 1");
      }
    } else if (arg == "--mode") {
      if (!value(&v)) return bad("--mode needs a value");
      if (std::strcmp(v, "embed") == 0)
        options->mode = NP_EMBED;
      else if (std::strcmp(v, "full") == 0)
        options->mode = NP_FULL;
      else
        return bad("--mode takes embed or full");
    } else if (arg == "--window") {
      if (!value(&v)) return bad("--window needs a value");
      int w = 0, h = 0;
      char rest = 0;
      if (std::sscanf(v, "%dx%d%c", &w, &h, &rest) != 2 || w < 1 || h < 1 ||
          w > vuSoftwareTarget::kMaxSide || h > vuSoftwareTarget::kMaxSide)
        return bad("--window takes WxH with sides of 1 to 16384");
      options->width = w;
      options->height = h;
    } else if (arg == "--instances") {
      if (!value(&v) || !ParseInt(v, 1, 64, &n)) return bad("--instances takes 1 to 64");
      options->instances = static_cast<int>(n);
    } else if (arg == "--stop-after") {
      if (!value(&v) || !ParseInt(v, 0, LLONG_MAX, &n))
        return bad("--stop-after takes a byte count");
      options->stopAfter = n;
    } else if (arg == "--screen-depth") {
      if (!value(&v) || !ParseInt(v, 1, 32, &n)) return bad("--screen-depth takes 1 to 32");
      options->screenDepth = static_cast<int>(n);
    } else if (arg == "--frames") {
      if (!value(&v)) return bad("--frames needs a folder");
      options->frames = v;
    } else if (arg == "--out") {
      if (!value(&v)) return bad("--out needs a file");
      options->out = v;
    } else if (arg == "--save-wif" || arg == "--save-bmp") {
      if (!value(&v)) return bad(arg + " needs a file");
      options->saveFile = v;
      options->saveFilter = arg == "--save-wif" ? 1 : 2;
    } else if (arg == "--print") {
      if (!value(&v)) return bad("--print needs a file");
      options->print = v;
    } else if (arg == "--plugin") {
      if (!value(&v)) return bad("--plugin needs a file");
      options->plugin = v;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return bad("unknown option " + arg);
    } else if (options->file.empty()) {
      options->file = arg;
    } else {
      return bad("only one file can be streamed");
    }
  }
  if (options->file.empty()) return bad("no file to stream");
  return 0;
}

std::string DefaultPluginPath() {
  std::vector<char> path(4096);
  ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (length <= 0) return "libvuplugin.so";
  std::string self(path.data(), static_cast<size_t>(length));
  size_t slash = self.rfind('/');
  return (slash == std::string::npos ? std::string(".") : self.substr(0, slash)) +
         "/libvuplugin.so";
}

// The type number a file name's extension names among the registered formats, or -1.
int TypeForFileName(const std::string& fileName) {
  size_t dot = fileName.rfind('.');
  if (dot == std::string::npos) return -1;
  std::string extension = fileName.substr(dot + 1);
  for (char& c : extension)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const int types[] = {VU_TYPE_WIF,  VU_TYPE_BMP,   VU_TYPE_PCX, VU_TYPE_PPM,  VU_TYPE_PGM,
                       VU_TYPE_TIFF, VU_TYPE_TARGA, VU_TYPE_GIF, VU_TYPE_JPEG, VU_TYPE_PNG};
  vuImageOwner probe;
  for (int type : types) {
    std::unique_ptr<vuRWImage> rw(probe.CreateRWImage(type));
    if (!rw || !rw->extensions) continue;
    std::string list = std::string("|") + rw->extensions + "|";
    if (list.find("|" + extension + "|") != std::string::npos) return type;
  }
  return -1;
}

bool SavePixels(const vuSoftwareTarget& target, const std::string& fileName) {
  vuImageOwner image;
  return target.CopyToImage(image) == 1 && image.SaveImage(fileName.c_str(), VU_TYPE_PNG) == 0;
}

bool SavePage(const vuPrintedPage& page, const std::string& fileName) {
  vuImageOwner image;
  bool saved = false;
  if (image.AllocateBitmap(page.width, page.height, 0, BM_24BIT) && image.header) {
    for (int y = 0; y < page.height; ++y) {
      uint8_t* row = image.Row(page.height - 1 - y);
      for (int x = 0; x < page.width; ++x) {
        uint32_t p = page.pixels[static_cast<size_t>(y) * page.width + x];
        row[3 * x] = static_cast<uint8_t>(p);
        row[3 * x + 1] = static_cast<uint8_t>(p >> 8);
        row[3 * x + 2] = static_cast<uint8_t>(p >> 16);
      }
    }
    saved = image.SaveImage(fileName.c_str(), VU_TYPE_PNG) == 0;
  }
  return saved;
}

// The system as the host plays it: recorded dialogs answered from the options, printers that
// keep their pages, message boxes shown on standard error.
class HostPlatform : public vuRecordingPlatform {
public:
  int MessageBox(const char* text, const char* caption, vuMessageButtons buttons,
                 vuMessageIcon icon) override {
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    return vuRecordingPlatform::MessageBox(text, caption, buttons, icon);
  }
};

// A plug-in window: a software drawing target of the window's size; every finished paint is
// reported and, for the first window, written out as a frame.
class HostWindow : public vuHostWindow {
public:
  HostWindow(int width, int height, int depth, const std::string& frames)
      : vuHostWindow(width, height), target_(width, height, depth), frames_(frames) {}
  vuDeviceContext* GetDC() override { return &target_; }
  const vuSoftwareTarget& Target() const { return target_; }

protected:
  void OnPainted() override {
    ++paints_;
    std::printf("paint %d\n", paints_);
    if (frames_.empty()) return;
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%03d.png", paints_);
    if (!SavePixels(target_, frames_ + name))
      std::fprintf(stderr, "vuplugin-host: cannot write the frame %s%s\n", frames_.c_str(), name);
  }

private:
  vuSoftwareTarget target_;
  std::string frames_;
  int paints_ = 0;
};

struct Session {
  NPP_t npp{};
  NPWindow record{};
  NPStream stream{};
  std::unique_ptr<HostWindow> window;
  size_t offset = 0;
  bool open = false;
  int idleWrites = 0;
};

// The browser's side of the interface: nothing the plug-in calls needs more than this.
void* HostMemAlloc(uint32_t size) {
  return std::malloc(size);
}
void HostMemFree(void* pointer) {
  std::free(pointer);
}
const char* HostUserAgent(NPP) {
  return "vuplugin-host";
}
void HostStatus(NPP, const char*) {}

template <class Function> bool Lookup(void* library, const char* name, Function* function) {
  *function = reinterpret_cast<Function>(dlsym(library, name));
  if (!*function) std::fprintf(stderr, "vuplugin-host: the library has no %s\n", name);
  return *function != nullptr;
}

int Run(const Options& options) {
  FILE* input = std::fopen(options.file.c_str(), "rb");
  if (!input) {
    std::fprintf(stderr, "vuplugin-host: %s: cannot open the file\n", options.file.c_str());
    return 1;
  }
  std::vector<uint8_t> data;
  uint8_t chunk[65536];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, input)) > 0)
    data.insert(data.end(), chunk, chunk + got);
  const bool readFailed = std::ferror(input) != 0;
  std::fclose(input);
  if (readFailed) {
    std::fprintf(stderr, "vuplugin-host: %s: cannot read the file\n", options.file.c_str());
    return 1;
  }
  size_t limit = data.size();
  if (options.stopAfter >= 0 && static_cast<unsigned long long>(options.stopAfter) < limit)
    limit = static_cast<size_t>(options.stopAfter);

  if (!options.frames.empty()) {
    std::error_code made;
    std::filesystem::create_directories(options.frames, made);
    if (made) {
      std::fprintf(stderr, "vuplugin-host: %s: cannot make the folder\n", options.frames.c_str());
      return 1;
    }
  }
  const std::string pluginPath = options.plugin.empty() ? DefaultPluginPath() : options.plugin;
  void* library = dlopen(pluginPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    std::fprintf(stderr, "vuplugin-host: cannot load %s: %s\n", pluginPath.c_str(), dlerror());
    return 1;
  }
  NPError (*getEntryPoints)(NPPluginFuncs*) = nullptr;
  NPError (*initialize)(NPNetscapeFuncs*) = nullptr;
  NPError (*shutdown)() = nullptr;
  vuPlatformServices* (*setPlatform)(vuPlatformServices*) = nullptr;
  const vuImage* (*instanceImage)(NPP) = nullptr;
  if (!Lookup(library, "NP_GetEntryPoints", &getEntryPoints) ||
      !Lookup(library, "NP_Initialize", &initialize) ||
      !Lookup(library, "NP_Shutdown", &shutdown) ||
      !Lookup(library, kPluginSetPlatformSymbol, &setPlatform) ||
      !Lookup(library, kPluginInstanceImageSymbol, &instanceImage))
    return 1;

  HostPlatform platform;
  platform.screen.bitsPerPixel = options.screenDepth;
  if (options.saveFilter != 0)
    platform.fileAnswers.push_back({true, options.saveFile, options.saveFilter});
  platform.printAccepts = true;
  platform.profile.push_back({"WINDOWS", "DEVICE", "Host Printer,vuplugin-host,FILE:"});
  // The same system for the host's drawing and for the plug-in's copy of the library.
  vuScopedPlatform hostPlatform(&platform);
  setPlatform(&platform);

  NPPluginFuncs plugin{};
  plugin.size = sizeof plugin;
  NPNetscapeFuncs browser{};
  browser.size = sizeof browser;
  browser.version = (NP_VERSION_MAJOR << 8) + NP_VERSION_MINOR;
  browser.memalloc = HostMemAlloc;
  browser.memfree = HostMemFree;
  browser.uagent = HostUserAgent;
  browser.status = HostStatus;

  int status = 0;
  auto failed = [&](const char* call, int error) {
    std::fprintf(stderr, "vuplugin-host: %s failed with error %d\n", call, error);
    status = 1;
  };
  NPError error = getEntryPoints(&plugin);
  if (error != NPERR_NO_ERROR) {
    failed("NP_GetEntryPoints", error);
  } else if ((error = initialize(&browser)) != NPERR_NO_ERROR) {
    failed("NP_Initialize", error);
  }

  std::vector<std::unique_ptr<Session>> sessions;
  for (int i = 0; status == 0 && i < options.instances; ++i) {
    auto session = std::make_unique<Session>();
    session->window =
        std::make_unique<HostWindow>(options.width, options.height, options.screenDepth,
                                     i == 0 ? options.frames : std::string());
    char mime[sizeof kMimeType];
    std::memcpy(mime, kMimeType, sizeof kMimeType);
    error = plugin.newp(mime, &session->npp, options.mode, 0, nullptr, nullptr, nullptr);
    if (error != NPERR_NO_ERROR) {
      failed("NPP_New", error);
      break;
    }
    Session* s = session.get();
    sessions.push_back(std::move(session));
    s->record.window = s->window.get();
    s->record.width = static_cast<uint32_t>(options.width);
    s->record.height = static_cast<uint32_t>(options.height);
    s->record.type = NPWindowTypeWindow;
    if ((error = plugin.setwindow(&s->npp, &s->record)) != NPERR_NO_ERROR) {
      failed("NPP_SetWindow", error);
      break;
    }
    s->stream.url = options.file.c_str();
    s->stream.end = static_cast<uint32_t>(data.size());
    uint16_t streamType = NP_NORMAL;
    if ((error = plugin.newstream(&s->npp, mime, &s->stream, 0, &streamType)) != NPERR_NO_ERROR) {
      failed("NPP_NewStream", error);
      break;
    }
    s->open = true;
  }

  auto endStream = [&](Session& s) {
    plugin.destroystream(&s.npp, &s.stream, NPRES_DONE);
    std::printf("end\n");
    s.open = false;
  };
  // The instances take turns, one write each, until every stream has ended.
  for (bool any = status == 0; any;) {
    any = false;
    for (auto& session : sessions) {
      Session& s = *session;
      if (!s.open) continue;
      any = true;
      if (s.offset >= limit) {
        endStream(s);
        continue;
      }
      const int32_t ready = plugin.writeready(&s.npp, &s.stream);
      std::printf("ready %d\n", ready);
      size_t size = options.exact ? (ready > 0 ? static_cast<size_t>(ready) : 0)
                                  : static_cast<size_t>(options.pieceSize);
      size = std::min(size, limit - s.offset);
      if (size == 0) {
        // The plug-in wants nothing more.
        endStream(s);
        continue;
      }
      const int32_t answer = plugin.write(&s.npp, &s.stream, static_cast<int32_t>(s.offset),
                                          static_cast<int32_t>(size), data.data() + s.offset);
      std::printf("write %zu -> %d\n", size, answer);
      if (answer < 0) {
        endStream(s);
        continue;
      }
      // What the plug-in did not take is offered again; a plug-in that keeps taking nothing ends
      // the stream.
      s.offset += std::min(static_cast<size_t>(answer), size);
      s.idleWrites = answer == 0 ? s.idleWrites + 1 : 0;
      if (s.idleWrites > 1) endStream(s);
    }
  }

  if (status == 0 && !sessions.empty()) {
    Session& first = *sessions.front();
    if (!options.out.empty()) {
      const vuImage* picture = instanceImage(&first.npp);
      const int type = TypeForFileName(options.out);
      if (type < 0) {
        std::fprintf(stderr, "vuplugin-host: %s: unknown output type\n", options.out.c_str());
        status = 1;
      } else if (!picture || !picture->header) {
        std::fprintf(stderr, "vuplugin-host: %s: the instance has no picture\n",
                     options.out.c_str());
        status = 1;
      } else {
        // A copy in the host's own image model, whose registry knows every format.
        vuImageOwner copy;
        copy.AllocateBitmap(picture->Width(), picture->Height(), picture->Colors(),
                            picture->format);
        if (copy.header) {
          std::memcpy(copy.bits, picture->bits,
                      static_cast<size_t>(int64_t(picture->Stride()) * picture->Height()));
          if (picture->palette && copy.palette)
            std::memcpy(copy.palette, picture->palette,
                        sizeof(vuRGBA) * static_cast<size_t>(picture->TableEntries()));
          copy.sampleBits = picture->sampleBits;
          // PPM holds colour and PGM grey, in 8 or 16 bits a sample.
          const bool grey = copy.format == BM_8BIT_GRAY || copy.format == BM_16BIT_GRAY;
          if (type == VU_TYPE_PPM && grey) copy.MakeRGB();
          if (type == VU_TYPE_PGM && !grey) copy.MakeGS();
        }
        if (!copy.header || copy.SaveImage(options.out.c_str(), type) != 0) {
          std::fprintf(stderr, "vuplugin-host: %s: cannot write the picture\n",
                       options.out.c_str());
          status = 1;
        }
      }
    }
    if (options.saveFilter != 0) first.window->SendMessage(VU_WM_RBUTTONDOWN);
    if (!options.print.empty()) {
      NPPrint print{};
      print.mode = options.mode;
      if (options.mode == NP_EMBED)
        print.print.embedPrint.window = first.record;
      else
        print.print.fullPrint.printOne = 1;
      const size_t before = platform.printedPages.size();
      plugin.print(&first.npp, &print);
      if (platform.printedPages.size() == before) {
        std::fprintf(stderr, "vuplugin-host: nothing was printed\n");
      } else if (!SavePage(platform.printedPages.back(), options.print)) {
        std::fprintf(stderr, "vuplugin-host: %s: cannot write the page\n", options.print.c_str());
        status = 1;
      }
    }
  }

  for (auto& session : sessions) {
    error = plugin.destroy(&session->npp, nullptr);
    if (error != NPERR_NO_ERROR) failed("NPP_Destroy", error);
  }
  if (shutdown() != NPERR_NO_ERROR) failed("NP_Shutdown", -1);
  setPlatform(nullptr);
  std::fflush(stdout);
  return status;
}

} // namespace

int main(int argc, char** argv) {
  Options options;
  int usage = ParseOptions(argc, argv, &options);
  if (usage != 0) return usage;
  return Run(options);
}
