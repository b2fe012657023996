// The real program under a virtual X server, driven with the keyboard only: Alt+C, a file name,
// Enter in the file dialog and Enter in the options dialog must leave the compressed file.
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "imagelib/vuImage.h"

namespace {

TEST(Keyboard, AltCCompressesTheActiveImage) {
  for (const char* tool : {"xvfb-run", "xdotool"})
    if (!vutest::HaveProgram(tool))
      GTEST_SKIP() << tool << " is missing: the program cannot be driven on a virtual screen";
  vutest::TempDir dir;
  const std::string picture = dir.Path("picture.ppm");
  apptest::WritePpm(picture, 96, 64, [](int x, int y) {
    return uint32_t(x * 2) << 16 | uint32_t(y * 3) << 8 | uint32_t((x * y) & 255);
  });
  // Each step waits for the window it needs before it types.
  const std::string script =
      "XDG_CONFIG_HOME=" + vutest::Quote(dir.Path("config")) + " QT_QPA_PLATFORM=xcb " +
      vutest::Quote(VUSTUDIO_PATH) + " " + vutest::Quote(picture) +
      " & pid=$!;"
      " w=$(timeout 60 xdotool search --sync --onlyvisible --name 'The Tessary' | head -1);"
      " sleep 1; xdotool windowfocus --sync $w; xdotool key --clearmodifiers alt+c;"
      " d=$(timeout 30 xdotool search --sync --onlyvisible --name 'Select Compressed File Name'"
      " | head -1);"
      " sleep 0.5; xdotool key --window $d ctrl+a; xdotool type --delay 20 result;"
      " xdotool key Return;"
      " timeout 30 xdotool search --sync --onlyvisible --name 'WIF Save Options' >/dev/null;"
      " sleep 0.5; xdotool key Return;"
      " for i in $(seq 1 50); do [ -s " +
      vutest::Quote(dir.Path("result.wif")) +
      " ] && break; sleep 0.2; done;"
      " kill $pid; wait $pid 2>/dev/null; true";
  std::string output;
  const int status = vutest::RunCommand(
      "xvfb-run -a -s '-screen 0 1024x768x24' sh -c " + vutest::Quote(script), &output);
  ASSERT_EQ(status, 0) << output;
  vutest::ScopedImage written;
  ASSERT_EQ(written.LoadImage(dir.Path("result.wif").c_str()), 0) << output;
  EXPECT_EQ(written.GetFileType(dir.Path("result.wif").c_str()), 1);
  EXPECT_EQ(written.Width(), 96);
  EXPECT_EQ(written.Height(), 64);
}

} // namespace
