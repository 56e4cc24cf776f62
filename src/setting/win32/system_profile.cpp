// The proxy client setting on Windows: the system's own profile functions, in
// their ANSI forms.
#include "setting/system_profile.h"

#include <windows.h>

#include <cerrno>
#include <string>
#include <vector>

namespace tavrel::setting {

const char kPathSeparator = '\\';

const char* const kWindowsDirectoryRule = "win.ini is the one in the system's Windows directory.\n";

// The directory ends at the buffer's first NUL, whatever the call returns: a call that
// fails or does not fit leaves the buffer empty.
std::string SystemWindowsDirectory() {
  char buffer[256] = {};
  GetWindowsDirectoryA(buffer, sizeof buffer);
  return buffer;
}

bool WriteProfileValue(const std::string& section, const std::string& key, const std::string& value,
                       const std::string& file, ProfileReport* /*report*/) {
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != 0;
}

// GetPrivateProfileStringA delivers the default for any file it cannot open, as for a
// missing one. Only a missing file is one: a file there that cannot be opened for reading
// (a directory, one without read access, one locked) tells nothing.
ProfileString ReadProfileValue(const std::string& section, const std::string& key,
                               const std::string& fallback, std::size_t size,
                               const std::string& file, ProfileReport* report) {
  *report = {};
  const HANDLE opened = CreateFileA(file.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (opened != INVALID_HANDLE_VALUE) {
    CloseHandle(opened);
  } else if (const DWORD why = GetLastError(); why != ERROR_FILE_NOT_FOUND) {
    *report = {static_cast<int>(why), "system error", ""};
    return {};
  }
  std::vector<char> buffer(size + 1, '\0');
  const DWORD count =
      GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buffer.data(),
                               static_cast<DWORD>(size), file.c_str());
  return {count, buffer.data()};
}

// Neither is asked of Tavrel.exe, which takes no options.
std::string ProfileValueDiff(const std::string&, const std::string&, const std::string&,
                             const std::string&, ProfileReport* report) {
  *report = {ERROR_NOT_SUPPORTED, "not on Windows", ""};
  return "";
}

int ActAs(const std::string&) { return ENOSYS; }

std::string DecimalSeparator() {
  char buffer[8] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, sizeof buffer) == 0) return ".";
  return buffer;
}

}  // namespace tavrel::setting
