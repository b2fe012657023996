#include "AppTestSupport.h"

#include <QApplication>
#include <QMdiSubWindow>
#include <QPrinter>
#include <fstream>

#include "app/CChildFrame.h"
#include "app/CTOVRADoc.h"
#include "app/CTOVRAView.h"
#include "app/QtDeviceContext.h"

namespace apptest {

std::unique_ptr<vuDeviceContext> TestPlatform::PrintDlg(const vuPrintDialog& dialog) {
  if (pdfPath.empty()) return vuRecordingPlatform::PrintDlg(dialog);
  printDialogs.push_back(dialog);
  if (!printAccepts) return nullptr;
  auto* printer = new QPrinter(QPrinter::HighResolution);
  printer->setOutputFormat(QPrinter::PdfFormat);
  printer->setOutputFileName(QString::fromStdString(pdfPath));
  printer->setResolution(pdfResolution);
  return std::make_unique<QtPrinterContext>(printer, true);
}

int TestPlatform::MessageBox(const char* text, const char* caption, vuMessageButtons buttons,
                             vuMessageIcon icon) {
  int result = vuRecordingPlatform::MessageBox(text, caption, buttons, icon);
  if (answers.empty()) return result;
  result = answers.front();
  answers.pop_front();
  return result;
}

vuWifSaveOptions* TestPlatform::AskWifSaveOptions(const vuImage& image, int enableViewAfter) {
  ++wifAsked;
  wifAskedSixteenBit = image.format == BM_48BIT || image.format == BM_16BIT_GRAY;
  (void)enableViewAfter;
  return wifOptions ? new vuWifSaveOptions(*wifOptions) : nullptr;
}

vuJpegSaveOptions* TestPlatform::AskJpegSaveOptions() {
  ++jpegAsked;
  return jpegOptions ? new vuJpegSaveOptions(*jpegOptions) : nullptr;
}

std::vector<std::string> TestPlatform::Texts() const {
  std::vector<std::string> texts;
  for (const Message& message : messages)
    texts.push_back(message.caption + "|" + message.text);
  return texts;
}

namespace {
TestPlatform* WithScreen(TestPlatform& platform, int depth, int width, int height) {
  platform.screen = vuScreenInfo{width, height, depth};
  return &platform;
}
} // namespace

Studio::Studio(int screenDepth, int screenWidth, int screenHeight)
    : installed(WithScreen(platform, screenDepth, screenWidth, screenHeight)),
      app(std::make_unique<CTOVRAApp>(QString::fromStdString(dir.Path("settings.ini")))) {
  frame = std::make_unique<CMainFrame>(*app);
  frame->show();
  QApplication::processEvents();
}

Studio::~Studio() {
  frame.reset();
  app.reset();
}

CTOVRADoc* Studio::Open(const std::string& path) {
  CTOVRADoc* document = frame->OpenDocument(QString::fromStdString(path));
  QApplication::processEvents();
  return document;
}

CTOVRAView* Studio::View(CTOVRADoc* document) const {
  return document ? document->view : nullptr;
}

QImage Studio::Grab(CTOVRAView* view) const {
  return view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

std::vector<uint32_t> ImagePixels(vuImage& image) {
  std::vector<uint8_t> rgb = vutest::RgbBytesTopDown(image);
  std::vector<uint32_t> pixels(rgb.size() / 3);
  for (size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = 0xFF000000u | (uint32_t(rgb[3 * i]) << 16) | (uint32_t(rgb[3 * i + 1]) << 8) |
                rgb[3 * i + 2];
  return pixels;
}

bool ShowsPixels(const QImage& grab, const std::vector<uint32_t>& pixels, int width, int height,
                 std::string* why) {
  if (grab.width() < width || grab.height() < height) {
    if (why) *why = "grab too small";
    return false;
  }
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint32_t shown = grab.pixel(x, y) | 0xFF000000u;
      uint32_t expected = pixels[size_t(y) * width + x];
      if (shown != expected) {
        if (why) {
          char text[96];
          std::snprintf(text, sizeof text, "(%d, %d) shows %08X, image %08X", x, y, shown,
                        expected);
          *why = text;
        }
        return false;
      }
    }
  }
  return true;
}

void WritePgm16(const std::string& path, int width, int height, int maxValue,
                const std::function<int(int, int)>& sample) {
  std::ofstream out(path, std::ios::binary);
  out << "P5\n" << width << " " << height << "\n" << maxValue << "\n";
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      int value = sample(x, y);
      out.put(char(value >> 8));
      out.put(char(value & 0xFF));
    }
}

void WritePpm(const std::string& path, int width, int height,
              const std::function<uint32_t(int, int)>& colour) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << width << " " << height << "\n255\n";
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint32_t c = colour(x, y);
      out.put(char(c >> 16));
      out.put(char(c >> 8));
      out.put(char(c));
    }
}

} // namespace apptest
