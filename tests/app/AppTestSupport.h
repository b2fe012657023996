// Helpers of the desktop program's tests: a recording platform that can print to PDF, a whole
// program on a simulated screen, grabs of a view and small test files.
#pragma once

#include <QImage>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/CMainFrame.h"
#include "app/CTOVRAApp.h"
#include "codec/wif2/vuWifParams.h"
#include "formats/JpegRW.h"
#include "imagelib/vuPlatform.h"
#include "support/TestSupport.h"

class CTOVRADoc;
class CTOVRAView;

namespace apptest {

// Records messages and dialogs; an accepted print dialog prints to `pdfPath` when it is set
// (otherwise to the recording platform's software pages).
struct TestPlatform : vuRecordingPlatform {
  std::string pdfPath;
  int pdfResolution = 150;
  std::unique_ptr<vuDeviceContext> PrintDlg(const vuPrintDialog& dialog) override;
  // Message boxes take their answers from `answers` in order, then from `answer`.
  std::deque<int> answers;
  int MessageBox(const char* text, const char* caption, vuMessageButtons buttons,
                 vuMessageIcon icon) override;
  // The options dialogs answer these records (null: cancelled) and count how often they were
  // asked; the WIF dialog also notes whether it was asked for a 16-bit image.
  std::optional<vuWifSaveOptions> wifOptions;
  std::optional<vuJpegSaveOptions> jpegOptions;
  int wifAsked = 0;
  int jpegAsked = 0;
  bool wifAskedSixteenBit = false;
  vuWifSaveOptions* AskWifSaveOptions(const vuImage& image, int enableViewAfter) override;
  vuJpegSaveOptions* AskJpegSaveOptions() override;
  // Messages as "caption|text", for compact assertions.
  std::vector<std::string> Texts() const;
};

// A whole program: platform, settings in a temporary folder, the main window shown.
class Studio {
public:
  explicit Studio(int screenDepth = 24, int screenWidth = 1400, int screenHeight = 1100);
  ~Studio();

  CTOVRADoc* Open(const std::string& path);
  CTOVRAView* View(CTOVRADoc* document) const;
  // What the view's client area shows now.
  QImage Grab(CTOVRAView* view) const;
  std::string Path(const std::string& name) const { return dir.Path(name); }

  vutest::TempDir dir;
  TestPlatform platform;
  vuScopedPlatform installed;
  std::unique_ptr<CTOVRAApp> app;
  std::unique_ptr<CMainFrame> frame;
};

// The colours of an image as 0xFFRRGGBB, top row first.
std::vector<uint32_t> ImagePixels(vuImage& image);
// True when the top-left corner of a grab shows exactly these pixels; `why` says where not.
bool ShowsPixels(const QImage& grab, const std::vector<uint32_t>& pixels, int width, int height,
                 std::string* why = nullptr);

// A binary PGM file with 16-bit samples (maximum value `maxValue`), sample(x, y) top row first.
void WritePgm16(const std::string& path, int width, int height, int maxValue,
                const std::function<int(int, int)>& sample);
// A binary PPM file, colour(x, y) as 0xRRGGBB, top row first.
void WritePpm(const std::string& path, int width, int height,
              const std::function<uint32_t(int, int)>& colour);

} // namespace apptest
