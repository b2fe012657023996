// The instance's window: subclassing, painting and the palette messages.
#include "imagelib/vuDrawing.h"
#include "imagelib/vuOSWinClass.h"
#include "plugin/PluginInstance.h"

namespace {
// The window property through which the window procedure finds its instance.
constexpr char kInstanceProperty[] = "TOVRA_PLUGIN";
} // namespace

intptr_t PluginWindowProc(vuHostWindow* window, int message, uintptr_t wParam, intptr_t lParam) {
  auto* self = static_cast<PluginInstance*>(window->GetProp(kInstanceProperty));
  if (!self) return vuDefWindowProc(window, message, wParam, lParam);
  return self->WindowProc(message, wParam, lParam);
}

void PluginInstance::SetWindow(vuHostWindow* newWindow) {
  if (!newWindow) return;
  // The first window stays in use: later calls only repaint it.
  if (!window) {
    window = newWindow;
    previousWindowProc = window->SetWindowProc(PluginWindowProc);
    window->SetProp(kInstanceProperty, this);
  }
  window->Invalidate(true);
  window->Update();
}

void PluginInstance::DetachWindow() {
  if (!window) return;
  window->RemoveProp(kInstanceProperty);
  window->SetWindowProc(previousWindowProc);
  window = nullptr;
  previousWindowProc = nullptr;
}

intptr_t PluginInstance::WindowProc(int message, uintptr_t wParam, intptr_t lParam) {
  switch (message) {
  case VU_WM_PAINT:
    Paint();
    return 1;
  case VU_WM_ERASEBKGND:
    return 1;
  case VU_WM_LBUTTONDOWN:
    // A click brings the picture's colours forward.
    RealizePalette(false);
    return 1;
  case VU_WM_RBUTTONDOWN:
    SaveDialog();
    return 1;
  case VU_WM_PALETTECHANGED:
    // wParam is the window that changed the palette.
    if (reinterpret_cast<vuHostWindow*>(wParam) == window) return 1;
    [[fallthrough]];
  case VU_WM_QUERYNEWPALETTE:
    if (palettePending != 1) RealizePalette(true);
    return 1;
  default:
    return vuCallWindowProc(previousWindowProc, window, message, wParam, lParam);
  }
}

void PluginInstance::Paint() {
  vuDeviceContext* dc = window->BeginPaint();
  if (started == 1 && image && dc) {
    if (palettePending != 1) vuDrawDibRealize(image->hDrawDib, dc, true);
    image->Draw(dc, window->Width(), window->Height(), VU_DDF_BACKGROUNDPAL);
  }
  window->EndPaint(dc);
}

void PluginInstance::Repaint() {
  if (!window) return;
  window->Invalidate(false);
  window->SendMessage(VU_WM_PAINT);
}

void PluginInstance::RealizePalette(bool background) {
  if (!window || !image) return;
  vuDeviceContext* dc = window->GetDC();
  if (!dc) return;
  const int changed = vuDrawDibRealize(image->hDrawDib, dc, background);
  window->ReleaseDC(dc);
  if (changed > 0) {
    window->Invalidate(false);
    window->Update();
  }
}
