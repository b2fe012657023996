#include "app/CMainFrame.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/BatchDialog.h"
#include "app/CBackground.h"
#include "app/CChildFrame.h"
#include "app/CTOVRAApp.h"
#include "app/CTOVRADoc.h"
#include "app/CTOVRAView.h"
#include "app/ImageTools.h"
#include "app/OpenImageDialog.h"
#include "app/PreferencesSheet.h"
#include "app/SaveCommands.h"
#include "app/ToolbarIcons.h"
#include "imagelib/vuOSWinClass.h"
#include "imagelib/vuPlatform.h"

namespace {
const std::array<int, CMainFrame::kStatusPanes> kPaneEdges = {40,  90,  130, 165, 210, 245, 295,
                                                              340, 415, 440, 530, 590, 705, 765};
const char* const kPaneLabels[7] = {"Ratio",
                                    "   Time",
                                    "   Width",
                                    "   Height",
                                    " Bits Per Pixel",
                                    " Original File Size",
                                    " Compressed File Size"};
} // namespace

CMainFrame::CMainFrame(CTOVRAApp& app) : app_(app) {
  const vuScreenInfo& screen = vuPlatform().screen;
  setGeometry(50, 50, screen.width - 100, screen.height - 100);
  setWindowTitle(CTOVRAApp::Caption());
  setAcceptDrops(true);

  background_ = new CBackground(this);
  // The program's icon: the band layout of the background picture.
  if (!background_->Picture().isNull())
    setWindowIcon(QPixmap::fromImage(background_->Picture().copy(48, 8, 144, 144)));
  setCentralWidget(background_);
  connect(background_, &QMdiArea::subWindowActivated, this, &CMainFrame::OnSubWindowActivated);

  commands_.SetContextSource([this] {
    CommandContext context;
    CTOVRADoc* document = ActiveDocument();
    context.image = document ? document->image : nullptr;
    context.canUndo = document && document->history.CanUndo();
    context.canRedo = document && document->history.CanRedo();
    context.screenDepth = vuPlatform().screen.bitsPerPixel;
    context.colorReduction = app_.colorReduction;
    context.mouseMode = app_.mouseMode;
    context.toolbarVisible = mainToolbar_ && !mainToolbar_->isHidden();
    context.statusBarVisible = !statusBar()->isHidden();
    context.imageToolbarVisible = imageToolbar_ && !imageToolbar_->isHidden();
    CTOVRAView* view = ActiveView();
    context.zoomed = view && view->Zoom().zoom != 1.0f;
    context.recentFiles = static_cast<int>(app_.RecentFiles().size());
    return context;
  });
  app_.saveDocument = [this](CTOVRADoc& document) {
    if (!commands_.HasHandler(ID_FILE_SAVE_AS)) return false;
    if (document.view) {
      if (auto* frame = qobject_cast<QMdiSubWindow*>(document.view->parentWidget()))
        background_->setActiveSubWindow(frame);
    }
    return commands_.Trigger(ID_FILE_SAVE_AS) && !document.modified;
  };

  RegisterHandlers();
  CreateActions();
  CreateToolbars();
  CreateStatusBar();
  BuildMenus();
  UpdateCommandUI();
}

CMainFrame::~CMainFrame() {
  app_.saveDocument = nullptr;
  // Document windows go while the frame they report to still exists.
  for (CChildFrame* child : ChildFrames())
    delete child;
}

QAction* CMainFrame::Action(int id) const {
  auto found = actions_.find(id);
  return found == actions_.end() ? nullptr : found->second;
}

void CMainFrame::RegisterHandlers() {
  commands_.SetHandler(ID_FILE_NEW, [this] { NewDocument(); });
  commands_.SetHandler(ID_FILE_OPEN, [this] { OnFileOpen(); });
  commands_.SetHandler(ID_FILE_CLOSE, [this] {
    if (QMdiSubWindow* window = background_->activeSubWindow()) window->close();
  });
  commands_.SetHandler(ID_FILE_PRINT, [this] {
    if (CTOVRAView* view = ActiveView()) view->OnFilePrint();
  });
  commands_.SetHandler(ID_FILE_PRINT_DIRECT, [this] {
    if (CTOVRAView* view = ActiveView()) view->OnFilePrintDirect();
  });
  commands_.SetHandler(ID_FILE_PRINT_PREVIEW, [this] {
    if (CTOVRAView* view = ActiveView()) view->OnFilePrintPreview();
  });
  for (int i = 0; i < CTOVRAApp::kRecentFiles; ++i)
    commands_.SetHandler(ID_FILE_MRU_FIRST + i, [this, i] { OpenRecentFile(i); });
  commands_.SetHandler(ID_CONVERT, [this] {
    BatchDialog dialog(app_.preferences, this);
    dialog.exec();
  });
  commands_.SetHandler(ID_APP_EXIT, [this] { close(); });
  commands_.SetHandler(ID_VIEW_TOOLBAR,
                       [this] { mainToolbar_->setVisible(mainToolbar_->isHidden()); });
  commands_.SetHandler(ID_VIEW_STATUS_BAR,
                       [this] { statusBar()->setVisible(statusBar()->isHidden()); });
  commands_.SetHandler(ID_IMAGE_TOOLBAR,
                       [this] { imageToolbar_->setVisible(imageToolbar_->isHidden()); });
  // A reduction choice takes effect at each image's next display preparation.
  commands_.SetHandler(ID_QUICK_DITHER, [this] { app_.colorReduction = 1; });
  commands_.SetHandler(ID_MEDIAN_CUT, [this] { app_.colorReduction = 0; });
  commands_.SetHandler(ID_FAST_QUANTIZATION, [this] { app_.colorReduction = 3; });
  commands_.SetHandler(ID_BEST_QUANTIZATION, [this] { app_.colorReduction = 2; });
  commands_.SetHandler(ID_GENERAL_PREFERENCES, [this] {
    PreferencesSheet sheet(app_.preferences, this);
    if (sheet.exec() == QDialog::Accepted) {
      app_.preferences = sheet.Values();
      app_.SavePreferences();
    }
  });
  commands_.SetHandler(ID_RESET_PAN_ZOOM, [this] {
    if (CTOVRAView* view = ActiveView()) view->ResetPanZoom();
  });
  for (int mode : {ID_MODE_ZOOM, ID_MODE_PAN, ID_MODE_SELECTION, ID_MODE_CROP})
    commands_.SetHandler(mode, [this, mode] { SetMouseMode(mode); });
  commands_.SetHandler(ID_ZOOM_NOTE, [this] {
    ShowNote("Draw rectangle by holding left mouse button down while dragging mouse.\n"
             "Release button to zoom to drawn rectangle.\n"
             "Can repeat this process to zoom further.\n"
             "To restore original, click right mouse button.",
             "NOTE - NEW ZOOMING METHODS");
  });
  commands_.SetHandler(ID_PAN_NOTE, [this] {
    ShowNote("No longer support panning by dragging hand. \nMust use scroll bars!",
             "NOTE -  PANNING");
  });
  commands_.SetHandler(ID_WINDOW_CASCADE, [this] { background_->cascadeSubWindows(); });
  commands_.SetHandler(ID_WINDOW_TILE, [this] { background_->tileSubWindows(); });
  commands_.SetHandler(ID_APP_ABOUT, [this] { ShowAbout(); });
  SaveCommands::Register(*this);
  ImageTools::Register(*this);
}

void CMainFrame::ShowNote(const char* text, const char* caption) {
  vuPlatform().MessageBox(text, caption, VU_MB_OK, VU_ICON_INFORMATION);
}

void CMainFrame::CreateActions() {
  for (const CommandEntry& entry : CommandTable::Entries()) {
    auto* action = new QAction(QString::fromUtf8(entry.menuText), this);
    if (*entry.shortcut) action->setShortcut(QKeySequence(QString::fromUtf8(entry.shortcut)));
    action->setToolTip(QString::fromStdString(CommandTable::ToolTip(entry)));
    action->setStatusTip(QString::fromStdString(CommandTable::StatusTip(entry)));
    action->setCheckable(entry.check != CommandCheck::None);
    action->setIcon(CommandIcon(entry.id));
    action->setIconVisibleInMenu(false);
    // A command only shows once a part of the program handles it.
    action->setVisible(commands_.HasHandler(entry.id));
    int id = entry.id;
    connect(action, &QAction::triggered, this, [this, id] {
      commands_.Trigger(id);
      UpdateCommandUI();
    });
    actions_[id] = action;
    addAction(action); // shortcuts work while the menu that holds the action is not shown
  }
  UpdateRecentFileActions();
}

void CMainFrame::CreateToolbars() {
  auto fill = [this](QToolBar* bar, const std::vector<int>& ids) {
    for (int id : ids) {
      if (id == 0)
        bar->addSeparator();
      else if (QAction* action = Action(id))
        bar->addAction(action);
    }
  };
  mainToolbar_ = addToolBar("Toolbar");
  mainToolbar_->setObjectName("MainToolbar");
  fill(mainToolbar_, CommandTable::MainToolbar());
  imageToolbar_ = new QToolBar("Image Toolbar", this);
  imageToolbar_->setObjectName("ImageToolbar");
  addToolBar(Qt::LeftToolBarArea, imageToolbar_);
  fill(imageToolbar_, CommandTable::ImageToolbar());
}

const std::array<int, CMainFrame::kStatusPanes>& CMainFrame::StatusPaneEdges() {
  return kPaneEdges;
}

void CMainFrame::CreateStatusBar() {
  auto* panes = new QWidget;
  // The panes have fixed edges: a small font lets the longest label fit its pane.
  QFont small = panes->font();
  small.setPixelSize(10);
  panes->setFont(small);
  auto* layout = new QHBoxLayout(panes);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  int left = 0;
  for (int i = 0; i < kStatusPanes; ++i) {
    auto* pane = new QLabel(panes);
    pane->setFixedWidth(kPaneEdges[i] - left);
    left = kPaneEdges[i];
    if (i % 2 == 0) {
      pane->setText(kPaneLabels[i / 2]);
    } else {
      pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
      pane->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    layout->addWidget(pane);
    statusPanes_[i] = pane;
  }
  layout->addStretch(1);
  statusBar()->addWidget(panes, 1);
  SetStatusValues(ClearedStatusValues());
}

void CMainFrame::SetStatusValues(const StatusValues& values) {
  for (size_t k = 0; k < values.size(); ++k)
    statusPanes_[2 * k + 1]->setText(QString::fromStdString(values[k]));
}

void CMainFrame::BuildMenus() {
  bool withDocument = app_.documentCount > 0;
  if (menusBuilt_ && withDocument == documentMenus_) return;
  menusBuilt_ = true;
  documentMenus_ = withDocument;
  menuBar()->clear();
  const auto& layout =
      withDocument ? CommandTable::DocumentMenus() : CommandTable::NoDocumentMenus();
  for (const MenuLayout& menuLayout : layout) {
    QMenu* menu = menuBar()->addMenu(QString::fromUtf8(menuLayout.title));
    // Commands nobody handles are hidden; the separators around them collapse.
    menu->setSeparatorsCollapsible(true);
    connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
    for (int id : menuLayout.ids) {
      if (id == 0)
        menu->addSeparator();
      else if (QAction* action = Action(id))
        menu->addAction(action);
    }
  }
}

void CMainFrame::UpdateRecentFileActions() {
  const QStringList& files = app_.RecentFiles();
  for (int i = 0; i < CTOVRAApp::kRecentFiles; ++i) {
    QAction* action = Action(ID_FILE_MRU_FIRST + i);
    if (!action) continue;
    bool listed = i < files.size();
    action->setText(listed ? QString("&%1 %2").arg(i + 1).arg(files[i]) : QString());
    action->setVisible(listed);
  }
}

void CMainFrame::UpdateCommandUI() {
  BuildMenus();
  CommandContext context = commands_.Context();
  for (const CommandEntry& entry : CommandTable::Entries()) {
    QAction* action = Action(entry.id);
    if (!action) continue;
    bool recentFile = entry.id >= ID_FILE_MRU_FIRST && entry.id <= ID_FILE_MRU_LAST;
    if (!recentFile) action->setVisible(commands_.HasHandler(entry.id));
    action->setEnabled(CommandTable::IsEnabled(entry, context));
    if (action->isCheckable()) action->setChecked(CommandTable::IsChecked(entry, context));
  }
  UpdateRecentFileActions();
}

CTOVRADoc* CMainFrame::ActiveDocument() const {
  CTOVRAView* view = ActiveView();
  return view ? &view->Document() : nullptr;
}

CTOVRAView* CMainFrame::ActiveView() const {
  auto* child = qobject_cast<CChildFrame*>(background_->activeSubWindow());
  if (!child || child->Document().Closed()) {
    // Before the area activates a window (or while the frame is hidden) the last one active
    // stands in.
    child = nullptr;
    auto windows = background_->subWindowList(QMdiArea::ActivationHistoryOrder);
    for (auto window = windows.rbegin(); window != windows.rend() && !child; ++window) {
      auto* candidate = qobject_cast<CChildFrame*>(*window);
      if (candidate && !candidate->Document().Closed()) child = candidate;
    }
  }
  return child ? &child->View() : nullptr;
}

std::vector<CChildFrame*> CMainFrame::ChildFrames() const {
  // A closed document's window may linger until the event loop deletes it: it no longer counts.
  std::vector<CChildFrame*> frames;
  for (QMdiSubWindow* window : background_->subWindowList())
    if (auto* child = qobject_cast<CChildFrame*>(window); child && !child->Document().Closed())
      frames.push_back(child);
  return frames;
}

QSize CMainFrame::MdiClientSize() const {
  return background_->viewport()->size();
}

CChildFrame* CMainFrame::AddDocumentWindow(CTOVRADoc* document) {
  auto* child = new CChildFrame(std::unique_ptr<CTOVRADoc>(document), *this);
  background_->addSubWindow(child);
  child->show();
  BuildMenus();
  child->View().OnInitialUpdate();
  background_->setActiveSubWindow(child);
  child->View().setFocus();
  UpdateCommandUI();
  return child;
}

CTOVRADoc* CMainFrame::OpenDocument(const QString& path) {
  auto document = std::make_unique<CTOVRADoc>(app_);
  if (!document->OnOpenDocument(QFileInfo(path).absoluteFilePath().toStdString())) {
    app_.RemoveRecentFile(QFileInfo(path).absoluteFilePath());
    UpdateCommandUI();
    return nullptr;
  }
  app_.AddRecentFile(path);
  CTOVRADoc* opened = document.release();
  AddDocumentWindow(opened);
  return opened;
}

CTOVRADoc* CMainFrame::NewDocument() {
  auto document = std::make_unique<CTOVRADoc>(app_);
  if (!document->OnNewDocument()) return nullptr;
  CTOVRADoc* made = document.release();
  AddDocumentWindow(made);
  return made;
}

void CMainFrame::OnFileOpen() {
  vuFileDialog dialog;
  dialog.owner = this;
  dialog.title = "Select Image File";
  dialog.filters = OpenDialogFilters();
  dialog.filterIndex = app_.lastOpenFilterIndex;
  dialog.initialFolder = app_.preferences.inputFolder.toStdString();
  dialog.mustExist = true;
  dialog.preview = app_.preferences.previewOpenDialog;
  bool chosen = vuPlatform().GetOpenFileName(dialog);
  app_.lastOpenFilterIndex = dialog.filterIndex;
  if (!chosen) return;
  if (!OpenDocument(QString::fromStdString(dialog.path)))
    vuPlatform().MessageBox("Invalid or Unsupported Image Selected", CTOVRAApp::Title(),
                            VU_MB_OKCANCEL, VU_ICON_NONE);
}

void CMainFrame::OpenRecentFile(int index) {
  const QStringList& files = app_.RecentFiles();
  if (index < files.size()) OpenDocument(files[index]);
}

void CMainFrame::OnSubWindowActivated(QMdiSubWindow* window) {
  if (auto* child = qobject_cast<CChildFrame*>(window)) child->View().Activate();
  UpdateCommandUI();
}

void CMainFrame::SetMouseMode(int mode) {
  app_.SetMouseMode(mode);
  for (CChildFrame* child : ChildFrames())
    child->View().UpdateCursor();
}

void CMainFrame::PaletteChanged(QObject* changer) {
  for (CChildFrame* child : ChildFrames())
    if (&child->View() != changer) child->View().OnPaletteRequest(changer);
}

void CMainFrame::SendPaletteRequest(CChildFrame* frame, QObject* sender) {
  frame->View().OnPaletteRequest(sender);
}

void CMainFrame::OnDocumentClosed(bool wasLast) {
  if (wasLast) {
    SetStatusValues(ClearedStatusValues());
    for (CChildFrame* child : ChildFrames())
      child->View().UpdateCursor();
  }
  UpdateCommandUI();
}

bool CMainFrame::CloseAllDocuments() {
  for (CChildFrame* child : ChildFrames()) {
    if (!child->close()) return false;
  }
  return true;
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (!CloseAllDocuments()) {
    event->ignore();
    return;
  }
  QMainWindow::closeEvent(event);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) OpenDocument(url.toLocalFile());
  event->acceptProposedAction();
}

bool CMainFrame::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) {
    // The main window came to the front: the active image may want its palette back.
    if (CTOVRAView* view = ActiveView()) view->OnPaletteRequest(this);
  }
  return QMainWindow::event(event);
}

void CMainFrame::ShowAbout() {
  QDialog about(this);
  about.setObjectName("AboutBox");
  about.setWindowTitle(CTOVRAApp::Caption());
  auto* layout = new QVBoxLayout(&about);
  auto* row = new QHBoxLayout;
  auto* picture = new QLabel;
  picture->setPixmap(QPixmap::fromImage(background_->Picture()));
  row->addWidget(picture);
  auto* text = new QLabel(QString("%1\nVersion %2\n\nA wavelet image viewer and compressor.")
                              .arg(CTOVRAApp::Title(), CTOVRAApp::Version()));
  text->setObjectName("AboutText");
  row->addWidget(text);
  layout->addLayout(row);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
  connect(buttons, &QDialogButtonBox::accepted, &about, &QDialog::accept);
  layout->addWidget(buttons);
  about.exec();
}
