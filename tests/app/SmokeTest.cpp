// The real program under a virtual X server: started with a file on its command line, the
// picture must be on the screen.
#include <gtest/gtest.h>

#include <QImage>

#include "AppTestSupport.h"

namespace {

uint32_t PictureColour(int x, int y) {
  return uint32_t(x * 4) << 16 | uint32_t(y * 5) << 8 | uint32_t(128 + ((x ^ y) & 127));
}

// Where the picture lies in a screenshot, or (-1, -1).
QPoint FindPicture(const QImage& shot, int width, int height) {
  for (int top = 0; top + height <= shot.height(); ++top)
    for (int left = 0; left + width <= shot.width(); ++left) {
      bool same = true;
      for (int y = 0; y < height && same; ++y)
        for (int x = 0; x < width && same; ++x)
          same = (shot.pixel(left + x, top + y) & 0xFFFFFF) == PictureColour(x, y);
      if (same) return QPoint(left, top);
    }
  return QPoint(-1, -1);
}

TEST(Smoke, ProgramShowsTheFileOfItsCommandLine) {
  for (const char* tool : {"xvfb-run", "xdotool", "import"})
    if (!vutest::HaveProgram(tool))
      GTEST_SKIP() << tool << " is missing: the program cannot be started on a virtual screen";
  vutest::TempDir dir;
  std::string picture = dir.Path("picture.ppm");
  apptest::WritePpm(picture, 64, 48, PictureColour);
  std::string shot = dir.Path("shot");
  // Three screenshots a second apart once the main window is up; the picture must be in one.
  std::string script =
      "XDG_CONFIG_HOME=" + vutest::Quote(dir.Path("config")) + " QT_QPA_PLATFORM=xcb " +
      vutest::Quote(VUSTUDIO_PATH) + " " + vutest::Quote(picture) +
      " & pid=$!; timeout 60 xdotool search --sync --onlyvisible --name 'The Tessary' >/dev/null;"
      " for i in 1 2 3; do sleep 1; import -window root " +
      vutest::Quote(shot) +
      "$i.png; done;"
      " kill $pid; wait $pid 2>/dev/null; true";
  std::string output;
  int status = vutest::RunCommand(
      "xvfb-run -a -s '-screen 0 1024x768x24' sh -c " + vutest::Quote(script), &output);
  ASSERT_EQ(status, 0) << output;
  QPoint found(-1, -1);
  for (int i = 3; i >= 1 && found.x() < 0; --i) {
    QImage screen(QString::fromStdString(shot + std::to_string(i) + ".png"));
    ASSERT_FALSE(screen.isNull()) << output;
    found = FindPicture(screen, 64, 48);
  }
  EXPECT_GE(found.x(), 0) << "the picture is not on the screen\n" << output;
}

} // namespace
