#include "app/SaveCommands.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/CMainFrame.h"
#include "app/CTOVRAApp.h"
#include "app/CTOVRADoc.h"
#include "app/CTOVRAView.h"
#include "app/WaitCursor.h"
#include "codec/wif2/vuWifParams.h"
#include "formats/JpegRW.h"
#include "imagelib/vuOSWinClass.h"

namespace {

constexpr int kWifType = 1;
constexpr int kJpegType = 12;

// The writer's options record, released as the type it was made as.
class OptionsRecord {
public:
  OptionsRecord(int type, void* record) : type_(type), record_(record) {}
  ~OptionsRecord() {
    if (type_ == kWifType)
      delete static_cast<vuWifSaveOptions*>(record_);
    else if (type_ == kJpegType)
      delete static_cast<vuJpegSaveOptions*>(record_);
  }
  OptionsRecord(const OptionsRecord&) = delete;
  OptionsRecord& operator=(const OptionsRecord&) = delete;
  void* Get() const { return record_; }

private:
  int type_;
  void* record_;
};

// The first pattern of a filter ("*.JPG;*.JPE" gives "*.JPG").
std::string FirstPattern(const vuFileFilter& filter) {
  return filter.patterns.substr(0, filter.patterns.find(';'));
}

// The document's file name up to its first dot, and its folder.
std::string TitleStem(const CTOVRADoc& document) {
  std::string title = document.Title();
  return title.substr(0, title.find('.'));
}

std::string Folder(const CTOVRADoc& document) {
  size_t slash = document.pathName.find_last_of('/');
  return slash == std::string::npos ? std::string() : document.pathName.substr(0, slash + 1);
}

std::string SaveFailure(int result) {
  switch (result) {
  case -1:
    return "The file could not be written (check the folder, its permissions and the free "
           "space).";
  case -3:
    return "This file type cannot be written here, or memory ran short.";
  default:
    return "The writer reported error " + std::to_string(result) + ".";
  }
}

} // namespace

std::string FormOutputName(const std::string& path, int extensionOffset,
                           const std::string& pattern) {
  // The pattern's extension with its dot: "*.BMP" gives ".BMP".
  std::string extension = pattern.size() > 1 ? pattern.substr(1) : std::string();
  if (extension.empty()) return path;
  const std::string bare = extension.substr(1);
  if (extensionOffset <= 0 || extensionOffset > static_cast<int>(path.size())) {
    // The name ends with a dot: its dot stands in for the extension's.
    if (!path.empty() && path.back() == '.') return path + bare;
    return path + extension;
  }
  if (extensionOffset == static_cast<int>(path.size())) return path + extension;
  const std::string typed = path.substr(static_cast<size_t>(extensionOffset));
  for (size_t i = 0; i < 3; ++i) {
    char want = i < bare.size() ? bare[i] : '\0';
    char got = i < typed.size() ? typed[i] : '\0';
    if (got != want && got != want + 32) return path + extension;
  }
  return path;
}

std::vector<vuFileFilter> ParseFilterList(const char* list) {
  std::vector<vuFileFilter> filters;
  if (!list) return filters;
  while (*list) {
    vuFileFilter filter;
    filter.description = list;
    list += filter.description.size() + 1;
    filter.patterns = list;
    list += filter.patterns.size() + 1;
    filters.push_back(filter);
  }
  return filters;
}

void SaveCommands::Register(CMainFrame& frame) {
  auto commands = std::make_shared<SaveCommands>(frame);
  frame.Commands().SetHandler(ID_FILE_SAVE_AS, [&frame, commands] {
    if (CTOVRADoc* document = frame.ActiveDocument()) commands->SaveAs(*document);
  });
  frame.Commands().SetHandler(ID_COMPRESS, [&frame, commands] {
    if (CTOVRADoc* document = frame.ActiveDocument()) commands->Compress(*document);
  });
}

void* SaveCommands::Owner(CTOVRADoc& document) const {
  QWidget* owner = document.view ? static_cast<QWidget*>(document.view) : &frame_;
  return owner;
}

bool SaveCommands::SaveAs(CTOVRADoc& document) {
  if (!document.image || !document.image->header) return false;
  int types[16] = {};
  std::unique_ptr<char[]> list(document.image->BMFileTypes(types));
  std::vector<vuFileFilter> filters = ParseFilterList(list.get());
  if (filters.empty()) {
    vuPlatform().MessageBox("No file type can hold this image's pixel format.", CTOVRAApp::Title(),
                            VU_MB_OK, VU_ICON_WARNING);
    return false;
  }
  vuFileDialog dialog;
  dialog.owner = Owner(document);
  dialog.title = "Select Output File Name";
  dialog.filters = filters;
  const int count = static_cast<int>(filters.size());
  dialog.filterIndex = lastSaveFilter >= 1 && lastSaveFilter <= count ? lastSaveFilter : 1;
  dialog.initialName = TitleStem(document);
  dialog.initialFolder = Folder(document);
  if (!vuPlatform().GetSaveFileName(dialog)) return false;
  const int index = std::clamp(dialog.filterIndex, 1, count);
  const int type = types[index - 1];
  const std::string name =
      FormOutputName(dialog.path, dialog.extensionOffset, FirstPattern(filters[index - 1]));
  if (!ConfirmOverwrite(name)) return false;
  if (type == kWifType && !ConvertForWif(document)) return false;
  lastSaveFilter = index;
  // Only WIF and JPEG ask for options; for them no record means the user cancelled.
  OptionsRecord options(type, document.image->GetOutOptions(type));
  if (!options.Get() && (type == kWifType || type == kJpegType)) return false;
  return Save(document, name, type, options.Get());
}

bool SaveCommands::Compress(CTOVRADoc& document) {
  if (!document.image || !document.image->header) return false;
  if (!ConvertForWif(document)) return false;
  vuFileDialog dialog;
  dialog.owner = Owner(document);
  dialog.title = "Select Compressed File Name";
  dialog.filters = {{"Wavelet Image File (WIF)", "*.wif"}, {"VU Wavelet Image (VUW)", "*.vuw"}};
  dialog.filterIndex = 1;
  dialog.initialName = TitleStem(document) + ".wif";
  dialog.initialFolder = Folder(document);
  if (!vuPlatform().GetSaveFileName(dialog)) return false;
  const int index = std::clamp(dialog.filterIndex, 1, 2);
  const std::string name =
      FormOutputName(dialog.path, dialog.extensionOffset, dialog.filters[index - 1].patterns);
  if (!ConfirmOverwrite(name)) return false;
  OptionsRecord options(kWifType, document.image->GetOutOptions(kWifType));
  if (!options.Get()) return false;
  return Save(document, name, kWifType, options.Get());
}

bool SaveCommands::ConfirmOverwrite(const std::string& name) {
  FILE* existing = std::fopen(name.c_str(), "rb");
  if (!existing) return true;
  std::fclose(existing);
  const std::string question = name + " already exists.\nDo you want to replace it?\n";
  return vuPlatform().MessageBox(question.c_str(), CTOVRAApp::Title(), VU_MB_YESNO,
                                 VU_ICON_QUESTION) == VU_IDYES;
}

bool SaveCommands::ConvertForWif(CTOVRADoc& document) {
  vuOSWinClass& image = *document.image;
  const char* question = nullptr;
  switch (image.format) {
  case BM_1BIT:
    question = "This image must be converted to Grayscale\nWould you like to do it now?";
    break;
  case BM_8BIT_COLOR:
  case BM_4BIT:
  case BM_16BIT_COLOR: // the coder takes none of these either
    question = "This image must be converted to Full Color\nWould you like to do it now?";
    break;
  default:
    return true;
  }
  if (!frame_.App().preferences.autoConvert &&
      vuPlatform().MessageBox(question, CTOVRAApp::Title(), VU_MB_YESNO, VU_ICON_QUESTION) !=
          VU_IDYES)
    return false;
  int result = 0;
  {
    WaitCursor wait;
    document.BeginChange();
    const bool grey =
        image.format == BM_1BIT || (image.format == BM_8BIT_COLOR && image.IsGrayScale());
    result = grey ? image.MakeGS() : image.MakeRGB();
    if (result == 1) {
      document.EndChange();
      document.PrepareDisplay();
    } else {
      document.CancelChange();
    }
  }
  if (result != 1) {
    vuPlatform().MessageBox("Not enough memory to convert the image.", CTOVRAApp::Title(), VU_MB_OK,
                            VU_ICON_ERROR);
    return false;
  }
  if (CTOVRAView* view = document.view) {
    view->RealizePalette(false);
    view->Refresh();
    view->WriteStatusValues();
  }
  return true;
}

bool SaveCommands::Save(CTOVRADoc& document, const std::string& name, int type, void* options) {
  int result = 0;
  {
    WaitCursor wait;
    result = document.image->SaveImage(name.c_str(), type, options);
  }
  if (result != 0) {
    // The changes are still only in the program: the document stays modified.
    const std::string text = name + " could not be saved.\n" + SaveFailure(result);
    vuPlatform().MessageBox(text.c_str(), CTOVRAApp::Title(), VU_MB_OK, VU_ICON_ERROR);
    return false;
  }
  document.MarkSaved();
  const auto* wif = type == kWifType ? static_cast<const vuWifSaveOptions*>(options) : nullptr;
  if (wif && wif->viewAfterCompress) frame_.OpenDocument(QString::fromStdString(name));
  return true;
}
