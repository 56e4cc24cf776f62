// A Windows directory reported as a drive root: makes the program's own call of
// GetWindowsDirectoryA answer "C:\" and checks that the key is then reached at
// "C:\\win.ini", the backslash appended unconditionally, and written and read there.
#include <windows.h>

#include <cstdio>
#include <string>

#include "setting/dirs.h"
#include "setting/ini.h"

using GetWindowsDirectoryFn = UINT(WINAPI*)(LPSTR, UINT);
extern "C" GetWindowsDirectoryFn __imp_GetWindowsDirectoryA;  // the import table's slot

namespace {

UINT WINAPI DriveRoot(LPSTR buffer, UINT size) {
  lstrcpynA(buffer, "C:\\", static_cast<int>(size));
  return 3;
}

int failed = 0, passed = 0;

void Check(bool ok, const char* what) {
  std::printf("%s %s\n", ok ? "ok  " : "FAIL", what);
  (ok ? passed : failed) += 1;
}

}  // namespace

int main() {
  DWORD old = 0;
  VirtualProtect(&__imp_GetWindowsDirectoryA, sizeof(void*), PAGE_READWRITE, &old);
  __imp_GetWindowsDirectoryA = DriveRoot;

  using namespace tavrel::setting;
  IniPath = WindowsDir() + "win.ini";
  Check(IniPath == "C:\\\\win.ini", "IniPath has two backslashes before win.ini");
  ProfileReport report;
  Check(WriteDisableSetting("1", &report), "the write succeeds");
  Check(ReadProxyClientState() == ProxyClientState::Disabled, "the read gives Disabled");
  char value[50] = {};
  GetPrivateProfileStringA("Microsoft Proxy Service", "Disable", "", value, 50, "C:\\win.ini");
  Check(std::string(value) == "1", "C:\\win.ini holds Disable=1");
  Check(WriteDisableSetting("0", &report) && ReadProxyClientState() == ProxyClientState::Enabled,
        "and switches back");
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
