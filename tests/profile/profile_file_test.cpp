#include "profile/posix/profile_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <set>
#include <utility>

#include "profile/posix/commit.h"
#include "profile/posix/fd.h"
#include "profile/posix/target.h"
#include "support/temp_dir.h"

namespace tavrel::profile {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

const char kSection[] = "Microsoft Proxy Service";
const std::string kOld = "[Microsoft Proxy Service]\r\nDisable=0\r\n";
const std::string kNew = "[Microsoft Proxy Service]\r\nDisable=1\r\n";
const std::string kOlder = "[Microsoft Proxy Service]\r\nDisable=00\r\n";
// The file a killed rewrite of kOlder to kNew left (the new bytes written, the file not yet
// cut to its new length), and beside the file at `path`, the journal of that rewrite.
const std::string kTorn = kNew + "\n";
void Journal(const std::string& path) {
  struct stat st {};
  stat(path.c_str(), &st);
  WriteBytes(fs::path(path).parent_path() / ".win.ini.tavrel-journal",
             "tavrel journal 2\n" + std::to_string(st.st_dev) + ' ' + std::to_string(st.st_ino) +
                 " 35 37 1\n1" + kOlder);
}

int Write(const std::string& path, const char* value = "1") {
  return WriteValue(path, kSection, "Disable", value).error;
}

// The value a read delivers, with `fallback` for an absent key, and its error number.
std::string Read(const std::string& path, const char* fallback, int* error) {
  std::string value;
  *error = ReadValue(path, kSection, "Disable", fallback, 50, &value).error;
  return value;
}

std::set<std::string> Listing(const TempDir& dir) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir.path()))
    names.insert(entry.path().filename());
  return names;
}

// The error number a write reports (named in the failure message), and the file after it;
// rules of whose rights apply are in walk_test.cpp, what other users can do in
// tests/hardening/threats.sh.
struct Case {
  const char* name;
  const char* path;
  std::function<void(const TempDir&)> arrange;
  int error;
  std::string after;  // win.ini's bytes afterwards; "" for none, or not a file
  friend void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }
};

class ProfileFileWrite : public testing::TestWithParam<Case> {};

// After every write the directory holds what it held, and win.ini if it was made.
TEST_P(ProfileFileWrite, ReportsTheFailingStep) {
  TempDir dir;
  GetParam().arrange(dir);
  std::set<std::string> listing = Listing(dir);
  EXPECT_EQ(Write(dir / GetParam().path), GetParam().error);
  EXPECT_EQ(
      fs::is_regular_file(fs::symlink_status(dir / "win.ini")) ? ReadBytes(dir / "win.ini") : "",
      GetParam().after);
  listing.erase(".win.ini.tavrel-journal");
  if (GetParam().error == 0) listing.insert("win.ini");
  EXPECT_EQ(Listing(dir), listing);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileFileWrite,
    testing::Values(
        Case{"other_length", "win.ini", [](const TempDir& d) { WriteBytes(d / "win.ini", kOlder); },
             0, kNew},
        Case{"own_link_followed", "link",
             [](const TempDir& d) { fs::create_symlink("win.ini", d / "link"); }, 0, kNew},
        Case{"refused_change", "win.ini",
             [](const TempDir& d) { WriteBytes(d / "win.ini", std::string("\xFF\xFE[", 3)); },
             EILSEQ, std::string("\xFF\xFE[", 3)},
        // A journal is restored only over a state its rewrite could have left.
        Case{"journal_of_a_torn_rewrite_restored", "win.ini",
             [](const TempDir& d) {
               WriteBytes(d / "win.ini", kTorn);
               Journal(d / "win.ini");
             },
             0, kNew},
        Case{"journal_older_than_an_edit_dropped", "win.ini",
             [](const TempDir& d) {
               WriteBytes(d / "win.ini", kOld + "edit=1\r\n");
               Journal(d / "win.ini");
             },
             0, kNew + "edit=1\r\n"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(ProfileFile, TooLargeIsRefused) {
  TempDir dir;
  WriteBytes(dir / "win.ini", kOld);
  fs::resize_file(dir / "win.ini", kMaxFileSize + 1);
  EXPECT_EQ(Write(dir / "win.ini"), EFBIG);
  int error = 0;
  EXPECT_EQ(Read(dir / "win.ini", "0", &error), "");
  EXPECT_EQ(error, EFBIG);
}

// A missing file in an existing directory is no error: the proxy client then reads nothing.
TEST(ProfileFile, ReadsOnlyRegularFiles) {
  TempDir dir;
  mkfifo((dir / "fifo").c_str(), 0666);
  fs::create_symlink("/dev/null", dir / "device");
  WriteBytes(dir / "file", kNew);
  const std::pair<std::string, int> refused[] = {
      {dir / "fifo", EINVAL}, {dir / "device", EINVAL},          {dir.path().string(), EISDIR},
      {dir / "missing", 0},   {dir / "missing/win.ini", ENOENT}, {dir / "file/win.ini", ENOTDIR}};
  for (const auto& [path, expected] : refused) {
    int error = -1;
    EXPECT_EQ(Read(path, "fallback", &error), "fallback") << path;
    EXPECT_EQ(error, expected) << path;
  }
  int error = -1;
  EXPECT_EQ(Read(dir / "file", "0", &error), "1");
  EXPECT_EQ(error, 0);
}

// What the walk saw is what is opened: a name swapped since for a link is never opened, nor
// is one swapped for a second name of a file of root's in a shared sticky directory
// (which the rules refuse) ever used.
TEST(ProfileFile, OpensOnlyWhatTheWalkSaw) {
  const std::pair<const char*, int> swaps[] = {{"link", EINVAL}, {"hard_link", kRefused}};
  for (const auto& row : swaps) {
    const std::string swap = row.first;
    const int error = row.second;
    TempDir dir;
    chmod(dir.path().c_str(), 01777);
    WriteBytes(dir / "win.ini", kOld);
    WriteBytes(dir / "elsewhere", kOld);
    const Fd watch(inotify_init1(IN_CLOEXEC));
    inotify_add_watch(watch.get(), (dir / "elsewhere").c_str(), IN_OPEN);
    Answer out;
    const auto swapAndOpen = [&](const Place& place, Answer*) {
      fs::remove(dir / "win.ini");
      if (swap == "link") fs::create_symlink("elsewhere", dir / "win.ini");
      if (swap == "hard_link") fs::create_hard_link(dir / "elsewhere", dir / "win.ini");
      Target file;
      return OpenTarget(place, O_RDWR, &file);
    };
    EXPECT_EQ(WithRights(dir / "win.ini", Deadline::FromNow(), std::nullopt, swapAndOpen, &out),
              error)
        << swap;
    pollfd opened{watch.get(), POLLIN, 0};
    if (error == EINVAL) {
      EXPECT_EQ(poll(&opened, 1, 0), 0) << "the link was followed";
    }
  }
}

// Without a lease, each way of writing checks just before it writes that the file is still
// as it was read: another writer's change in between is never overwritten or mixed in.
TEST(ProfileFile, WritesWithoutALeaseCheckTheFileIsAsRead) {
  using Commit = int (*)(Target&, std::string_view, const Splice&);
  const std::pair<Commit, std::string> commits[] = {
      {Overwrite, kOld}, {Replace, kOlder}, {RewriteInPlace, kOlder}};
  for (const auto& row : commits) {
    const Commit commit = row.first;
    const std::string& before = row.second;
    TempDir dir;
    WriteBytes(dir / "win.ini", before);
    const std::string theirs = "[Theirs]\r\n" + before;
    Answer out;
    const auto readChangeWrite = [&](const Place& place, Answer*) {
      Target file;
      FileBytes bytes;
      int result = OpenTarget(place, O_RDWR, &file);
      file.leased = fcntl(file.fd.get(), F_SETLEASE, F_UNLCK) != 0;
      if (result == 0) result = ReadTarget(&file, &bytes);
      WriteBytes(dir / "win.ini", theirs);
      if (result == 0)
        result = commit(file, bytes, SetProfileString(bytes, kSection, "Disable", "1"));
      return result;
    };
    EXPECT_EQ(WithRights(dir / "win.ini", Deadline::FromNow(), std::nullopt, readChangeWrite, &out),
              kChangedWhileRead)
        << before;
    EXPECT_EQ(ReadBytes(dir / "win.ini"), theirs) << before;
    EXPECT_EQ(Listing(dir), std::set<std::string>{"win.ini"}) << before;
  }
}

}  // namespace
}  // namespace tavrel::profile
