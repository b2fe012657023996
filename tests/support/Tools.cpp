#include "support/Tools.h"

#include <gtest/gtest.h>

namespace vutest {

bool HaveImageMagick() {
  static const bool have = HaveProgram("convert") && HaveProgram("identify");
  return have;
}

bool HavePillow() {
  static const bool have = RunCommand("/usr/bin/python3 -c 'import PIL'") == 0;
  return have;
}

bool Shell(const std::string& command) {
  std::string output;
  // Grouped, so that a tool's warnings do not end up in a file its output goes to.
  const int status = RunCommand("{ " + command + "; }", &output);
  if (status != 0) ADD_FAILURE() << command << " failed (" << status << "): " << output;
  return status == 0;
}

bool RunPython(const std::string& program, const TempDir& dir) {
  static int counter = 0;
  const std::string script = dir.Path("script" + std::to_string(++counter) + ".py");
  WriteFileBytes(script, std::vector<uint8_t>(program.begin(), program.end()));
  return Shell("/usr/bin/python3 " + Quote(script) + " " + Quote(dir.Root().string()));
}

Picture CommandDecode(const std::string& command, const std::string& pnmPath) {
  Picture picture;
  if (!Shell(command)) return picture;
  if (!ReadPnm(pnmPath, &picture)) {
    ADD_FAILURE() << command << " wrote no readable PNM file";
    return Picture{};
  }
  return AsRgb(picture);
}

Picture MagickDecode(const std::string& file, const std::string& arguments, int depth,
                     const TempDir& dir) {
  static int counter = 0;
  const std::string out = dir.Path("magick" + std::to_string(++counter) + ".ppm");
  // "[0]": the first image of a file with several.
  return CommandDecode("convert " + Quote(file + "[0]") + " " + arguments + " -depth " +
                           std::to_string(depth) + " " + Quote("ppm:" + out),
                       out);
}

Picture PillowDecode(const std::string& file, const TempDir& dir, Alpha alpha) {
  static int counter = 0;
  const std::string out = dir.Path("pillow" + std::to_string(++counter) + ".ppm");
  const std::string program = "import sys\nfrom PIL import Image\n"
                              "im = Image.open(sys.argv[1])\n"
                              "if sys.argv[3] == 'white' and (im.mode in ('RGBA', 'LA', 'PA') or "
                              "'transparency' in im.info):\n"
                              "    im = im.convert('RGBA')\n"
                              "    white = Image.new('RGBA', im.size, (255, 255, 255, 255))\n"
                              "    im = Image.alpha_composite(white, im)\n"
                              "im.convert('RGB').save(sys.argv[2], 'PPM')\n";
  const std::string script = dir.Path("pillowdecode.py");
  WriteFileBytes(script, std::vector<uint8_t>(program.begin(), program.end()));
  return CommandDecode("/usr/bin/python3 " + Quote(script) + " " + Quote(file) + " " + Quote(out) +
                           (alpha == Alpha::OverWhite ? " white" : " drop"),
                       out);
}

std::string SmallPhoto(const TempDir& dir, int width, int height) {
  vuImageOwner crop;
  CropSample(crop, Sample("chelsea.ppm"), 150, 120, width, height);
  const std::string path =
      dir.Path("photo" + std::to_string(width) + "x" + std::to_string(height) + ".ppm");
  EXPECT_EQ(crop.SaveImage(path.c_str(), 4, nullptr), 0);
  return path;
}

} // namespace vutest
