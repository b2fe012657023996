#include "app/CommandTable.h"

#include "imagelib/vuImage.h"

namespace {
using E = CommandEnable;
using C = CommandCheck;

const std::vector<CommandEntry> kEntries = {
    {ID_FILE_NEW, "&New", "", "Create a new image\nNew", E::Always, C::None, 0},
    {ID_FILE_OPEN, "&Open...", "Ctrl+O", "Open an image file\nOpen", E::Always, C::None, 0},
    {ID_FILE_CLOSE, "&Close", "", "Close the active image\nClose", E::WithDocument, C::None, 0},
    {ID_FILE_SAVE_AS, "Save &As...", "Alt+S", "Save the active image under a new name\nSave As",
     E::WithDocument, C::None, 0},
    {ID_COMPRESS, "Co&mpress..", "Alt+C", "Compress Image\nCompress to Wavelet Image File",
     E::WithDocument, C::None, 0},
    {ID_CONVERT, "Con&vert", "", "Convert Multiple Images\nConvert Multiple Images", E::Always,
     C::None, 0},
    {ID_FILE_PRINT, "&Print...", "", "Print the active image\nPrint", E::WithDocument, C::None, 0},
    {ID_FILE_PRINT_DIRECT, "Print &Direct", "",
     "Print the active image on the default printer\n"
     "Print Direct",
     E::WithDocument, C::None, 0},
    {ID_FILE_PRINT_PREVIEW, "Print Pre&view", "", "Show the printed page\nPrint Preview",
     E::WithDocument, C::None, 0},
    {ID_FILE_MRU_FIRST + 0, "", "", "Open this image\nRecent File", E::RecentFileListed, C::None,
     0},
    {ID_FILE_MRU_FIRST + 1, "", "", "Open this image\nRecent File", E::RecentFileListed, C::None,
     1},
    {ID_FILE_MRU_FIRST + 2, "", "", "Open this image\nRecent File", E::RecentFileListed, C::None,
     2},
    {ID_FILE_MRU_FIRST + 3, "", "", "Open this image\nRecent File", E::RecentFileListed, C::None,
     3},
    {ID_EDIT_UNDO, "&Undo", "Ctrl+Z", "Undo the last change of the image\nUndo", E::CanUndo,
     C::None, 0},
    {ID_EDIT_REDO, "&Redo", "Ctrl+Y", "Redo the change undone last\nRedo", E::CanRedo, C::None, 0},
    {ID_APP_EXIT, "E&xit", "", "Quit the program; asks to save changed images\nExit", E::Always,
     C::None, 0},
    {ID_VIEW_TOOLBAR, "&Toolbar", "", "Show or hide the toolbar\nToggle Toolbar", E::Always,
     C::ToolbarVisible, 0},
    {ID_VIEW_STATUS_BAR, "&Status Bar", "", "Show or hide the status bar\nToggle Status Bar",
     E::Always, C::StatusBarVisible, 0},
    {ID_IMAGE_TOOLBAR, "&Image Toolbar", "", "Show or hide the image toolbar\nImage Toolbar",
     E::Always, C::ImageToolbarVisible, 0},
    {ID_QUICK_DITHER, "&Quick Dither", "", "Dither colour images on 8-bit screens\nQuick Dither",
     E::LowColorScreen, C::ColorReduction, 1},
    {ID_MEDIAN_CUT, "&Median Cut", "", "Reduce colour images by median cut\nMedian Cut",
     E::LowColorScreen, C::ColorReduction, 0},
    {ID_FAST_QUANTIZATION, "&Fast Quantization", "",
     "Reduce colour images with a fixed colour table\nFast Quantization", E::LowColorScreen,
     C::ColorReduction, 3},
    {ID_BEST_QUANTIZATION, "&Best Quantization", "",
     "Reduce colour images by median cut over the exact colours\nBest Quantization",
     E::LowColorScreen, C::ColorReduction, 2},
    {ID_GENERAL_PREFERENCES, "&General Preferences", "",
     "Set default folders, types and values\n"
     "General Preferences",
     E::Always, C::None, 0},
    {ID_RGB_COLOR, "&RGB Color", "", "Convert to 24-bit colour\nRGB Color", E::PaletteImage,
     C::None, 0},
    {ID_GRAYSCALE, "&Grayscale", "", "Convert to grey levels\nGrayscale", E::OneBitImage, C::None,
     0},
    {ID_BRIGHTNESS_CONTRAST, "Adjust &Brightness/Contrast", "",
     "Adjust Brightness/Contrast\nAdjust Brightness/Contrast", E::GreyLowDepthImage, C::None, 0},
    {ID_FILTER_FIRST + 0, "Low Pass 1", "", "Filter\nLow Pass 1", E::WithDocument, C::None, 0},
    {ID_FILTER_FIRST + 1, "Low Pass 2", "", "Filter\nLow Pass 2", E::WithDocument, C::None, 0},
    {ID_FILTER_FIRST + 2, "Low Pass 3", "", "Filter\nLow Pass 3", E::WithDocument, C::None, 0},
    {ID_FILTER_FIRST + 3, "High Pass 1", "", "Filter\nHigh Pass 1", E::WithDocument, C::None, 0},
    {ID_FILTER_FIRST + 4, "High Pass 2", "", "Filter\nHigh Pass 2", E::WithDocument, C::None, 0},
    {ID_FILTER_FIRST + 5, "High Pass 3", "", "Filter\nHigh Pass 3", E::WithDocument, C::None, 0},
    {ID_FILTER_FIRST + 6, "Difference 1", "", "Filter\nDifference 1", E::WithDocument, C::None, 0},
    {ID_FILTER_FIRST + 7, "Difference 2", "", "Filter\nDifference 2", E::WithDocument, C::None, 0},
    {ID_FILTER_FIRST + 8, "Difference 3", "", "Filter\nDifference 3", E::WithDocument, C::None, 0},
    {ID_FILTER_FIRST + 9, "Laplace 1", "", "Filter\nLaplace 1", E::WithDocument, C::None, 0},
    {ID_FILTER_FIRST + 10, "Laplace 2", "", "Filter\nLaplace 2", E::WithDocument, C::None, 0},
    {ID_FILTER_FIRST + 11, "Laplace 3", "", "Filter\nLaplace 3", E::WithDocument, C::None, 0},
    {ID_FILTER_FIRST + 12, "Laplace 4", "", "Filter\nLaplace 4", E::WithDocument, C::None, 0},
    {ID_FILTER_FIRST + 13, "North", "", "Gradient\nNorth", E::WithDocument, C::None, 0},
    {ID_FILTER_FIRST + 14, "North East", "", "Gradient\nNorth East", E::WithDocument, C::None, 0},
    {ID_FILTER_FIRST + 15, "East", "", "Gradient\nEast", E::WithDocument, C::None, 0},
    {ID_FILTER_FIRST + 16, "South East", "", "Gradient\nSouth East", E::WithDocument, C::None, 0},
    {ID_FILTER_FIRST + 17, "South", "", "Gradient\nSouth", E::WithDocument, C::None, 0},
    {ID_FILTER_FIRST + 18, "South West", "", "Gradient\nSouth West", E::WithDocument, C::None, 0},
    {ID_FILTER_FIRST + 19, "West", "", "Gradient\nWest", E::WithDocument, C::None, 0},
    {ID_FILTER_FIRST + 20, "North West", "", "Gradient\nNorth West", E::WithDocument, C::None, 0},
    {ID_FLIP_HORIZONTAL, "Flip &Horizontal", "", "Flip Horizontal\nFlip Horizontal",
     E::WithDocument, C::None, 0},
    {ID_FLIP_VERTICAL, "Flip &Vertical", "", "Flip Vertical\nFlip Vertical", E::WithDocument,
     C::None, 0},
    {ID_ROTATE_CLOCKWISE, "Rotate &Clockwise", "", "Rotate Clockwise\nRotate Clockwise",
     E::WithDocument, C::None, 0},
    {ID_ROTATE_COUNTER_CLOCKWISE, "Rotate C&ounter Clockwise", "",
     "Rotate Counter Clockwise\nRotate Counter Clockwise", E::WithDocument, C::None, 0},
    {ID_INVERT, "&Invert", "", "Invert\nInvert", E::WithDocument, C::None, 0},
    {ID_SET_DISPLAY_BITS, "Set &Display Bits", "", "Set Display Bits\nSet Display Bits",
     E::SixteenBitImage, C::None, 0},
    {ID_MAKE_RGB, "", "", "Convert to 24-bit colour\nRGB Color", E::WithDocument, C::None, 0},
    {ID_MAKE_8BIT, "", "", "Convert to 8 bits a pixel\n8-Bit", E::WithDocument, C::None, 0},
    {ID_ADJUST_CONTRAST, "", "", "Adjust Contrast\nAdjust Contrast", E::GreyLowDepthImage, C::None,
     0},
    {ID_RESET_PAN_ZOOM, "R&eset Pan / Zoom", "",
     "Show the whole image at scale 1\n"
     "Reset Pan / Zoom",
     E::WithDocument, C::Zoomed, 0},
    {ID_MODE_ZOOM, "&Zoom", "", "Zoom by dragging a rectangle\nZoom", E::WithDocument, C::MouseMode,
     0},
    {ID_MODE_PAN, "&Pan", "", "Pan with the scroll bars\nPan", E::WithDocument, C::MouseMode, 0},
    {ID_MODE_SELECTION, "&Selection", "", "Select a part of the image\nSelection", E::WithDocument,
     C::MouseMode, 0},
    {ID_MODE_CROP, "C&rop", "", "Crop Out New Image\n Crop Image", E::WithDocument, C::MouseMode,
     0},
    {ID_ZOOM_NOTE, "Zoomin&g Note", "", "How to zoom\nZooming", E::Always, C::None, 0},
    {ID_PAN_NOTE, "Pa&nning Note", "", "How to pan\nPanning", E::Always, C::None, 0},
    {ID_WINDOW_CASCADE, "&Cascade", "", "Arrange the image windows so they overlap\nCascade",
     E::WithDocument, C::None, 0},
    {ID_WINDOW_TILE, "&Tile", "", "Arrange the image windows side by side\nTile", E::WithDocument,
     C::None, 0},
    {ID_APP_ABOUT, "&About The Tessary...", "", "Show the program's version\nAbout", E::Always,
     C::None, 0},
};

const std::vector<int> kFilterIds = [] {
  std::vector<int> ids;
  for (int id = ID_FILTER_FIRST; id <= ID_FILTER_LAST; ++id)
    ids.push_back(id);
  return ids;
}();

const std::vector<int> kFileMenuNoDocument = {ID_FILE_NEW,
                                              ID_FILE_OPEN,
                                              ID_CONVERT,
                                              0,
                                              ID_FILE_MRU_FIRST,
                                              ID_FILE_MRU_FIRST + 1,
                                              ID_FILE_MRU_FIRST + 2,
                                              ID_FILE_MRU_FIRST + 3,
                                              0,
                                              ID_APP_EXIT};
const std::vector<int> kFileMenuDocument = {ID_FILE_NEW,
                                            ID_FILE_OPEN,
                                            ID_FILE_CLOSE,
                                            0,
                                            ID_FILE_SAVE_AS,
                                            ID_COMPRESS,
                                            ID_CONVERT,
                                            0,
                                            ID_FILE_PRINT,
                                            ID_FILE_PRINT_DIRECT,
                                            ID_FILE_PRINT_PREVIEW,
                                            0,
                                            ID_FILE_MRU_FIRST,
                                            ID_FILE_MRU_FIRST + 1,
                                            ID_FILE_MRU_FIRST + 2,
                                            ID_FILE_MRU_FIRST + 3,
                                            0,
                                            ID_APP_EXIT};
const std::vector<int> kEditMenu = {ID_EDIT_UNDO, ID_EDIT_REDO};
const std::vector<int> kViewMenu = {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_IMAGE_TOOLBAR};
const std::vector<int> kOptionsMenu = {
    ID_QUICK_DITHER,       ID_MEDIAN_CUT, ID_FAST_QUANTIZATION, ID_BEST_QUANTIZATION, 0,
    ID_GENERAL_PREFERENCES};
const std::vector<int> kImageMenu = [] {
  std::vector<int> ids = {ID_RGB_COLOR, ID_GRAYSCALE, ID_BRIGHTNESS_CONTRAST, 0};
  ids.insert(ids.end(), kFilterIds.begin(), kFilterIds.end());
  ids.insert(ids.end(),
             {0, ID_FLIP_HORIZONTAL, ID_FLIP_VERTICAL, ID_ROTATE_CLOCKWISE,
              ID_ROTATE_COUNTER_CLOCKWISE, ID_INVERT, ID_SET_DISPLAY_BITS, 0, ID_RESET_PAN_ZOOM,
              ID_MODE_ZOOM, ID_MODE_PAN, ID_MODE_SELECTION, ID_MODE_CROP});
  return ids;
}();
const std::vector<int> kWindowMenu = {ID_WINDOW_CASCADE, ID_WINDOW_TILE};
const std::vector<int> kHelpMenu = {ID_ZOOM_NOTE, ID_PAN_NOTE, 0, ID_APP_ABOUT};

const std::vector<MenuLayout> kNoDocumentMenus = {{"&File", kFileMenuNoDocument},
                                                  {"&View", kViewMenu},
                                                  {"&Options", kOptionsMenu},
                                                  {"&Help", kHelpMenu}};
const std::vector<MenuLayout> kDocumentMenus = {
    {"&File", kFileMenuDocument}, {"&Edit", kEditMenu},         {"&View", kViewMenu},
    {"&Options", kOptionsMenu},   {"&Image Tools", kImageMenu}, {"&Window", kWindowMenu},
    {"&Help", kHelpMenu}};

const std::vector<int> kMainToolbar = {ID_FILE_OPEN, ID_APP_ABOUT, 0, ID_FILE_SAVE_AS, ID_COMPRESS,
                                       ID_CONVERT,   ID_FILE_PRINT};
const std::vector<int> kImageToolbar = {
    ID_ROTATE_COUNTER_CLOCKWISE, ID_ROTATE_CLOCKWISE,    ID_FLIP_VERTICAL,
    ID_FLIP_HORIZONTAL,          ID_BRIGHTNESS_CONTRAST, ID_INVERT,
    ID_SET_DISPLAY_BITS,         ID_MODE_SELECTION,      ID_MODE_CROP,
    ID_RESET_PAN_ZOOM,           ID_ZOOM_NOTE,           ID_PAN_NOTE};

bool GreyTable(const vuImage& image) {
  if (image.Depth() > 8) return false;
  if (image.format == BM_8BIT_GRAY) return true;
  int count = image.TableEntries();
  for (int i = 0; i < count; ++i) {
    const vuRGBA& c = image.palette[i];
    if (c.red != c.green || c.green != c.blue) return false;
  }
  return count > 0;
}
} // namespace

CommandTable::CommandTable() = default;

const std::vector<CommandEntry>& CommandTable::Entries() {
  return kEntries;
}

const CommandEntry* CommandTable::Find(int id) {
  for (const CommandEntry& entry : kEntries)
    if (entry.id == id) return &entry;
  return nullptr;
}

const std::vector<MenuLayout>& CommandTable::NoDocumentMenus() {
  return kNoDocumentMenus;
}

const std::vector<MenuLayout>& CommandTable::DocumentMenus() {
  return kDocumentMenus;
}

const std::vector<int>& CommandTable::MainToolbar() {
  return kMainToolbar;
}

const std::vector<int>& CommandTable::ImageToolbar() {
  return kImageToolbar;
}

std::string CommandTable::ToolTip(const CommandEntry& entry) {
  std::string help = entry.help;
  size_t newline = help.find('\n');
  return newline == std::string::npos ? help : help.substr(newline + 1);
}

std::string CommandTable::StatusTip(const CommandEntry& entry) {
  std::string help = entry.help;
  return help.substr(0, help.find('\n'));
}

void CommandTable::SetHandler(int id, std::function<void()> handler) {
  if (handler)
    handlers_[id] = std::move(handler);
  else
    handlers_.erase(id);
}

bool CommandTable::IsEnabled(const CommandEntry& entry, const CommandContext& context) {
  const vuImage* image = context.image;
  bool hasImage = image && image->header;
  switch (entry.enable) {
  case E::Always:
    return true;
  case E::WithDocument:
    return image != nullptr;
  case E::LowColorScreen:
    return context.screenDepth <= 8;
  case E::PaletteImage:
    return hasImage && image->format == BM_8BIT_COLOR;
  case E::OneBitImage:
    return hasImage && image->format == BM_1BIT;
  case E::GreyLowDepthImage:
    return hasImage && GreyTable(*image);
  case E::SixteenBitImage:
    return hasImage && (image->format == BM_48BIT || image->format == BM_16BIT_GRAY);
  case E::RecentFileListed:
    return entry.value < context.recentFiles;
  case E::CanUndo:
    return hasImage && context.canUndo;
  case E::CanRedo:
    return hasImage && context.canRedo;
  }
  return false;
}

bool CommandTable::IsChecked(const CommandEntry& entry, const CommandContext& context) {
  switch (entry.check) {
  case C::None:
    return false;
  case C::ToolbarVisible:
    return context.toolbarVisible;
  case C::StatusBarVisible:
    return context.statusBarVisible;
  case C::ImageToolbarVisible:
    return context.imageToolbarVisible;
  case C::ColorReduction:
    return context.colorReduction == entry.value;
  case C::MouseMode:
    return context.mouseMode == entry.id;
  case C::Zoomed:
    return context.zoomed;
  }
  return false;
}

bool CommandTable::IsEnabled(int id) const {
  const CommandEntry* entry = Find(id);
  return entry && IsEnabled(*entry, Context());
}

bool CommandTable::IsChecked(int id) const {
  const CommandEntry* entry = Find(id);
  return entry && IsChecked(*entry, Context());
}

bool CommandTable::Trigger(int id) {
  auto handler = handlers_.find(id);
  if (handler == handlers_.end() || !IsEnabled(id)) return false;
  // The handler may replace itself (or the table's other handlers) while it runs.
  std::function<void()> run = handler->second;
  run();
  return true;
}
