#include "fuzz/FuzzTargets.h"

namespace vu::fuzz {

const std::vector<Target>& Targets() {
  static const std::vector<Target> targets = {
      {"load_bmp", LoadBmp},
      {"load_pnm", LoadPnm},
      {"load_tiff", LoadTiff},
      {"load_jpeg", LoadJpeg},
      {"load_png", LoadPng},
      {"load_targa", LoadTarga},
      {"load_pcx", LoadPcx},
      {"load_gif", LoadGif},
      {"load_wif", LoadWif},
      {"file_info", FileInfo},
      {"wif2_decode", Wif2Decode},
      {"wif2_tiles", Wif2Tiles},
      {"classic_decode", ClassicDecode},
      {"classic_passes", ClassicPasses},
      {"wif2_roundtrip", Wif2RoundTrip},
      {"plugin_stream", PluginStream},
  };
  return targets;
}

const Target* FindTarget(const std::string& name) {
  for (const Target& target : Targets())
    if (name == target.name) return &target;
  return nullptr;
}

} // namespace vu::fuzz
