#include "app/CChildFrame.h"

#include <QCloseEvent>

#include "app/CMainFrame.h"
#include "app/CTOVRADoc.h"
#include "app/CTOVRAView.h"

CChildFrame::CChildFrame(std::unique_ptr<CTOVRADoc> document, CMainFrame& frame)
    : document_(std::move(document)), frame_(frame) {
  setAttribute(Qt::WA_DeleteOnClose);
  view_ = new CTOVRAView(*document_, frame_, this);
  setWidget(view_);
  setWindowTitle(QString::fromStdString(document_->Title()));
  setWindowIcon(frame.windowIcon());
}

CChildFrame::~CChildFrame() {
  // The view refers to the document: it goes first.
  delete view_;
  view_ = nullptr;
  document_.reset();
}

void CChildFrame::closeEvent(QCloseEvent* event) {
  if (!document_->SaveModified()) {
    event->ignore();
    return;
  }
  bool last = document_->OnCloseDocument();
  QMdiSubWindow::closeEvent(event);
  frame_.OnDocumentClosed(last);
}

void CChildFrame::moveEvent(QMoveEvent* event) {
  QMdiSubWindow::moveEvent(event);
  frame_.SendPaletteRequest(this, this);
}
