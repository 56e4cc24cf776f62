#include "setting/dirs.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

#include <array>

namespace tavrel::setting {
namespace {

TEST(WindowsDir, ComesFromWindirElseTheWinePrefixElseTheHomeDirectory) {
  const std::string home = getenv("HOME") != nullptr ? getenv("HOME") : "";
  // Without HOME, the account's home directory, as Wine takes it.
  const std::string account = std::string(getpwuid(getuid())->pw_dir) + "/.wine/drive_c/windows/";
  const std::array<const char*, 3> names = {"WINDIR", "WINEPREFIX", "HOME"};
  const std::pair<std::array<const char*, 3>, std::string> cases[] = {
      {{"/w", "/p", "/h"}, "/w/"},
      {{"/", nullptr, nullptr}, "/"},  // trailing slashes go: the root is the empty path
      {{"/w//", nullptr, nullptr}, "/w/"},
      {{nullptr, "/p/", "/h"}, "/p/drive_c/windows/"},
      {{"", "/p", "/h"}, "/p/drive_c/windows/"},
      {{nullptr, nullptr, "/h"}, "/h/.wine/drive_c/windows/"},
      {{nullptr, "", "/h"}, "/h/.wine/drive_c/windows/"},
      {{nullptr, nullptr, nullptr}, account},
      {{nullptr, "", ""}, account},
  };
  for (const auto& [values, expected] : cases) {
    for (std::size_t i = 0; i < names.size(); ++i) {
      values[i] != nullptr ? setenv(names[i], values[i], 1) : unsetenv(names[i]);
    }
    EXPECT_EQ(WindowsDir(), expected);
  }
  for (const char* name : names) unsetenv(name);
  setenv("HOME", home.c_str(), 1);
}

}  // namespace
}  // namespace tavrel::setting
