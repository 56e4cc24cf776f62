// Whose rights the walk chooses, one row per rule, on real directories and links of root,
// nobody (65534) and daemon (1), in the manner of systemd's test-chase.c. Root only.
#include "profile/posix/walk.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "support/temp_dir.h"

namespace tavrel::profile {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

constexpr uid_t kNobody = 65534;
constexpr uid_t kDaemon = 1;
constexpr gid_t kNogroup = 65534;  // nobody's group, which holds other accounts too

struct Row {
  const char* name;
  const char* path;
  std::function<void(const TempDir&)> arrange;
  int error;
  std::string identity;  // "uid", or "uid gid groups" where those matter
  friend void PrintTo(const Row& r, std::ostream* os) { *os << r.name; }
};

void Own(const std::string& path, uid_t uid, gid_t gid = static_cast<gid_t>(-1)) {
  ASSERT_EQ(lchown(path.c_str(), uid, gid), 0) << path;
}
void Dir(const std::string& path, uid_t uid, mode_t mode = 0755) {
  fs::create_directory(path);
  Own(path, uid);
  chmod(path.c_str(), mode);
}
void File(const std::string& path, uid_t uid) {
  test::WriteBytes(path, "");
  Own(path, uid);
}
void Link(const std::string& target, const std::string& path, uid_t uid) {
  fs::create_symlink(target, path);
  Own(path, uid);
}

class Walk : public testing::TestWithParam<Row> {};

TEST_P(Walk, ChoosesWhoseRightsApply) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root";
  TempDir dir;
  chmod(dir.path().c_str(), 0755);
  GetParam().arrange(dir);
  Answer out;
  const std::string path = GetParam().path;  // one starting with "." is left relative
  const int error = WithRights(
      path[0] == '.' ? path : dir / path, Deadline::FromNow(), std::nullopt,
      [](const Place&, Answer* who) {
        who->out = std::to_string(geteuid()) + ' ' + std::to_string(getegid()) + ' ' +
                   std::to_string(getgroups(0, nullptr));
        return 0;
      },
      &out);
  chdir("/");
  EXPECT_EQ(error, GetParam().error);
  const bool whole = GetParam().identity.find(' ') != std::string::npos;
  EXPECT_EQ(whole ? out.out : out.out.substr(0, out.out.find(' ')), GetParam().identity);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Walk,
    testing::Values(Row{"roots_directories_keep_root", "w/win.ini",
                        [](auto& d) { Dir(d / "w", 0); }, 0, "0"},
                    Row{"a_users_directory_is_theirs", "w/win.ini",
                        [](auto& d) { Dir(d / "w", kNobody); }, 0, "65534"},
                    // Root's convenience link does not hide whose directory it leads to.
                    Row{"roots_link_to_a_users_directory", "link/win.ini",
                        [](auto& d) {
                          Dir(d / "w", kNobody);
                          Link(d / "w", d / "link", 0);
                        },
                        0, "65534"},
                    Row{"a_users_link_in_roots_own_directory", "win.ini",
                        [](auto& d) {
                          File(d / "secret", 0);
                          Link("secret", d / "win.ini", kNobody);
                        },
                        0, "65534"},
                    Row{"a_users_link_in_roots_sticky_directory", "s/win.ini",
                        [](auto& d) {
                          Dir(d / "s", 0, 01777);
                          File(d / "secret", 0);
                          Link("../secret", d / "s/win.ini", kNobody);
                        },
                        0, "65534"},
                    Row{"a_users_file_in_roots_sticky_directory", "s/win.ini",
                        [](auto& d) {
                          Dir(d / "s", 0, 01777);
                          File(d / "s/win.ini", kNobody);
                        },
                        0, "65534"},
                    Row{"a_users_file_root_put_in_its_own_directory", "win.ini",
                        [](auto& d) { File(d / "win.ini", kNobody); }, 0, "0"},
                    Row{"roots_file_where_a_group_may_move_names", "g/win.ini",
                        [](auto& d) {
                          Dir(d / "g", 0, 0775);
                          Own(d / "g", 0, kDaemon);
                          File(d / "g/win.ini", 0);
                        },
                        kRefused, ""},
                    Row{"roots_file_where_an_acl_entry_may_move_names", "a/win.ini",
                        [](auto& d) {
                          Dir(d / "a", 0);
                          ASSERT_EQ(std::system(("setfacl -m u:nobody:rwx " + d / "a").c_str()), 0);
                          File(d / "a/win.ini", 0);
                        },
                        kRefused, ""},
                    Row{"a_missing_name_where_everyone_may_move_names", "g/win.ini",
                        [](auto& d) { Dir(d / "g", 0, 0777); }, kRefused, ""},
                    // Where others may move names, a user's entry says nothing of who put it.
                    Row{"a_users_file_where_a_group_may_move_names", "g/win.ini",
                        [](auto& d) {
                          Dir(d / "g", 0, 02775);
                          Own(d / "g", 0, kNogroup);
                          File(d / "g/win.ini", kDaemon);
                        },
                        kRefused, ""},
                    Row{"a_users_link_where_everyone_may_move_names", "g/win.ini",
                        [](auto& d) {
                          Dir(d / "g", 0, 0777);
                          Link("/", d / "g/win.ini", kNobody);
                        },
                        kRefused, ""},
                    // One level down: another user may rename the owner's own link in.
                    Row{"a_users_own_link_where_everyone_may_move_names", "n/win.ini",
                        [](auto& d) {
                          Dir(d / "n", kNobody, 0777);
                          Link("/", d / "n/win.ini", kNobody);
                        },
                        kRefused, ""},
                    // A group of the owner alone shares nothing.
                    Row{"a_private_group_may_write", "p/win.ini",
                        [](auto& d) {
                          Dir(d / "p", 0, 0775);
                          File(d / "p/win.ini", 0);
                        },
                        0, "0"},
                    Row{"a_second_name_of_roots_file_in_a_sticky_directory", "s/win.ini",
                        [](auto& d) {
                          Dir(d / "s", 0, 01777);
                          File(d / "secret", 0);
                          fs::create_hard_link(d / "secret", d / "s/win.ini");
                        },
                        kRefused, ""},
                    Row{"a_users_link_into_another_users_directory", "n/w/win.ini",
                        [](auto& d) {
                          Dir(d / "n", kNobody);
                          Dir(d / "b", kDaemon);
                          Link(d / "b", d / "n/w", kNobody);
                        },
                        kRefused, ""},
                    // Root's link through a user's directory: the rest is walked as that user.
                    Row{"roots_link_through_a_users_directory", "win.ini",
                        [](auto& d) {
                          Dir(d / "h", kNobody);
                          Link(d.path().string(), d / "h/a", kNobody);
                          File(d / "secret", 0);
                          Link(d / "h/a/secret", d / "win.ini", 0);
                        },
                        0, "65534"},
                    Row{"a_uid_without_an_account_has_no_groups", "x/win.ini",
                        [](auto& d) {
                          Dir(d / "x", 4242);
                          Own(d / "x", 4242, 50);
                        },
                        0, "4242 65534 0"},
                    // Root, left in a user's working directory, forks there and goes no further.
                    Row{"a_users_working_directory", "./win.ini",
                        [](auto& d) {
                          Dir(d / "w", kNobody);
                          chdir((d / "w").c_str());
                        },
                        0, "65534"},
                    Row{"a_link_loop", "a",
                        [](auto& d) {
                          Link("b", d / "a", 0);
                          Link("a", d / "b", 0);
                        },
                        ELOOP, ""}),
    [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace tavrel::profile
