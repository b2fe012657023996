// One open image: the drawable image, its modified flag, load time and the bit window shown of
// 16-bit samples. Plain class: the windows that show it live in CTOVRAView and CChildFrame.
#pragma once

#include <string>

#include "app/UndoHistory.h"

class CTOVRAApp;
class CTOVRAView;
class vuOSWinClass;

class CTOVRADoc {
public:
  // Counts itself among the application's documents for its whole life.
  explicit CTOVRADoc(CTOVRAApp& app);
  ~CTOVRADoc();
  CTOVRADoc(const CTOVRADoc&) = delete;
  CTOVRADoc& operator=(const CTOVRADoc&) = delete;

  // Loads a file (any supported format, found by content). On failure tells the user
  // "Unsupported Image File" and keeps no image; returns whether it loaded.
  bool OnOpenDocument(const std::string& path);
  // A blank 256 x 256 colour image, or the selection of the application's crop source. Returns
  // false when the crop selection is empty or memory runs out.
  bool OnNewDocument();
  // The close prompt for a modified image: Yes saves first (closing only when the save
  // succeeded), No closes, Cancel keeps the document. True when it may close.
  bool SaveModified();
  // Closing: the document leaves the application's count. Returns true when it was the last.
  bool OnCloseDocument();
  bool Closed() const { return !counted_; }
  // Rebuilds what the screen shows of the image (palette, alternate image) after any change.
  void PrepareDisplay();

  // Every change of the picture goes between BeginChange (which keeps the picture for Undo) and
  // EndChange (modified); CancelChange when the change did not happen after all.
  void BeginChange();
  void EndChange();
  void CancelChange();
  // The picture was written to a file: unmodified, and Undo back to here is unmodified again.
  void MarkSaved();
  // Back or forward one change (the display prepared again); false when there is none.
  bool Undo();
  bool Redo();

  CTOVRAApp& app;
  CTOVRAView* view = nullptr;
  double loadTime = 0.0;
  vuOSWinClass* image = nullptr;
  int modified = 0;
  int displayBitLow = 0;
  int displayBitHigh = 7;
  std::string pathName;
  UndoHistory history;
  // The selection corners of this document's view in image coordinates (rows from the top),
  // read when this document is the crop source.
  int selectionX1 = 0, selectionY1 = 0, selectionX2 = 0, selectionY2 = 0;

  // The file name without its folder, for window captions.
  std::string Title() const;

private:
  void ReleaseImage();
  bool counted_ = true;
};
