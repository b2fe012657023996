// What a host that plays the system for the plug-in uses beside the browser entry points.
#pragma once

#include "plugin/npapi.h"

class vuPlatformServices;
class vuImage;

extern "C" {
// Installs the services (windows' screen, dialogs, printers) the plug-in's copy of the library
// calls; null restores the headless default. Returns the previous services.
NP_EXPORT vuPlatformServices* vuPluginSetPlatform(vuPlatformServices* services);
// Live instances.
NP_EXPORT int vuPluginInstanceCount(void);
// The picture of an instance (null for an instance the plug-in does not know).
NP_EXPORT const vuImage* vuPluginInstanceImage(NPP instance);
}

// Names of the two calls for dlsym.
constexpr char kPluginSetPlatformSymbol[] = "vuPluginSetPlatform";
constexpr char kPluginInstanceCountSymbol[] = "vuPluginInstanceCount";
constexpr char kPluginInstanceImageSymbol[] = "vuPluginInstanceImage";
