// The gdk-pixbuf loader module for WIF files: GTK programs and file managers open both file
// generations through it. The data is gathered as it arrives and decoded whole when it ends, by
// the same reader the converter uses (the plug-in's streaming decoder leaves the seams of tiled
// files unsmoothed, so its pictures are not quite the converter's).
#define GDK_PIXBUF_ENABLE_BACKEND
#include <gdk-pixbuf/gdk-pixbuf-io.h>
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <new>
#include <vector>

#include "desktop/gdkpixbuf/WifPixbuf.h"

namespace {

struct LoadContext {
  GdkPixbufModuleSizeFunc sizeFunc = nullptr;
  GdkPixbufModulePreparedFunc preparedFunc = nullptr;
  GdkPixbufModuleUpdatedFunc updatedFunc = nullptr;
  gpointer userData = nullptr;
  std::vector<uint8_t> bytes;
};

constexpr char kNoMemory[] = "Not enough memory to load the WIF image";

gpointer BeginLoad(GdkPixbufModuleSizeFunc sizeFunc, GdkPixbufModulePreparedFunc preparedFunc,
                   GdkPixbufModuleUpdatedFunc updatedFunc, gpointer userData, GError** error) {
  auto* context = new (std::nothrow) LoadContext;
  if (!context) {
    g_set_error_literal(error, GDK_PIXBUF_ERROR, GDK_PIXBUF_ERROR_INSUFFICIENT_MEMORY, kNoMemory);
    return nullptr;
  }
  context->sizeFunc = sizeFunc;
  context->preparedFunc = preparedFunc;
  context->updatedFunc = updatedFunc;
  context->userData = userData;
  return context;
}

gboolean LoadIncrement(gpointer data, const guchar* buffer, guint size, GError** error) {
  auto* context = static_cast<LoadContext*>(data);
  try {
    context->bytes.insert(context->bytes.end(), buffer, buffer + size);
  } catch (const std::bad_alloc&) {
    g_set_error_literal(error, GDK_PIXBUF_ERROR, GDK_PIXBUF_ERROR_INSUFFICIENT_MEMORY, kNoMemory);
    return FALSE;
  }
  return TRUE;
}

gboolean Finish(LoadContext& context, GError** error) {
  int width = 0;
  int height = 0;
  if (!WifPixbufSize(context.bytes.data(), context.bytes.size(), &width, &height)) {
    g_set_error_literal(error, GDK_PIXBUF_ERROR, GDK_PIXBUF_ERROR_CORRUPT_IMAGE, "Not a WIF image");
    return FALSE;
  }
  if (context.sizeFunc) {
    // A caller that only wants the size answers 0 x 0.
    int askedWidth = width;
    int askedHeight = height;
    context.sizeFunc(&askedWidth, &askedHeight, context.userData);
    if (askedWidth == 0 || askedHeight == 0) {
      g_set_error_literal(error, GDK_PIXBUF_ERROR, GDK_PIXBUF_ERROR_CORRUPT_IMAGE,
                          "The WIF image was not decoded: only its size was asked for");
      return FALSE;
    }
  }
  GdkPixbuf* pixbuf = nullptr;
  const int result = WifDecodeToPixbuf(context.bytes.data(), context.bytes.size(), &pixbuf);
  if (result != 0) {
    if (result == -3)
      g_set_error_literal(error, GDK_PIXBUF_ERROR, GDK_PIXBUF_ERROR_INSUFFICIENT_MEMORY, kNoMemory);
    else
      g_set_error_literal(error, GDK_PIXBUF_ERROR, GDK_PIXBUF_ERROR_CORRUPT_IMAGE,
                          "The WIF image is damaged or incomplete");
    return FALSE;
  }
  if (context.preparedFunc) context.preparedFunc(pixbuf, nullptr, context.userData);
  if (context.updatedFunc) context.updatedFunc(pixbuf, 0, 0, width, height, context.userData);
  g_object_unref(pixbuf);
  return TRUE;
}

gboolean StopLoad(gpointer data, GError** error) {
  auto* context = static_cast<LoadContext*>(data);
  const gboolean done = Finish(*context, error);
  delete context;
  return done;
}

} // namespace

extern "C" {

G_MODULE_EXPORT void fill_vtable(GdkPixbufModule* module) {
  module->begin_load = BeginLoad;
  module->stop_load = StopLoad;
  module->load_increment = LoadIncrement;
}

G_MODULE_EXPORT void fill_info(GdkPixbufFormat* info) {
  // The older generation's two-byte signatures are less certain than the four-byte ones.
  static GdkPixbufModulePattern signatures[] = {
      {const_cast<char*>("WIF2"), nullptr, 100}, {const_cast<char*>("WIF5"), nullptr, 100},
      {const_cast<char*>("WIF6"), nullptr, 100}, {const_cast<char*>("WIF7"), nullptr, 100},
      {const_cast<char*>("WIF8"), nullptr, 100}, {const_cast<char*>("W5"), nullptr, 80},
      {const_cast<char*>("W6"), nullptr, 80},    {const_cast<char*>("W7"), nullptr, 80},
      {const_cast<char*>("W8"), nullptr, 80},    {nullptr, nullptr, 0}};
  static const gchar* mimeTypes[] = {"image/RAZizazed", "image/x-wif", nullptr};
  static const gchar* extensions[] = {"wif", "vuw", nullptr};
  info->name = const_cast<gchar*>("wif");
  info->signature = signatures;
  info->description = const_cast<gchar*>("WIF image");
  info->mime_types = const_cast<gchar**>(mimeTypes);
  info->extensions = const_cast<gchar**>(extensions);
  info->flags = 0;
  info->license = const_cast<gchar*>("other");
}

} // extern "C"
