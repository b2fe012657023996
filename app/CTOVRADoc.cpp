#include "app/CTOVRADoc.h"

#include <QApplication>
#include <QCursor>
#include <algorithm>
#include <new>
#include <vector>

#include "app/CTOVRAApp.h"
#include "app/WaitCursor.h"
#include "imagelib/vuOSWinClass.h"
#include "imagelib/vuPlatform.h"

namespace {
bool SixteenBit(const vuImage& image) {
  return image.format == BM_48BIT || image.format == BM_16BIT_GRAY;
}

// Seconds between two readings of the clock; the day is not part of the reading, so a load
// across midnight comes out negative.
double Elapsed(const vuSystemTime& start, const vuSystemTime& end) {
  return (end.milliseconds - start.milliseconds) * 0.001 + (end.minute - start.minute) * 60 +
         (end.hour - start.hour) * 3600 + (end.second - start.second);
}
} // namespace

CTOVRADoc::CTOVRADoc(CTOVRAApp& application) : app(application) {
  ++app.documentCount;
}

CTOVRADoc::~CTOVRADoc() {
  ReleaseImage();
  OnCloseDocument();
  if (app.cropSource == this) app.cropSource = nullptr;
}

bool CTOVRADoc::OnCloseDocument() {
  if (!counted_) return false;
  counted_ = false;
  --app.documentCount;
  if (app.documentCount > 0) return false;
  app.SetMouseMode(MOUSE_NONE);
  return true;
}

void CTOVRADoc::ReleaseImage() {
  if (!image) return;
  image->Delete();
  delete image;
  image = nullptr;
}

std::string CTOVRADoc::Title() const {
  size_t slash = pathName.find_last_of('/');
  return slash == std::string::npos ? pathName : pathName.substr(slash + 1);
}

bool CTOVRADoc::OnOpenDocument(const std::string& path) {
  WaitCursor wait;
  pathName = path;
  ReleaseImage();
  image = new (std::nothrow) vuOSWinClass;
  if (!image) return false;
  vuSystemTime start = vuPlatform().GetSystemTime();
  int result = image->LoadImage(path.c_str());
  if (result != 0 || !image->header) {
    vuPlatform().MessageBox("Unsupported Image File", CTOVRAApp::Title(), VU_MB_OKCANCEL,
                            VU_ICON_NONE);
    ReleaseImage();
    return false;
  }
  loadTime = Elapsed(start, vuPlatform().GetSystemTime());
  if (SixteenBit(*image)) {
    // The top eight significant bits; a file that claims fewer than eight shows its lowest byte.
    int significant = image->sampleBits > 0 ? image->sampleBits : 16;
    displayBitLow = std::max(0, significant - 8);
    displayBitHigh = displayBitLow + 7;
  }
  PrepareDisplay();
  return true;
}

bool CTOVRADoc::OnNewDocument() {
  pathName = "Untitled";
  ReleaseImage();
  image = new (std::nothrow) vuOSWinClass;
  if (!image) return false;
  CTOVRADoc* source = app.cropSource;
  bool made = false;
  if (source && source->image && source->image->header) {
    vuImage& from = *source->image;
    int x = std::min(source->selectionX1, source->selectionX2);
    int width = std::max(source->selectionX1, source->selectionX2) - x;
    int top = std::min(source->selectionY1, source->selectionY2);
    int height = std::max(source->selectionY1, source->selectionY2) - top;
    int y = from.Height() - height - top; // rows are counted from the bottom
    made = from.SubImage(image, x, y, width, height) == 1;
    if (made) image->sampleBits = from.sampleBits;
  } else {
    made = image->AllocateBitmap(256, 256, 0, BM_24BIT) != 0;
  }
  app.cropSource = nullptr;
  if (!made || !image->header) {
    ReleaseImage();
    return false;
  }
  // An uncompressed image: its data is its raw size.
  image->dataSize =
      static_cast<int32_t>(int64_t(image->Depth()) * image->Width() * image->Height() / 8);
  if (SixteenBit(*image)) {
    displayBitLow = 8;
    displayBitHigh = 15;
  }
  PrepareDisplay();
  return true;
}

bool CTOVRADoc::SaveModified() {
  if (!modified) return true;
  int answer = vuPlatform().MessageBox("Image not saved\nWould you like to save it now?\n",
                                       CTOVRAApp::Title(), VU_MB_YESNOCANCEL, VU_ICON_QUESTION);
  if (answer == VU_IDCANCEL) return false;
  if (answer == VU_IDNO) return true;
  // Closing after a save that did not happen would lose the changes.
  return app.saveDocument && app.saveDocument(*this) && !modified;
}

void CTOVRADoc::PrepareDisplay() {
  if (!image || !image->header) return;
  vuOSWinClass& picture = *image;
  switch (picture.format) {
  case BM_1BIT:
  case BM_8BIT_COLOR:
  case BM_8BIT_GRAY: {
    bool fewColors = picture.Colors() < 256;
    if (fewColors && (picture.format == BM_8BIT_GRAY ||
                      (picture.format == BM_8BIT_COLOR && picture.IsGrayScale())))
      picture.MakeLinearGray();
    // The palette has an entry for every pixel value; entries the table lacks are black.
    int count = 1 << picture.Depth();
    std::vector<vuRGBA> table(count, vuRGBA{0, 0, 0, 0});
    std::copy_n(picture.palette, std::min(count, picture.TableEntries()), table.begin());
    picture.CreateRGBPalette(count, table.data());
    vuDrawDibSetPalette(picture.hDrawDib, picture.hPalette);
    picture.useAlternate = 0;
    break;
  }
  case BM_24BIT:
    if (vuPlatform().screen.bitsPerPixel <= 8 && app.colorReduction != CR_QUICK_DITHER) {
      // Median cut unless the user chose one of the other reductions.
      int made = app.colorReduction == CR_MEDIAN_CUT
                     ? picture.CreateAlternateImage(BM_8BIT_COLOR)
                     : picture.Create8bitColor(256, vuColorReduction(app.colorReduction));
      if (made && app.colorReduction != CR_MEDIAN_CUT)
        picture.CreateRGBPalette(256, picture.altPalette);
      picture.useAlternate = made && picture.altHeader ? 1 : 0;
      vuDrawDibSetPalette(picture.hDrawDib, picture.useAlternate ? picture.hPalette : nullptr);
    } else {
      picture.useAlternate = 0;
    }
    break;
  case BM_32BIT:
  case BM_16BIT_COLOR:
    picture.useAlternate = 0;
    break;
  case BM_48BIT:
  case BM_16BIT_GRAY:
    picture.useAlternate = picture.CreateAlt16bitImage(displayBitLow, displayBitHigh) == 1 ? 1 : 0;
    // The grey copy carries a grey palette; without it a palette screen would show few greys.
    if (picture.format == BM_16BIT_GRAY) vuDrawDibSetPalette(picture.hDrawDib, picture.hPalette);
    break;
  default:
    break;
  }
}

void CTOVRADoc::BeginChange() {
  if (image && image->header) history.Record(*image);
}

void CTOVRADoc::EndChange() {
  modified = 1;
}

void CTOVRADoc::CancelChange() {
  history.Forget();
}

void CTOVRADoc::MarkSaved() {
  modified = 0;
  history.MarkSaved();
}

bool CTOVRADoc::Undo() {
  if (!image || !history.Undo(*image)) return false;
  modified = history.AtSavedState() ? 0 : 1;
  PrepareDisplay();
  return true;
}

bool CTOVRADoc::Redo() {
  if (!image || !history.Redo(*image)) return false;
  modified = history.AtSavedState() ? 0 : 1;
  PrepareDisplay();
  return true;
}
