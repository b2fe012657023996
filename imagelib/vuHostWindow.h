// A window that a host program gives a plug-in: its size, an invalid state with paint messages,
// a device context, a window procedure that can be replaced (subclassing) and named properties.
//
// Contracts:
// - Messages go to the current window procedure; a replaced procedure keeps the previous one and
//   passes on what it does not handle (vuCallWindowProc).
// - Invalidate marks the whole window for painting (with or without erasing the background);
//   Update sends one paint message at once when the window is marked, none otherwise.
// - The default procedure paints nothing but validates the window, so a window without a
//   procedure of its own never asks for painting twice.
// - BeginPaint sends the erase message first when the invalidation asked for it (a procedure that
//   answers non-zero has erased), validates the window and gives the device context; EndPaint
//   releases it and tells the host (OnPainted) that a paint ended.
#pragma once

#include <cstdint>
#include <map>
#include <string>

class vuDeviceContext;

// Window messages (the Windows numbers).
enum vuWindowMessage : int {
  VU_WM_PAINT = 0x000F,
  VU_WM_ERASEBKGND = 0x0014,
  VU_WM_QUERYNEWPALETTE = 0x030F,
  VU_WM_PALETTECHANGED = 0x0311,
  VU_WM_LBUTTONDOWN = 0x0201,
  VU_WM_RBUTTONDOWN = 0x0204,
};

class vuHostWindow;
using vuWindowProc = intptr_t (*)(vuHostWindow* window, int message, uintptr_t wParam,
                                  intptr_t lParam);

class vuHostWindow {
public:
  vuHostWindow(int width, int height);
  virtual ~vuHostWindow() = default;
  vuHostWindow(const vuHostWindow&) = delete;
  vuHostWindow& operator=(const vuHostWindow&) = delete;

  // The client area, (0, 0, Width, Height).
  int Width() const { return width_; }
  int Height() const { return height_; }
  virtual void Resize(int width, int height);

  // The window procedure: SetWindowProc installs one and returns the one it replaces.
  vuWindowProc WindowProc() const { return procedure_; }
  vuWindowProc SetWindowProc(vuWindowProc procedure);
  // Delivers a message to the current procedure at once and returns its answer.
  intptr_t SendMessage(int message, uintptr_t wParam = 0, intptr_t lParam = 0);

  // Named properties: SetProp adds or replaces, RemoveProp takes one away and gives its value.
  void SetProp(const std::string& name, void* value);
  void* GetProp(const std::string& name) const;
  void* RemoveProp(const std::string& name);

  void Invalidate(bool erase);
  bool NeedsPaint() const { return invalid_; }
  void Update();

  // The window's device context, for drawing outside a paint message; null when the host has
  // none. Every GetDC is followed by ReleaseDC.
  virtual vuDeviceContext* GetDC() = 0;
  virtual void ReleaseDC(vuDeviceContext* dc) { (void)dc; }

  // Painting inside a paint message.
  vuDeviceContext* BeginPaint();
  void EndPaint(vuDeviceContext* dc);

protected:
  // Called after every EndPaint (a host shows or records the window then).
  virtual void OnPainted() {}

private:
  int width_;
  int height_;
  vuWindowProc procedure_;
  std::map<std::string, void*> properties_;
  bool invalid_ = false;
  bool erase_ = false;
};

// What the window does with messages no procedure handles.
intptr_t vuDefWindowProc(vuHostWindow* window, int message, uintptr_t wParam, intptr_t lParam);
// Passes a message to a procedure that was replaced (null: the default procedure).
intptr_t vuCallWindowProc(vuWindowProc procedure, vuHostWindow* window, int message,
                          uintptr_t wParam, intptr_t lParam);
