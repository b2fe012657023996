// The program's commands as data: id, menu text, accelerator, help string, enable rule and check
// mark, plus the handler each part of the program registers. Menus, toolbars and tests all go
// through this one table, so adding a command is one entry here and one handler.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

class vuImage;

// Command ids. The numbers are the program's historic resource ids and stay as they are.
enum CommandId : int {
  ID_FILE_NEW = 57600,
  ID_FILE_OPEN = 57601,
  ID_FILE_CLOSE = 57602,
  ID_FILE_SAVE_AS = 57604,
  ID_FILE_PRINT = 57607,
  ID_FILE_PRINT_DIRECT = 57608,
  ID_FILE_PRINT_PREVIEW = 57609,
  ID_FILE_MRU_FIRST = 57616,
  ID_FILE_MRU_LAST = 57631,
  ID_EDIT_UNDO = 57643,
  ID_EDIT_REDO = 57644,
  ID_WINDOW_CASCADE = 57650,
  ID_WINDOW_TILE = 57651,
  ID_APP_ABOUT = 57664,
  ID_APP_EXIT = 57665,
  ID_VIEW_TOOLBAR = 59392,
  ID_VIEW_STATUS_BAR = 59393,
  ID_COMPRESS = 32778,
  ID_CONVERT = 32847,
  ID_IMAGE_TOOLBAR = 32846,
  ID_QUICK_DITHER = 32774,
  ID_MEDIAN_CUT = 32775,
  ID_FAST_QUANTIZATION = 32776,
  ID_BEST_QUANTIZATION = 32777,
  ID_GENERAL_PREFERENCES = 32783,
  ID_RGB_COLOR = 32852,
  ID_GRAYSCALE = 32853,
  ID_BRIGHTNESS_CONTRAST = 32782,
  ID_FILTER_FIRST = 32791, // Low Pass 1 .. Laplace 4, then the eight gradients
  ID_FILTER_LAST = 32811,
  ID_FLIP_HORIZONTAL = 32813,
  ID_FLIP_VERTICAL = 32814,
  ID_ROTATE_CLOCKWISE = 32815,
  ID_ROTATE_COUNTER_CLOCKWISE = 32816,
  ID_INVERT = 32840,
  ID_SET_DISPLAY_BITS = 32850,
  ID_MAKE_RGB = 32773,        // no menu entry: any image to 24-bit colour
  ID_MAKE_8BIT = 32779,       // no menu entry: any image to 8 bits a pixel
  ID_ADJUST_CONTRAST = 32780, // no menu entry: the single-slider contrast dialog
  ID_RESET_PAN_ZOOM = 32845,
  ID_MODE_ZOOM = 32835,
  ID_MODE_PAN = 32837,
  ID_MODE_SELECTION = 32839,
  ID_MODE_CROP = 32849,
  ID_ZOOM_NOTE = 32858,
  ID_PAN_NOTE = 32859,
};

// When a command may run.
enum class CommandEnable {
  Always,
  WithDocument,
  LowColorScreen,    // screens of 8 bits per pixel or fewer
  PaletteImage,      // BM_8BIT_COLOR images
  OneBitImage,       // BM_1BIT images
  GreyLowDepthImage, // 8 bits per pixel or fewer with a grey colour table
  SixteenBitImage,   // BM_48BIT and BM_16BIT_GRAY images
  RecentFileListed,
  CanUndo, // the active document has a change to undo
  CanRedo, // ... or an undone change to do again
};

// What a command's check mark shows.
enum class CommandCheck {
  None,
  ToolbarVisible,
  StatusBarVisible,
  ImageToolbarVisible,
  ColorReduction, // checked when the choice equals the entry's value
  MouseMode,      // checked when the mode equals the entry's id
  Zoomed,         // checked while the active view is zoomed
};

struct CommandEntry {
  int id;
  const char* menuText; // with its mnemonic
  const char* shortcut; // "" for none
  const char* help;     // status-bar prompt, a line feed, the tool tip
  CommandEnable enable;
  CommandCheck check;
  int value; // for CommandCheck::ColorReduction
};

// What the enable rules and check marks look at.
struct CommandContext {
  const vuImage* image = nullptr; // the active document's image; null without a document
  int screenDepth = 24;
  int colorReduction = 0;
  int mouseMode = 0;
  bool toolbarVisible = true;
  bool statusBarVisible = true;
  bool imageToolbarVisible = true;
  bool zoomed = false;
  int recentFiles = 0;
  bool canUndo = false;
  bool canRedo = false;
};

// One pull-down menu: its title and its command ids in order (0 is a separator). A command
// without a handler is left out.
struct MenuLayout {
  const char* title;
  std::vector<int> ids;
};

class CommandTable {
public:
  CommandTable();

  // Every command the program knows.
  static const std::vector<CommandEntry>& Entries();
  static const CommandEntry* Find(int id);
  // The menus when no document is open and when one is.
  static const std::vector<MenuLayout>& NoDocumentMenus();
  static const std::vector<MenuLayout>& DocumentMenus();
  // The two toolbars' buttons in order (0 is a separator).
  static const std::vector<int>& MainToolbar();
  static const std::vector<int>& ImageToolbar();
  // The tool tip and the status-bar prompt of a command's help string.
  static std::string ToolTip(const CommandEntry& entry);
  static std::string StatusTip(const CommandEntry& entry);

  void SetHandler(int id, std::function<void()> handler);
  bool HasHandler(int id) const { return handlers_.count(id) != 0; }
  void SetContextSource(std::function<CommandContext()> source) { context_ = std::move(source); }
  CommandContext Context() const { return context_ ? context_() : CommandContext{}; }

  bool IsEnabled(int id) const;
  bool IsChecked(int id) const;
  static bool IsEnabled(const CommandEntry& entry, const CommandContext& context);
  static bool IsChecked(const CommandEntry& entry, const CommandContext& context);

  // Runs a command as a menu or key would: only when it is known, enabled and handled. Returns
  // whether it ran.
  bool Trigger(int id);

private:
  std::map<int, std::function<void()>> handlers_;
  std::function<CommandContext()> context_;
};
