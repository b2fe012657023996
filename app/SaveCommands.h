// Save As and Compress: the file name (with the program's extension rule), the overwrite question,
// the conversions the WIF coder needs, the writer's options dialog, the save itself and, after a
// compression, the decoded result opened beside its source.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "imagelib/vuPlatform.h"

class CMainFrame;
class CTOVRADoc;

// The name a save dialog's answer becomes. `pattern` is the chosen filter's pattern ("*.BMP"):
// a name without an extension gets the pattern's; a typed extension whose first three letters
// match the pattern's (a lower-case letter matching an upper-case one, not the other way round)
// is kept; any other gets the pattern's extension appended.
std::string FormOutputName(const std::string& path, int extensionOffset,
                           const std::string& pattern);

// The filter list of BMFileTypes (pairs of NUL-terminated strings, ending with an empty one) as
// dialog filters.
std::vector<vuFileFilter> ParseFilterList(const char* list);

class SaveCommands {
public:
  explicit SaveCommands(CMainFrame& frame) : frame_(frame) {}

  // Installs Save As and Compress in the frame's command table.
  static void Register(CMainFrame& frame);

  // The commands on a document; true when a file was written.
  bool SaveAs(CTOVRADoc& document);
  bool Compress(CTOVRADoc& document);

  // The filter index last chosen in Save As (1-based).
  int lastSaveFilter = 0;

private:
  // Asks before replacing an existing file; true when the save may go on.
  bool ConfirmOverwrite(const std::string& name);
  // 1-bit and palette images become grey or 24-bit colour for the WIF coder, when the user
  // agrees; true when the image can go to the coder.
  bool ConvertForWif(CTOVRADoc& document);
  // SaveImage with the writer's options record; tells the user of a failure. Opens the written
  // WIF file when its options ask to see it.
  bool Save(CTOVRADoc& document, const std::string& name, int type, void* options);
  void* Owner(CTOVRADoc& document) const;

  CMainFrame& frame_;
};
