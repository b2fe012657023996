// What the plug-in tells a browser about itself, and the formats its copy of the library offers.
#pragma once

constexpr char kPluginMimeType[] = "image/RAZizazed";
constexpr char kPluginFileExtents[] = "wif,vuw";
constexpr char kPluginFileOpenName[] = "VU Wavelet Image (*.wif,*.vuw)";
constexpr char kPluginFileDescription[] = "VU Wavelet Image Files";
constexpr char kPluginProductName[] = "VU Internet Plug-in";
constexpr char kPluginInternalName[] = "VU Internet Plug-in";
constexpr char kPluginFileVersion[] = "2,0,0,0";
// "type:extensions:description", as browsers on Unix read it.
constexpr char kPluginMimeDescription[] = "image/RAZizazed:wif,vuw:VU Wavelet Image Files";

// The plug-in reads and writes WIF and BMP only: the registry keeps those two formats.
void RegisterPluginFormats();
