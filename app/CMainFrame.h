// The main window: menus and toolbars built from the command table, the MDI area with its
// background, the status bar with its fourteen panes, palette relays, drag and drop, and the
// commands that belong to the program rather than to one image.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <map>
#include <string>

#include "app/CommandTable.h"
#include "app/StatusValues.h"

class QAction;
class QLabel;
class QMdiSubWindow;
class QToolBar;
class CBackground;
class CChildFrame;
class CTOVRAApp;
class CTOVRADoc;
class CTOVRAView;

class CMainFrame : public QMainWindow {
  Q_OBJECT
public:
  // Builds the window for the application's state; the screen is the platform layer's.
  explicit CMainFrame(CTOVRAApp& app);
  ~CMainFrame() override;

  CTOVRAApp& App() { return app_; }
  CommandTable& Commands() { return commands_; }
  CBackground& Background() { return *background_; }
  QToolBar* MainToolbar() { return mainToolbar_; }
  QToolBar* ImageToolbar() { return imageToolbar_; }
  QAction* Action(int id) const;

  // Opens a file as a new document window; null when it could not be loaded (the user was told).
  CTOVRADoc* OpenDocument(const QString& path);
  // A new document (blank, or the crop of the application's crop source); null on failure.
  CTOVRADoc* NewDocument();
  // The command Open: the open dialog, then the chosen file.
  void OnFileOpen();

  // The active document and view; null when no document is open.
  CTOVRADoc* ActiveDocument() const;
  CTOVRAView* ActiveView() const;
  std::vector<CChildFrame*> ChildFrames() const;

  // The fourteen status panes; pane 2k + 1 holds value k.
  static constexpr int kStatusPanes = 14;
  static const std::array<int, kStatusPanes>& StatusPaneEdges();
  QLabel* StatusPane(int index) const { return statusPanes_[index]; }
  void SetStatusValues(const StatusValues& values);

  // The MDI client area's size, recorded on every resize.
  QSize MdiClientSize() const;

  // Palette relays: a view changed the system palette (every view realises again, with the
  // changer as the sender); a palette request to every view of a frame.
  void PaletteChanged(QObject* changer);
  void SendPaletteRequest(CChildFrame* frame, QObject* sender);

  // Brings enable states and check marks of menus and toolbars up to date.
  void UpdateCommandUI();
  // Closes every document (asking for modified ones); false when the user kept one.
  bool CloseAllDocuments();
  // Called by a child frame whose document has closed.
  void OnDocumentClosed(bool wasLast);

protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool event(QEvent* event) override;

private:
  void CreateActions();
  void CreateToolbars();
  void CreateStatusBar();
  void RegisterHandlers();
  void BuildMenus();
  void UpdateRecentFileActions();
  CChildFrame* AddDocumentWindow(CTOVRADoc* document);
  void OnSubWindowActivated(QMdiSubWindow* window);
  void ShowAbout();
  void SetMouseMode(int mode);
  void OpenRecentFile(int index);
  void ShowNote(const char* text, const char* caption);

  CTOVRAApp& app_;
  CommandTable commands_;
  CBackground* background_ = nullptr;
  QToolBar* mainToolbar_ = nullptr;
  QToolBar* imageToolbar_ = nullptr;
  std::array<QLabel*, kStatusPanes> statusPanes_{};
  std::map<int, QAction*> actions_;
  bool documentMenus_ = false;
  bool menusBuilt_ = false;
};
