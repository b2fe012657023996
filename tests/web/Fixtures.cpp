// Writes the files the browser tests stream: WIF2 grey and colour, tiled and untiled, older-
// generation grey and colour, a four-megapixel tiled photograph for timing, and a file that is not
// WIF. Usage: vuweb-fixtures FOLDER
#include <cstdio>
#include <string>
#include <vector>

#include "imagelib/vuImageOwner.h"
#include "plugin/PluginTestSupport.h"

using namespace plugintest;

namespace {

bool Write(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written && !bytes.empty();
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: vuweb-fixtures FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  vuImageOwner grey, colour, large;
  LoadSample("camera.pgm", 512, 512, &grey);
  LoadSample("chelsea.ppm", 451, 300, &colour);
  LoadSample("astronaut.ppm", 2048, 2048, &large);
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
  } files[] = {
      {"grey-tiled.wif", Wif2Stream(grey, true)},
      {"grey.wif", Wif2Stream(grey, false)},
      {"colour-tiled.wif", Wif2Stream(colour, true)},
      {"colour.wif", Wif2Stream(colour, false)},
      {"older-grey.wif", ClassicStream(grey, '5')},
      {"older-colour.wif", ClassicStream(colour, '6')},
      {"large-tiled.wif", Wif2Stream(large, true)},
  };
  for (const auto& file : files) {
    if (!Write(folder + "/" + file.name, file.bytes)) {
      std::fprintf(stderr, "vuweb-fixtures: cannot write %s/%s\n", folder.c_str(), file.name);
      return 1;
    }
  }
  return 0;
}
