// The image tools on the active document: colour-mode conversions, filters, flips, rotations,
// Invert, the tone dialogs, the display bit range, and Undo / Redo of every change they make.
// Each command ends with the display work its change needs (prepare, refresh, frame sizing,
// status values).
#pragma once

#include <vector>

#include "imagelib/vuTypes.h"

class CMainFrame;
class CTOVRADoc;
class vuOSWinClass;
struct ToneRecord;

class ImageTools {
public:
  explicit ImageTools(CMainFrame& frame) : frame_(frame) {}

  // Installs every tool in the frame's command table.
  static void Register(CMainFrame& frame);

  void RgbColor(CTOVRADoc& document);
  void Grayscale(CTOVRADoc& document);
  // Kernel `index` of the library's filter table.
  void Filter(CTOVRADoc& document, int index);
  void Flip(CTOVRADoc& document, int direction);
  void Rotate(CTOVRADoc& document, int angle);
  void Invert(CTOVRADoc& document);
  // Commands without a menu entry: to 24 bits a pixel, to 8 bits a pixel.
  void MakeRgb(CTOVRADoc& document);
  void Make8Bit(CTOVRADoc& document);
  void BrightnessContrast(CTOVRADoc& document, bool contrastOnly);
  void SetDisplayBits(CTOVRADoc& document);
  void Undo(CTOVRADoc& document);
  void Redo(CTOVRADoc& document);

  // The colour table that a tone record makes of `saved` (brightness then contrast, or the other
  // way round), written into the image's table.
  static void ApplyTone(vuOSWinClass& image, const std::vector<vuRGBA>& saved,
                        const ToneRecord& record);

private:
  enum Afterwards : unsigned {
    kPrepare = 1,
    kRefresh = 2,
    kStatus = 4,
    kSizeFrame = 8,
    kRealize = 16,
  };
  // Runs a change of the picture between the document's change marks; `change` says whether it
  // happened. Then the display work.
  template <typename Change> bool Run(CTOVRADoc& document, unsigned afterwards, Change change);
  void Finish(CTOVRADoc& document, unsigned afterwards);
  // Undo or Redo, and the display work it needs (the frame too when the size changed).
  void Step(CTOVRADoc& document, bool (CTOVRADoc::*step)());
  // Rebuilds the image's logical palette from its colour table and hands it to the drawing.
  static void RebuildPalette(vuOSWinClass& image);
  void Preview(CTOVRADoc& document, const std::vector<vuRGBA>& saved, const ToneRecord& record);

  CMainFrame& frame_;
};
