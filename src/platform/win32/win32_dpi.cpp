#include "platform/win32/win32_dpi.h"

namespace tavrel::platform {
namespace {

template <typename Function>
Function User32(const char* name) {
  // Through void(*)(), the one cast between function types that says it is meant.
  return reinterpret_cast<Function>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("user32.dll"), name)));
}

}  // namespace

UINT SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

UINT WindowDpi(HWND hwnd) {
  static const auto forWindow = User32<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
  const UINT dpi = forWindow != nullptr ? forWindow(hwnd) : 0;
  return dpi != 0 ? dpi : SystemDpi();
}

void AdjustForDpi(RECT& rect, DWORD style, UINT dpi) {
  static const auto adjust =
      User32<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
  if (adjust == nullptr || !adjust(&rect, style, FALSE, 0, dpi)) {
    AdjustWindowRectEx(&rect, style, FALSE, 0);
  }
}

int SystemMetricForDpi(int index, UINT dpi) {
  static const auto metric = User32<int(WINAPI*)(int, UINT)>("GetSystemMetricsForDpi");
  return metric != nullptr ? metric(index, dpi) : GetSystemMetrics(index);
}

}  // namespace tavrel::platform
