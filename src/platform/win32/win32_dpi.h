// Per-monitor DPI where Windows offers it (Windows 10 and later), the system DPI
// elsewhere.
#pragma once

#include <windows.h>

namespace tavrel::platform {

UINT SystemDpi();
UINT WindowDpi(HWND hwnd);
void AdjustForDpi(RECT& rect, DWORD style, UINT dpi);
int SystemMetricForDpi(int index, UINT dpi);

}  // namespace tavrel::platform
