#include "setting/dirs.h"

#include <gtest/gtest.h>
#include <stdlib.h>

namespace tavrel::setting {
namespace {

struct DirCase {
  const char* windir;
  const char* wineprefix;
  const char* home;
  const char* expected;
};

void Set(const char* name, const char* value) {
  if (value != nullptr) {
    setenv(name, value, 1);
  } else {
    unsetenv(name);
  }
}

TEST(WindowsDir, ComesFromWindirElseTheWinePrefix) {
  const char* saved = getenv("HOME");
  const std::string home = saved != nullptr ? saved : "";
  const DirCase cases[] = {
      {"/w", "/p", "/h", "/w/"},
      {"/w/", nullptr, nullptr, "/w//"},
      {"/", nullptr, nullptr, "//"},  // a root directory still gets its separator
      {"", "/p", "/h", "/p/drive_c/windows/"},
      {nullptr, nullptr, "/h", "/h/.wine/drive_c/windows/"},
      {nullptr, "", "/h", "/h/.wine/drive_c/windows/"},
      {nullptr, nullptr, nullptr, "/"},
      {"/a dir/Wïndows", nullptr, nullptr, "/a dir/Wïndows/"},
  };
  for (const DirCase& c : cases) {
    Set("WINDIR", c.windir);
    Set("WINEPREFIX", c.wineprefix);
    Set("HOME", c.home);
    EXPECT_EQ(WindowsDir(), c.expected);
  }
  unsetenv("WINDIR");
  unsetenv("WINEPREFIX");
  setenv("HOME", home.c_str(), 1);
}

}  // namespace
}  // namespace tavrel::setting
