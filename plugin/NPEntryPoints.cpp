// The entry points a browser calls: the library's tables and registration data, and the
// instance calls, which hand over to the instance kept in the browser's instance record.
#include <cstring>
#include <new>

#include "imagelib/vuOSWinClass.h"
#include "imagelib/vuPlatform.h"
#include "plugin/PluginHost.h"
#include "plugin/PluginInstance.h"
#include "plugin/PluginRegistration.h"
#include "plugin/npapi.h"

namespace {

NPNetscapeFuncs* gBrowserFuncs = nullptr;
NPPluginFuncs* gPluginFuncs = nullptr;

PluginInstance* InstanceOf(NPP instance) {
  return instance ? static_cast<PluginInstance*>(instance->pdata) : nullptr;
}

NPError NPP_Initialize() {
  gInstanceCount = 0;
  RegisterPluginFormats();
  return NPERR_NO_ERROR;
}

void NPP_Shutdown() {
  gInstanceCount = 0;
}

NPError NPP_New(NPMIMEType, NPP instance, uint16_t mode, int16_t, char*[], char*[], NPSavedData*) {
  if (!instance) return NPERR_INVALID_INSTANCE_ERROR;
  auto* self = new (std::nothrow) PluginInstance(instance, mode);
  if (!self || !self->Valid()) {
    delete self;
    return NPERR_OUT_OF_MEMORY_ERROR;
  }
  instance->pdata = self;
  ++gInstanceCount;
  return NPERR_NO_ERROR;
}

NPError NPP_Destroy(NPP instance, NPSavedData**) {
  if (!instance) return NPERR_INVALID_INSTANCE_ERROR;
  PluginInstance* self = InstanceOf(instance);
  if (!self) return NPERR_NO_ERROR;
  self->DetachWindow();
  delete self;
  instance->pdata = nullptr;
  --gInstanceCount;
  return NPERR_NO_ERROR;
}

NPError NPP_SetWindow(NPP instance, NPWindow* window) {
  if (!window) return NPERR_GENERIC_ERROR;
  if (!instance) return NPERR_INVALID_INSTANCE_ERROR;
  PluginInstance* self = InstanceOf(instance);
  if (!self) return NPERR_GENERIC_ERROR;
  self->SetWindow(static_cast<vuHostWindow*>(window->window));
  return NPERR_NO_ERROR;
}

NPError NPP_NewStream(NPP instance, NPMIMEType, NPStream*, NPBool, uint16_t* stype) {
  if (!instance) return NPERR_INVALID_INSTANCE_ERROR;
  if (stype) *stype = NP_NORMAL;
  if (PluginInstance* self = InstanceOf(instance)) self->NewStream();
  return NPERR_NO_ERROR;
}

int32_t NPP_WriteReady(NPP instance, NPStream*) {
  PluginInstance* self = InstanceOf(instance);
  return self ? self->WriteReady() : -1;
}

int32_t NPP_Write(NPP instance, NPStream*, int32_t, int32_t len, void* buffer) {
  PluginInstance* self = InstanceOf(instance);
  return self ? self->Write(static_cast<const uint8_t*>(buffer), len) : -1;
}

void NPP_StreamAsFile(NPP, NPStream*, const char*) {}

NPError NPP_DestroyStream(NPP instance, NPStream*, NPReason) {
  if (!instance) return NPERR_INVALID_INSTANCE_ERROR;
  if (PluginInstance* self = InstanceOf(instance)) self->EndOfStream();
  return NPERR_NO_ERROR;
}

void NPP_Print(NPP instance, NPPrint* printInfo) {
  if (PluginInstance* self = InstanceOf(instance)) self->Print(printInfo);
}

} // namespace

extern "C" {

NP_EXPORT NPError NP_GetEntryPoints(NPPluginFuncs* pluginFuncs) {
  if (!pluginFuncs || pluginFuncs->size < NP_PLUGIN_FUNCS_MIN_SIZE)
    return NPERR_INVALID_FUNCTABLE_ERROR;
  pluginFuncs->version = (NP_VERSION_MAJOR << 8) + NP_VERSION_MINOR;
  pluginFuncs->newp = NPP_New;
  pluginFuncs->destroy = NPP_Destroy;
  pluginFuncs->setwindow = NPP_SetWindow;
  pluginFuncs->newstream = NPP_NewStream;
  pluginFuncs->destroystream = NPP_DestroyStream;
  pluginFuncs->asfile = NPP_StreamAsFile;
  pluginFuncs->writeready = NPP_WriteReady;
  pluginFuncs->write = NPP_Write;
  pluginFuncs->print = NPP_Print;
  pluginFuncs->event = nullptr;
  gPluginFuncs = pluginFuncs;
  return NPERR_NO_ERROR;
}

NP_EXPORT NPError NP_Initialize(NPNetscapeFuncs* browserFuncs) {
  if (!browserFuncs) return NPERR_INVALID_FUNCTABLE_ERROR;
  gBrowserFuncs = browserFuncs;
  if ((browserFuncs->version >> 8) > NP_VERSION_MAJOR) return NPERR_INCOMPATIBLE_VERSION_ERROR;
  if (browserFuncs->size < NP_NETSCAPE_FUNCS_MIN_SIZE) return NPERR_INVALID_FUNCTABLE_ERROR;
  // Nothing is offered to the browser's scripting.
  if (gPluginFuncs) gPluginFuncs->javaClass = nullptr;
  return NPP_Initialize();
}

NP_EXPORT NPError NP_Shutdown(void) {
  NPP_Shutdown();
  gBrowserFuncs = nullptr;
  return NPERR_NO_ERROR;
}

NP_EXPORT const char* NP_GetMIMEDescription(void) {
  return kPluginMimeDescription;
}

NP_EXPORT NPError NP_GetValue(void*, NPPVariable variable, void* value) {
  if (!value) return NPERR_INVALID_PARAM;
  switch (variable) {
  case NPPVpluginNameString:
    *static_cast<const char**>(value) = kPluginProductName;
    return NPERR_NO_ERROR;
  case NPPVpluginDescriptionString:
    *static_cast<const char**>(value) = kPluginFileDescription;
    return NPERR_NO_ERROR;
  default:
    return NPERR_INVALID_PARAM;
  }
}

NP_EXPORT const char* NP_GetPluginVersion(void) {
  return kPluginFileVersion;
}

NP_EXPORT vuPlatformServices* vuPluginSetPlatform(vuPlatformServices* services) {
  return vuSetPlatform(services);
}

NP_EXPORT int vuPluginInstanceCount(void) {
  return gInstanceCount;
}

NP_EXPORT const vuImage* vuPluginInstanceImage(NPP instance) {
  PluginInstance* self = InstanceOf(instance);
  return self ? self->image : nullptr;
}

} // extern "C"
