#include "profile/posix/profile_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <utility>

#include "support/temp_dir.h"

namespace tavrel::profile {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::WriteBytes;

const std::string kNew = "[Microsoft Proxy Service]\r\nDisable=1\r\n";

// The error number a write reports (named in the failure message), and the file after it;
// privilege and metadata cases are in tests/hardening/threats.sh.
struct Case {
  const char* name;
  const char* path;
  std::function<void(const TempDir&)> arrange;
  int error;
  std::string after;  // win.ini's bytes afterwards; "" for none, or not a file
  friend void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }
};

class ProfileFileWrite : public testing::TestWithParam<Case> {};

TEST_P(ProfileFileWrite, ReportsTheFailingStep) {
  TempDir dir;
  GetParam().arrange(dir);
  EXPECT_EQ(UpdateFile(dir / GetParam().path,
                       [](std::string_view bytes) {
                         return SetProfileString(bytes, "Microsoft Proxy Service", "Disable", "1");
                       }),
            GetParam().error);
  int error = 0;
  EXPECT_EQ(ReadFileBytes(dir / "win.ini", &error).value_or(""), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileFileWrite,
    testing::Values(
        Case{"new_file", "win.ini", [](const TempDir&) {}, 0, kNew},
        Case{"own_link_followed", "link",
             [](const TempDir& d) { fs::create_symlink("win.ini", d / "link"); }, 0, kNew},
        Case{"missing_directory", "missing/win.ini", [](const TempDir&) {}, ENOENT, ""},
        Case{"directory", "win.ini", [](const TempDir& d) { fs::create_directory(d / "win.ini"); },
             EISDIR, ""},
        Case{"link_loop", "win.ini",
             [](const TempDir& d) {
               fs::create_symlink("a", d / "win.ini");
               fs::create_symlink("win.ini", d / "a");
             },
             ELOOP, ""},
        Case{"refused_change", "win.ini",
             [](const TempDir& d) { WriteBytes(d / "win.ini", std::string("\xFF\xFE[", 3)); },
             EILSEQ, std::string("\xFF\xFE[", 3)}),
    [](const auto& test) { return std::string(test.param.name); });

// A missing file in an existing directory is no error: the proxy client then reads nothing.
TEST(ProfileFile, ReadsOnlyRegularFiles) {
  TempDir dir;
  mkfifo((dir / "fifo").c_str(), 0666);
  WriteBytes(dir / "file", kNew);
  const std::pair<std::string, int> refused[] = {
      {dir / "fifo", EINVAL}, {dir.path().string(), EISDIR}, {dir / "missing", 0},
      {dir / "missing/win.ini", ENOENT}, {dir / "file/win.ini", ENOTDIR}};
  for (const auto& [path, expected] : refused) {
    int error = -1;
    EXPECT_FALSE(ReadFileBytes(path, &error)) << path;
    EXPECT_EQ(error, expected) << path;
  }
  int error = -1;
  EXPECT_EQ(ReadFileBytes(dir / "file", &error), kNew);
  EXPECT_EQ(error, 0);
}

}  // namespace
}  // namespace tavrel::profile
