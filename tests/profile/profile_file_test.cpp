#include "profile/posix/profile_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "support/temp_dir.h"

namespace tavrel::profile {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

const std::string kOld = "[Microsoft Proxy Service]\r\nDisable=0\r\n";
const std::string kNew = "[Microsoft Proxy Service]\r\nDisable=1\r\n";

bool SetDisable(const std::string& path) {
  return UpdateFile(path, [](std::string_view bytes) {
           return SetProfileString(bytes, "Microsoft Proxy Service", "Disable", "1");
         }) == 0;
}

// Runs the write in a child process as an unprivileged user, since permission bits do
// not stop root.
bool SetDisableAsNobody(const std::string& path) {
  const pid_t child = fork();
  if (child == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
    _exit(SetDisable(path) ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) <= 1) << "child failed: " << status;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void OpenToNobody(const fs::path& dir) {
  fs::permissions(dir, fs::perms::all, fs::perm_options::replace);
}

TEST(ProfileFile, CreatesAMissingFileButNeverTheDirectory) {
  TempDir dir;
  EXPECT_TRUE(SetDisable(dir / "win.ini"));
  EXPECT_EQ(ReadBytes(dir / "win.ini"), kNew);
  EXPECT_FALSE(SetDisable(dir / "missing/win.ini"));
  EXPECT_FALSE(fs::exists(dir / "missing"));
}

TEST(ProfileFile, KeepsPermissionBitsAndLeavesNoTemporaryFile) {
  TempDir dir;
  WriteBytes(dir / "win.ini", kOld);
  chmod((dir / "win.ini").c_str(), 0640);
  ASSERT_TRUE(SetDisable(dir / "win.ini"));
  EXPECT_EQ(ReadBytes(dir / "win.ini"), kNew);
  EXPECT_EQ(fs::status(dir / "win.ini").permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(ProfileFile, WritingTheStoredValueDoesNotRewrite) {
  TempDir dir;
  WriteBytes(dir / "win.ini", kNew);
  struct stat before {};
  stat((dir / "win.ini").c_str(), &before);
  ASSERT_TRUE(SetDisable(dir / "win.ini"));
  struct stat after {};
  stat((dir / "win.ini").c_str(), &after);
  EXPECT_EQ(before.st_ino, after.st_ino);
}

TEST(ProfileFile, ReplacesTheTargetOfASymbolicLink) {
  TempDir dir;
  fs::create_directory(dir / "real");
  WriteBytes(dir / "real/win.ini", kOld);
  fs::create_symlink("real/win.ini", dir / "win.ini");
  ASSERT_TRUE(SetDisable(dir / "win.ini"));
  EXPECT_TRUE(fs::is_symlink(dir / "win.ini"));
  EXPECT_EQ(ReadBytes(dir / "real/win.ini"), kNew);
}

TEST(ProfileFile, RemovesTemporariesOfAKilledWriter) {
  TempDir dir;
  WriteBytes(dir / "win.ini", kOld);
  WriteBytes(dir / ".win.ini.tavrel-99999", "half a file");
  ASSERT_TRUE(SetDisable(dir / "win.ini"));
  EXPECT_FALSE(fs::exists(dir / ".win.ini.tavrel-99999"));
}

// Each case leaves whatever stands at win.ini exactly as it was.
struct Refusal {
  const char* name;
  std::function<void(const TempDir&)> arrange;
  bool asNobody;
  friend void PrintTo(const Refusal& c, std::ostream* os) { *os << c.name; }
};

class ProfileFileRefuses : public testing::TestWithParam<Refusal> {};

TEST_P(ProfileFileRefuses, AndTouchesNothing) {
  TempDir dir;
  OpenToNobody(dir.path());
  GetParam().arrange(dir);
  const auto entries = [&] {
    std::string all;
    for (const auto& e : fs::directory_iterator(dir.path())) {
      all +=
          e.path().filename().string() +
          (fs::is_regular_file(fs::symlink_status(e.path())) ? ReadBytes(e.path().string()) : "") +
          "|";
    }
    return all;
  };
  const std::string before = entries();
  const std::string path = dir / "win.ini";
  EXPECT_FALSE(GetParam().asNobody ? SetDisableAsNobody(path) : SetDisable(path));
  EXPECT_EQ(entries(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileFileRefuses,
    testing::Values(
        Refusal{"directory", [](const TempDir& d) { fs::create_directory(d / "win.ini"); }, false},
        Refusal{"fifo", [](const TempDir& d) { mkfifo((d / "win.ini").c_str(), 0666); }, false},
        Refusal{"link_loop",
                [](const TempDir& d) {
                  fs::create_symlink("a", d / "win.ini");
                  fs::create_symlink("win.ini", d / "a");
                },
                false},
        Refusal{"odd_utf16", [](const TempDir& d) { WriteBytes(d / "win.ini", "\xFF\xFE[\0"); },
                false},
        Refusal{"read_only_file",
                [](const TempDir& d) {
                  WriteBytes(d / "win.ini", kOld);
                  chmod((d / "win.ini").c_str(), 0444);
                },
                true},
        Refusal{"read_only_directory",
                [](const TempDir& d) {
                  WriteBytes(d / "win.ini", kOld);
                  chmod((d / "win.ini").c_str(), 0666);
                  chmod(d.path().c_str(), 0555);
                },
                true},
        Refusal{"read_only_directory_new_file",
                [](const TempDir& d) { chmod(d.path().c_str(), 0555); }, true}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(ProfileFile, ReadsOnlyRegularFiles) {
  TempDir dir;
  mkfifo((dir / "fifo").c_str(), 0666);
  fs::create_directory(dir / "dir");
  WriteBytes(dir / "file", kOld);
  EXPECT_FALSE(ReadFileBytes(dir / "fifo"));
  EXPECT_FALSE(ReadFileBytes(dir / "dir"));
  EXPECT_FALSE(ReadFileBytes(dir / "missing"));
  EXPECT_EQ(ReadFileBytes(dir / "file"), kOld);
}

}  // namespace
}  // namespace tavrel::profile
