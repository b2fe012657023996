#include "app/ImageTools.h"

#include <algorithm>
#include <memory>

#include "app/CMainFrame.h"
#include "app/CTOVRAApp.h"
#include "app/CTOVRADoc.h"
#include "app/CTOVRAView.h"
#include "app/ToolDialogs.h"
#include "app/WaitCursor.h"
#include "imagelib/vuImageFilters.h"
#include "imagelib/vuOSWinClass.h"

namespace {

// The filter works on the stored bytes, which must be grey levels or colour channels.
bool FilterableBytes(vuOSWinClass& image, const char** why) {
  const int depth = image.Depth();
  if (depth != 8 && depth != 24) {
    *why = "The filters work on 8-bit grey and 24-bit colour images only.";
    return false;
  }
  if (depth == 8) {
    bool identity = true;
    const int entries = std::min(image.Colors(), image.TableEntries());
    for (int i = 0; i < entries && identity; ++i) {
      const vuRGBA& e = image.palette[i];
      identity = e.red == i && e.green == i && e.blue == i;
    }
    if (!identity && !image.IsGrayScale()) {
      // Filtering colour indexes would mix unrelated colours.
      *why = "The filters do not work on palette colours: convert the image with RGB Color first.";
      return false;
    }
  }
  return true;
}

} // namespace

template <typename Change>
bool ImageTools::Run(CTOVRADoc& document, unsigned afterwards, Change change) {
  if (!document.image || !document.image->header) return false;
  bool changed = false;
  {
    WaitCursor wait;
    document.BeginChange();
    changed = change(*document.image);
    if (changed)
      document.EndChange();
    else
      document.CancelChange();
  }
  if (!changed) {
    vuPlatform().MessageBox("Not enough memory for this change of the image.", CTOVRAApp::Title(),
                            VU_MB_OK, VU_ICON_ERROR);
    return false;
  }
  Finish(document, afterwards);
  return true;
}

void ImageTools::Finish(CTOVRADoc& document, unsigned afterwards) {
  if (afterwards & kPrepare) document.PrepareDisplay();
  CTOVRAView* view = document.view;
  if (!view) return;
  if (afterwards & kSizeFrame) view->SizeFrame();
  if (afterwards & kRealize) view->RealizePalette(false);
  if (afterwards & kRefresh) view->Refresh();
  if (afterwards & kStatus) view->WriteStatusValues();
}

void ImageTools::Register(CMainFrame& frame) {
  auto tools = std::make_shared<ImageTools>(frame);
  CommandTable& commands = frame.Commands();
  auto on = [&frame, &commands, tools](int id, void (ImageTools::*command)(CTOVRADoc&)) {
    commands.SetHandler(id, [&frame, tools, command] {
      if (CTOVRADoc* document = frame.ActiveDocument()) (tools.get()->*command)(*document);
    });
  };
  auto withValue = [&frame, &commands, tools](int id, void (ImageTools::*command)(CTOVRADoc&, int),
                                              int value) {
    commands.SetHandler(id, [&frame, tools, command, value] {
      if (CTOVRADoc* document = frame.ActiveDocument()) (tools.get()->*command)(*document, value);
    });
  };
  on(ID_RGB_COLOR, &ImageTools::RgbColor);
  on(ID_GRAYSCALE, &ImageTools::Grayscale);
  // Low Pass 1 .. Laplace 4 are kernels 0 to 12; the gradients follow the unnamed kernel 13.
  for (int id = ID_FILTER_FIRST; id <= ID_FILTER_LAST; ++id) {
    int index = id - ID_FILTER_FIRST;
    if (index >= vuFilterMenuCount) index = vuFilterGradientFirst + index - vuFilterMenuCount;
    withValue(id, &ImageTools::Filter, index);
  }
  withValue(ID_FLIP_HORIZONTAL, &ImageTools::Flip, 1);
  withValue(ID_FLIP_VERTICAL, &ImageTools::Flip, 0);
  withValue(ID_ROTATE_CLOCKWISE, &ImageTools::Rotate, 90);
  withValue(ID_ROTATE_COUNTER_CLOCKWISE, &ImageTools::Rotate, -90);
  on(ID_INVERT, &ImageTools::Invert);
  on(ID_MAKE_RGB, &ImageTools::MakeRgb);
  on(ID_MAKE_8BIT, &ImageTools::Make8Bit);
  commands.SetHandler(ID_BRIGHTNESS_CONTRAST, [&frame, tools] {
    if (CTOVRADoc* document = frame.ActiveDocument()) tools->BrightnessContrast(*document, false);
  });
  commands.SetHandler(ID_ADJUST_CONTRAST, [&frame, tools] {
    if (CTOVRADoc* document = frame.ActiveDocument()) tools->BrightnessContrast(*document, true);
  });
  on(ID_SET_DISPLAY_BITS, &ImageTools::SetDisplayBits);
  on(ID_EDIT_UNDO, &ImageTools::Undo);
  on(ID_EDIT_REDO, &ImageTools::Redo);
}

void ImageTools::RgbColor(CTOVRADoc& document) {
  if (document.image->format != BM_8BIT_COLOR) return;
  // Prepared too: a palette screen would otherwise show the new picture through the old palette.
  Run(document, kPrepare | kRefresh | kStatus,
      [](vuOSWinClass& image) { return image.MakeRGB() == 1; });
}

void ImageTools::Grayscale(CTOVRADoc& document) {
  if (document.image->format != BM_1BIT) return;
  Run(document, kPrepare | kRefresh | kStatus,
      [](vuOSWinClass& image) { return image.MakeGS() == 1; });
}

void ImageTools::Filter(CTOVRADoc& document, int index) {
  const char* why = nullptr;
  if (!FilterableBytes(*document.image, &why)) {
    vuPlatform().MessageBox(why, CTOVRAApp::Title(), VU_MB_OK, VU_ICON_INFORMATION);
    return;
  }
  Run(document, kPrepare | kRefresh, [index](vuOSWinClass& image) {
    // A grey table that is not the identity ramp is made one, so the bytes are grey levels.
    if (image.Depth() == 8 && image.IsGrayScale() && image.MakeLinearGray() != 1) return false;
    return image.Filter(index) == 1;
  });
}

void ImageTools::Flip(CTOVRADoc& document, int direction) {
  Run(document, kPrepare | kRefresh,
      [direction](vuOSWinClass& image) { return image.Flip(direction) == 1; });
}

void ImageTools::Rotate(CTOVRADoc& document, int angle) {
  Run(document, kPrepare | kSizeFrame | kRefresh | kStatus,
      [angle](vuOSWinClass& image) { return image.Rotate(angle) == 1; });
}

void ImageTools::Invert(CTOVRADoc& document) {
  Run(document, kPrepare | kRefresh, [](vuOSWinClass& image) {
    image.InvertColor();
    return true;
  });
}

void ImageTools::MakeRgb(CTOVRADoc& document) {
  if (document.image->Depth() == 24) return;
  Run(document, kPrepare | kRealize | kRefresh | kStatus,
      [](vuOSWinClass& image) { return image.MakeRGB() == 1; });
}

void ImageTools::Make8Bit(CTOVRADoc& document) {
  if (document.image->Depth() == 8) return;
  Run(document, kPrepare | kRealize | kRefresh | kStatus, [](vuOSWinClass& image) {
    // Only 24-bit pictures reduce to 8 bits; others go through full colour first.
    if (image.Depth() != 24 && image.MakeRGB() != 1) return false;
    return image.Make8Bit() == 1;
  });
}

void ImageTools::RebuildPalette(vuOSWinClass& image) {
  const int count = 1 << std::min(8, int(image.Depth()));
  std::vector<vuRGBA> table(count, vuRGBA{0, 0, 0, 0});
  std::copy_n(image.palette, std::min(count, image.TableEntries()), table.begin());
  image.CreateRGBPalette(count, table.data());
  vuDrawDibSetPalette(image.hDrawDib, image.hPalette);
}

void ImageTools::ApplyTone(vuOSWinClass& image, const std::vector<vuRGBA>& saved,
                           const ToneRecord& record) {
  std::vector<vuRGBA> between(saved);
  if (record.contrastFirst) {
    image.Contrast(saved.data(), record.contrast);
    std::copy_n(image.palette, between.size(), between.begin());
    image.Brightness(between.data(), record.brightness);
  } else {
    image.Brightness(saved.data(), record.brightness);
    std::copy_n(image.palette, between.size(), between.begin());
    image.Contrast(between.data(), record.contrast);
  }
}

void ImageTools::Preview(CTOVRADoc& document, const std::vector<vuRGBA>& saved,
                         const ToneRecord& record) {
  vuOSWinClass& image = *document.image;
  ApplyTone(image, saved, record);
  RebuildPalette(image);
  if (CTOVRAView* view = document.view) {
    view->RealizePalette(frame_.App().activeView != view);
    view->Refresh();
  }
}

void ImageTools::BrightnessContrast(CTOVRADoc& document, bool contrastOnly) {
  vuOSWinClass& image = *document.image;
  const int entries = std::min(image.Colors(), image.TableEntries());
  if (image.Depth() > 8 || entries <= 0) return;
  // The table as it was: every preview starts from it, and Cancel puts it back.
  const std::vector<vuRGBA> saved(image.palette, image.palette + entries);
  document.BeginChange();
  const Preferences& preferences = frame_.App().preferences;
  ToneDialog dialog(
      contrastOnly, contrastOnly ? 0 : preferences.defaultBrightness, preferences.defaultContrast,
      [this, &document, &saved](const ToneRecord& record) { Preview(document, saved, record); },
      document.view ? static_cast<QWidget*>(document.view) : &frame_);
  ToneRecord record = dialog.Ask();
  if (record.accepted) {
    // The table the final values make, also when the last change was not previewed.
    ApplyTone(image, saved, record);
    image.ApplyColorMap();
    document.EndChange();
  } else {
    std::copy(saved.begin(), saved.end(), image.palette);
    document.CancelChange();
  }
  RebuildPalette(image);
  if (CTOVRAView* view = document.view) {
    view->RealizePalette(frame_.App().activeView != view);
    view->Refresh();
    view->WriteStatusValues();
  }
}

void ImageTools::SetDisplayBits(CTOVRADoc& document) {
  if (document.image->format != BM_48BIT && document.image->format != BM_16BIT_GRAY) return;
  DisplayBitsDialog dialog(document.displayBitLow,
                           document.view ? static_cast<QWidget*>(document.view) : &frame_);
  const int chosen = dialog.Ask();
  if (chosen >= 1 && chosen <= 16) {
    const int low = chosen - 1, high = chosen + 6;
    if (low != document.displayBitLow || high != document.displayBitHigh) {
      document.displayBitLow = low;
      document.displayBitHigh = high;
      WaitCursor wait;
      document.PrepareDisplay();
    }
  }
  Finish(document, kRefresh);
}

void ImageTools::Undo(CTOVRADoc& document) {
  Step(document, &CTOVRADoc::Undo);
}

void ImageTools::Redo(CTOVRADoc& document) {
  Step(document, &CTOVRADoc::Redo);
}

void ImageTools::Step(CTOVRADoc& document, bool (CTOVRADoc::*step)()) {
  bool sizeChanged = false;
  {
    WaitCursor wait;
    const int width = document.image->Width(), height = document.image->Height();
    if (!(document.*step)()) return;
    sizeChanged = document.image->Width() != width || document.image->Height() != height;
  }
  Finish(document, kRealize | kRefresh | kStatus | (sizeChanged ? kSizeFrame : 0u));
}
