#include <windows.h>

#include "control/startup.h"
#include "platform/win32/win32_runtime.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  tavrel::platform::Win32Runtime runtime(instance);
  return tavrel::control::Run(runtime);
}
