// Independent tools (ImageMagick, Pillow, netpbm, the JPEG and GIF tools) as references for our
// readers and writers.
#pragma once

#include <string>

#include "support/Picture.h"
#include "support/TestSupport.h"

namespace vutest {

bool HaveImageMagick();
bool HavePillow();

// Runs a shell command; on failure the test fails with the command's output.
bool Shell(const std::string& command);
// Runs a Python program with Pillow (the folder is its first argument).
bool RunPython(const std::string& program, const TempDir& dir);

// Decodes of `file` by independent tools, as red, green, blue pictures (grey as three channels),
// read back with the tests' own PNM parser so that no reader of ours takes part. An empty picture
// when the tool failed.
// ImageMagick's decode of the first image in `file` at `depth` bits a channel, with `arguments`
// before the output (such as -auto-orient).
Picture MagickDecode(const std::string& file, const std::string& arguments, int depth,
                     const TempDir& dir);
// Pillow's decode; transparent parts composited on white, or the alpha simply dropped.
enum class Alpha { OverWhite, Drop };
Picture PillowDecode(const std::string& file, const TempDir& dir, Alpha alpha = Alpha::OverWhite);
// The PNM file that `command` writes to `pnmPath`.
Picture CommandDecode(const std::string& command, const std::string& pnmPath);

// A small colour picture (a crop of a real photograph, so that edges and smooth parts both occur)
// saved as "photo<width>x<height>.ppm" in `dir`; its path.
std::string SmallPhoto(const TempDir& dir, int width = 37, int height = 29);

} // namespace vutest
