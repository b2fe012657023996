// The command table: enable rules, check marks, triggering by id, menus and the notes.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QToolBar>
#include <set>

#include "AppTestSupport.h"
#include "app/CTOVRADoc.h"
#include "app/CommandTable.h"
#include "imagelib/vuImageOwner.h"

namespace {

struct SmallImage : vuImageOwner {
  explicit SmallImage(vuBMFormat format, int colors = 0) { AllocateBitmap(4, 4, colors, format); }
};

TEST(CommandTable, EnableRulesFollowTheImageAndTheScreen) {
  SmallImage colour(BM_24BIT), palette(BM_8BIT_COLOR, 256), grey(BM_8BIT_GRAY, 256),
      oneBit(BM_1BIT, 2), deep(BM_16BIT_GRAY), wide(BM_48BIT);
  for (int i = 0; i < 256; ++i)
    palette.palette[i] = vuRGBA{uint8_t(i), 0, uint8_t(255 - i), 0};
  auto enabled = [](int id, const vuImage* image, int depth = 24) {
    CommandContext context;
    context.image = image;
    context.screenDepth = depth;
    return CommandTable::IsEnabled(*CommandTable::Find(id), context);
  };
  // Without a document only the program's own commands.
  EXPECT_TRUE(enabled(ID_FILE_OPEN, nullptr));
  EXPECT_TRUE(enabled(ID_ZOOM_NOTE, nullptr));
  EXPECT_FALSE(enabled(ID_FILE_SAVE_AS, nullptr));
  EXPECT_FALSE(enabled(ID_FILE_PRINT, nullptr));
  EXPECT_FALSE(enabled(ID_RESET_PAN_ZOOM, nullptr));
  EXPECT_TRUE(enabled(ID_FILE_PRINT, &colour));
  // Colour reduction only on screens of 8 bits or fewer.
  for (int id : {ID_QUICK_DITHER, ID_MEDIAN_CUT, ID_FAST_QUANTIZATION, ID_BEST_QUANTIZATION}) {
    EXPECT_FALSE(enabled(id, &colour, 24)) << id;
    EXPECT_TRUE(enabled(id, &colour, 8)) << id;
  }
  EXPECT_TRUE(enabled(ID_RGB_COLOR, &palette));
  EXPECT_FALSE(enabled(ID_RGB_COLOR, &colour));
  EXPECT_TRUE(enabled(ID_GRAYSCALE, &oneBit));
  EXPECT_FALSE(enabled(ID_GRAYSCALE, &grey));
  EXPECT_TRUE(enabled(ID_BRIGHTNESS_CONTRAST, &grey));
  EXPECT_FALSE(enabled(ID_BRIGHTNESS_CONTRAST, &palette)); // coloured table
  EXPECT_FALSE(enabled(ID_BRIGHTNESS_CONTRAST, &colour));
  EXPECT_TRUE(enabled(ID_SET_DISPLAY_BITS, &deep));
  EXPECT_TRUE(enabled(ID_SET_DISPLAY_BITS, &wide));
  EXPECT_FALSE(enabled(ID_SET_DISPLAY_BITS, &grey));
}

TEST(CommandTable, CheckMarksAndRecentFiles) {
  CommandContext context;
  context.colorReduction = 3;
  context.mouseMode = ID_MODE_CROP;
  context.imageToolbarVisible = false;
  context.recentFiles = 2;
  auto checked = [&](int id) { return CommandTable::IsChecked(*CommandTable::Find(id), context); };
  EXPECT_TRUE(checked(ID_FAST_QUANTIZATION));
  EXPECT_FALSE(checked(ID_MEDIAN_CUT));
  EXPECT_TRUE(checked(ID_MODE_CROP));
  EXPECT_FALSE(checked(ID_MODE_SELECTION));
  EXPECT_FALSE(checked(ID_IMAGE_TOOLBAR));
  EXPECT_TRUE(CommandTable::IsEnabled(*CommandTable::Find(ID_FILE_MRU_FIRST + 1), context));
  EXPECT_FALSE(CommandTable::IsEnabled(*CommandTable::Find(ID_FILE_MRU_FIRST + 2), context));
}

TEST(CommandTable, TriggerRunsOnlyEnabledHandledCommands) {
  CommandTable table;
  int runs = 0;
  table.SetHandler(ID_FILE_PRINT, [&] { ++runs; });
  table.SetHandler(ID_ZOOM_NOTE, [&] { runs += 10; });
  EXPECT_FALSE(table.Trigger(ID_FILE_PRINT)); // no document
  EXPECT_TRUE(table.Trigger(ID_ZOOM_NOTE));
  EXPECT_FALSE(table.Trigger(ID_PAN_NOTE)); // nobody handles it
  EXPECT_FALSE(table.Trigger(12345));       // no such command
  SmallImage image(BM_24BIT);
  table.SetContextSource([&] {
    CommandContext context;
    context.image = &image;
    return context;
  });
  EXPECT_TRUE(table.Trigger(ID_FILE_PRINT));
  EXPECT_EQ(runs, 11);
}

TEST(CommandTable, HelpStringsSplitIntoPromptAndToolTip) {
  const CommandEntry* compress = CommandTable::Find(ID_COMPRESS);
  EXPECT_EQ(CommandTable::StatusTip(*compress), "Compress Image");
  EXPECT_EQ(CommandTable::ToolTip(*compress), "Compress to Wavelet Image File");
  EXPECT_EQ(CommandTable::ToolTip(*CommandTable::Find(ID_MODE_CROP)), " Crop Image");
  EXPECT_EQ(CommandTable::StatusTip(*CommandTable::Find(ID_CONVERT)), "Convert Multiple Images");
  EXPECT_EQ(CommandTable::ToolTip(*CommandTable::Find(ID_SET_DISPLAY_BITS)), "Set Display Bits");
  // Every id appears once.
  std::set<int> ids;
  for (const CommandEntry& entry : CommandTable::Entries())
    EXPECT_TRUE(ids.insert(entry.id).second);
  for (int id = ID_FILTER_FIRST; id <= ID_FILTER_LAST; ++id)
    EXPECT_TRUE(ids.count(id)) << id;
}

// The texts a menu shows, with separators as "-".
std::vector<std::string> MenuTexts(CMainFrame& frame, const QString& title) {
  std::vector<std::string> texts;
  for (QAction* menu : frame.menuBar()->actions()) {
    if (menu->text() != title) continue;
    for (QAction* action : menu->menu()->actions())
      texts.push_back(action->isSeparator() ? "-" : action->text().toStdString());
  }
  return texts;
}

TEST(MainFrame, MenusToolbarsAndAcceleratorsComeFromTheTable) {
  apptest::Studio studio;
  CMainFrame& frame = *studio.frame;
  // No document: no Image Tools or Window menu; Close is not offered.
  std::vector<std::string> titles;
  for (QAction* menu : frame.menuBar()->actions())
    titles.push_back(menu->text().toStdString());
  EXPECT_EQ(titles, (std::vector<std::string>{"&File", "&View", "&Options", "&Help"}));
  EXPECT_EQ(MenuTexts(frame, "&View"),
            (std::vector<std::string>{"&Toolbar", "&Status Bar", "&Image Toolbar"}));
  EXPECT_EQ(frame.Action(ID_FILE_OPEN)->shortcut(), QKeySequence("Ctrl+O"));
  EXPECT_EQ(frame.Action(ID_FILE_SAVE_AS)->shortcut(), QKeySequence("Alt+S"));
  EXPECT_EQ(frame.Action(ID_COMPRESS)->shortcut(), QKeySequence("Alt+C"));
  EXPECT_EQ(frame.Action(ID_COMPRESS)->toolTip(), "Compress to Wavelet Image File");

  // The image toolbar's check buttons.
  for (int id : {ID_MODE_SELECTION, ID_MODE_CROP, ID_RESET_PAN_ZOOM})
    EXPECT_TRUE(frame.Action(id)->isCheckable()) << id;
  EXPECT_FALSE(frame.Action(ID_INVERT)->isCheckable());
  EXPECT_EQ(frame.ImageToolbar()->windowTitle(), "Image Toolbar");

  // With a document the Edit and Image Tools menus appear; the View entry hides the image
  // toolbar.
  ASSERT_NE(studio.Open(vutest::Sample("camera.pgm")), nullptr);
  titles.clear();
  for (QAction* menu : frame.menuBar()->actions())
    titles.push_back(menu->text().toStdString());
  EXPECT_EQ(titles, (std::vector<std::string>{"&File", "&Edit", "&View", "&Options", "&Image Tools",
                                              "&Window", "&Help"}));
  EXPECT_EQ(MenuTexts(frame, "&Edit"), (std::vector<std::string>{"&Undo", "&Redo"}));
  EXPECT_EQ(frame.Action(ID_EDIT_UNDO)->shortcut(), QKeySequence("Ctrl+Z"));
  EXPECT_EQ(frame.Action(ID_EDIT_REDO)->shortcut(), QKeySequence("Ctrl+Y"));
  EXPECT_FALSE(frame.Action(ID_EDIT_UNDO)->isEnabled()); // nothing changed yet
  EXPECT_TRUE(frame.Commands().IsChecked(ID_IMAGE_TOOLBAR));
  EXPECT_TRUE(frame.Commands().Trigger(ID_IMAGE_TOOLBAR));
  EXPECT_TRUE(frame.ImageToolbar()->isHidden());
  EXPECT_FALSE(frame.Commands().IsChecked(ID_IMAGE_TOOLBAR));
  frame.Commands().Trigger(ID_IMAGE_TOOLBAR);
  EXPECT_FALSE(frame.ImageToolbar()->isHidden());

  // Mouse modes check their own button and uncheck the others.
  frame.Action(ID_MODE_CROP)->trigger();
  EXPECT_TRUE(frame.Action(ID_MODE_CROP)->isChecked());
  EXPECT_FALSE(frame.Action(ID_MODE_SELECTION)->isChecked());
  EXPECT_EQ(studio.app->cursorResource, 184);
  frame.Action(ID_MODE_ZOOM)->trigger();
  EXPECT_FALSE(frame.Action(ID_MODE_CROP)->isChecked());
  EXPECT_EQ(studio.app->cursorResource, 167);
  frame.Action(ID_MODE_PAN)->trigger();
  EXPECT_EQ(studio.app->cursorResource, 154);
}

TEST(MainFrame, NotesAndColourReductionChoices) {
  apptest::Studio studio(8);
  CommandTable& commands = studio.frame->Commands();
  ASSERT_TRUE(commands.Trigger(ID_ZOOM_NOTE));
  ASSERT_TRUE(commands.Trigger(ID_PAN_NOTE));
  EXPECT_EQ(studio.platform.Texts(),
            (std::vector<std::string>{
                "NOTE - NEW ZOOMING METHODS|Draw rectangle by holding left mouse button down "
                "while dragging mouse.\nRelease button to zoom to drawn rectangle.\nCan repeat "
                "this process to zoom further.\nTo restore original, click right mouse button.",
                "NOTE -  PANNING|No longer support panning by dragging hand. \nMust use scroll "
                "bars!"}));
  EXPECT_EQ(studio.app->colorReduction, 0);
  EXPECT_TRUE(commands.IsChecked(ID_MEDIAN_CUT));
  ASSERT_TRUE(commands.Trigger(ID_BEST_QUANTIZATION));
  EXPECT_EQ(studio.app->colorReduction, 2);
  ASSERT_TRUE(commands.Trigger(ID_QUICK_DITHER));
  EXPECT_EQ(studio.app->colorReduction, 1);
  EXPECT_TRUE(commands.IsChecked(ID_QUICK_DITHER));
}

TEST(MainFrame, StartUpLayoutCaptionAndStatusPanes) {
  apptest::Studio studio(24, 1300, 1000);
  CMainFrame& frame = *studio.frame;
  EXPECT_EQ(frame.windowTitle(), "The Tessary V2.00b");
  EXPECT_EQ(frame.geometry().topLeft(), QPoint(50, 50));
  EXPECT_EQ(frame.geometry().size(), QSize(1200, 900));
  // Fourteen panes ending at the given edges; labels in the even ones.
  int left = 0;
  const char* labels[] = {"Ratio",
                          "   Time",
                          "   Width",
                          "   Height",
                          " Bits Per Pixel",
                          " Original File Size",
                          " Compressed File Size"};
  for (int i = 0; i < CMainFrame::kStatusPanes; ++i) {
    QLabel* pane = frame.StatusPane(i);
    EXPECT_EQ(left + pane->width(), CMainFrame::StatusPaneEdges()[i]) << i;
    left += pane->width();
    if (i % 2 == 0)
      EXPECT_EQ(pane->text().toStdString(), labels[i / 2]);
    else
      EXPECT_EQ(pane->text(), QString(20, ' '));
  }
  EXPECT_EQ(CMainFrame::StatusPaneEdges().back(), 765);
}

} // namespace
