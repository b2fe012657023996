// The frame of one document window: owns the document and its view, asks before a modified
// image closes, and passes its moves on to its view as palette requests.
#pragma once

#include <QMdiSubWindow>
#include <memory>

class CMainFrame;
class CTOVRADoc;
class CTOVRAView;

class CChildFrame : public QMdiSubWindow {
  Q_OBJECT
public:
  // Takes the document over and creates its view.
  CChildFrame(std::unique_ptr<CTOVRADoc> document, CMainFrame& frame);
  ~CChildFrame() override;

  CTOVRADoc& Document() { return *document_; }
  CTOVRAView& View() { return *view_; }

protected:
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;

private:
  std::unique_ptr<CTOVRADoc> document_;
  CTOVRAView* view_;
  CMainFrame& frame_;
};
