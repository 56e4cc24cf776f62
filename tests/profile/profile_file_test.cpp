#include "profile/posix/profile_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <functional>

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
  EXPECT_EQ(ReadFileBytes(dir / "win.ini").value_or(""), GetParam().after);
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

TEST(ProfileFile, ReadsOnlyRegularFiles) {
  TempDir dir;
  mkfifo((dir / "fifo").c_str(), 0666);
  WriteBytes(dir / "file", kNew);
  EXPECT_FALSE(ReadFileBytes(dir / "fifo"));
  EXPECT_FALSE(ReadFileBytes(dir.path().string()));
  EXPECT_FALSE(ReadFileBytes(dir / "missing"));
  EXPECT_EQ(ReadFileBytes(dir / "file"), kNew);
}

}  // namespace
}  // namespace tavrel::profile
