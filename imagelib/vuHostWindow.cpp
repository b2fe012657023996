#include "imagelib/vuHostWindow.h"

vuHostWindow::vuHostWindow(int width, int height)
    : width_(width > 0 ? width : 0), height_(height > 0 ? height : 0), procedure_(vuDefWindowProc) {
}

void vuHostWindow::Resize(int width, int height) {
  width_ = width > 0 ? width : 0;
  height_ = height > 0 ? height : 0;
}

vuWindowProc vuHostWindow::SetWindowProc(vuWindowProc procedure) {
  vuWindowProc previous = procedure_;
  procedure_ = procedure ? procedure : vuDefWindowProc;
  return previous;
}

intptr_t vuHostWindow::SendMessage(int message, uintptr_t wParam, intptr_t lParam) {
  return procedure_(this, message, wParam, lParam);
}

void vuHostWindow::SetProp(const std::string& name, void* value) {
  properties_[name] = value;
}

void* vuHostWindow::GetProp(const std::string& name) const {
  auto found = properties_.find(name);
  return found == properties_.end() ? nullptr : found->second;
}

void* vuHostWindow::RemoveProp(const std::string& name) {
  auto found = properties_.find(name);
  if (found == properties_.end()) return nullptr;
  void* value = found->second;
  properties_.erase(found);
  return value;
}

void vuHostWindow::Invalidate(bool erase) {
  invalid_ = true;
  erase_ = erase_ || erase;
}

void vuHostWindow::Update() {
  if (invalid_) SendMessage(VU_WM_PAINT);
}

vuDeviceContext* vuHostWindow::BeginPaint() {
  vuDeviceContext* dc = GetDC();
  if (erase_) SendMessage(VU_WM_ERASEBKGND, reinterpret_cast<uintptr_t>(dc));
  invalid_ = false;
  erase_ = false;
  return dc;
}

void vuHostWindow::EndPaint(vuDeviceContext* dc) {
  ReleaseDC(dc);
  OnPainted();
}

intptr_t vuDefWindowProc(vuHostWindow* window, int message, uintptr_t, intptr_t) {
  if (message == VU_WM_PAINT && window) window->EndPaint(window->BeginPaint());
  return 0;
}

intptr_t vuCallWindowProc(vuWindowProc procedure, vuHostWindow* window, int message,
                          uintptr_t wParam, intptr_t lParam) {
  return (procedure ? procedure : vuDefWindowProc)(window, message, wParam, lParam);
}
