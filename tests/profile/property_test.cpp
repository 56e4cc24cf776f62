// Root's write does no more than the path's users could: on random trees of directories,
// files and links of root, nobody, daemon and a uid without an account, whenever root's
// run changes or creates a file, every user who could have placed or replaced a name on
// the path could have changed or created that file by hand; and a run that fails changes
// nothing. Root only.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <set>

#include "profile/posix/as_user.h"
#include "profile/posix/profile_file.h"
#include "support/temp_dir.h"

namespace tavrel::profile {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

const uid_t kUsers[] = {0, 65534, 1, 4242};
const gid_t kGroups[] = {0, 1, 50, 65534};  // root's and daemon's own, an empty one, a shared one
const mode_t kDirModes[] = {0755, 0755, 0755, 0775, 0777, 01777, 0700, 02775, 0711, 01770};
const mode_t kFileModes[] = {0644, 0600, 0666, 0664};

// Whether `test` holds for `uid`, asked in a child that has become that user.
bool As(uid_t uid, const std::function<bool()>& test) {
  const pid_t child = fork();
  if (child == 0) _exit(BecomeUser(uid) == 0 && test() ? 0 : 1);
  int status = 1;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class Tree {
 public:
  explicit Tree(unsigned seed) : rng_(seed) {}

  void Build(const TempDir& base) {
    chmod(base.path().c_str(), 0755);
    for (const char* d : {"d0", "d1", "d2"}) {
      Node(base / d, 'd');
      Node(base / d + "/f", 'f');
    }
    Node(base / "secret", 'f');
    // Relative targets lead from base's children to base's other children.
    const std::string dirs[] = {base / "d0", base / "d1", "../d2"};
    const std::string fromBase = Pick(dirs);
    Node(base / "p", Kind("ddl"), fromBase[0] == '.' ? fromBase.substr(3) : fromBase);
    const std::string p = base / "p";
    Node(p + "/q", Kind("dll"), Pick(dirs));
    const std::string files[] = {base / "secret", base / "d0/f", "../d1/f", "../secret"};
    Node(p + "/q/win.ini", Kind("fffllhx"), Pick(files));
  }

 private:
  template <class T, std::size_t N>
  T Pick(const T (&from)[N]) {
    return from[std::uniform_int_distribution<std::size_t>(0, N - 1)(rng_)];
  }
  char Kind(const std::string& kinds) {
    return kinds[std::uniform_int_distribution<std::size_t>(0, kinds.size() - 1)(rng_)];
  }

  // A directory (d), file (f), symbolic link (l), hard link (h) or nothing (x) at `path`.
  void Node(const std::string& path, char kind, const std::string& target = "") {
    const uid_t uid = Pick(kUsers);
    const gid_t gid = Pick(kGroups);
    const mode_t mode = kind == 'd' ? Pick(kDirModes) : Pick(kFileModes);
    if (kind == 'x' || fs::exists(fs::symlink_status(path)) ||
        !fs::is_directory(fs::path(path).parent_path()))
      return;
    if (kind == 'd') fs::create_directory(path);
    if (kind == 'f') test::WriteBytes(path, Pick(kContents));
    if (kind == 'l') fs::create_symlink(target, path);
    if (kind == 'h') {
      const std::string from = fs::path(path).parent_path() / target;
      link(from.c_str(), path.c_str());
      return;
    }
    lchown(path.c_str(), uid, gid);
    if (kind != 'l' && kind != 'h') chmod(path.c_str(), mode);
  }

  static constexpr const char* kContents[] = {"[Microsoft Proxy Service]\r\nDisable=0\r\n",
                                              "[Microsoft Proxy Service]\r\nDisable=00\r\n",
                                              "x=1\n"};
  std::mt19937 rng_;
};

// Every regular file below `dir` by inode, with its bytes; and every name.
struct Snapshot {
  std::map<ino_t, std::string> files;
  std::map<ino_t, std::string> paths;
  std::set<std::string> names;
};

Snapshot Take(const fs::path& dir) {
  Snapshot s;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    s.names.insert(entry.path());
    struct stat st {};
    if (lstat(entry.path().c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
      s.files[st.st_ino] = test::ReadBytes(entry.path());
      s.paths[st.st_ino] = entry.path();
    }
  }
  return s;
}

// The users who could have placed or replaced a name on the way to `path`: a directory's
// owner, anyone who may write it, or in a sticky one the entry's owner (or, for a missing
// name, anyone who may write it), each only where they can reach the directory.
std::set<uid_t> Placers(const std::string& base, std::string rest) {
  std::set<uid_t> placers;
  std::string dir = base;
  for (int links = 0; !rest.empty() && links < 40;) {
    const std::size_t slash = rest.find('/');
    const std::string name = rest.substr(0, slash);
    rest = slash == std::string::npos ? "" : rest.substr(slash + 1);
    struct stat d {};
    struct stat e {};
    lstat(dir.c_str(), &d);
    const bool exists = lstat((dir + "/" + name).c_str(), &e) == 0;
    for (const uid_t uid : kUsers) {
      const bool sticky = (d.st_mode & S_ISVTX) != 0;
      if (uid != 0 && As(uid, [&] { return access(dir.c_str(), X_OK) == 0; }) &&
          (d.st_uid == uid || ((!sticky || !exists || e.st_uid == uid) &&
                               As(uid, [&] { return access(dir.c_str(), W_OK) == 0; })))) {
        placers.insert(uid);
      }
    }
    if (!exists) break;
    if (S_ISLNK(e.st_mode)) {
      ++links;
      const std::string target = fs::read_symlink(dir + "/" + name);
      rest = target + (rest.empty() ? "" : "/" + rest);
      if (target[0] == '/') dir = "/";
      continue;
    }
    dir = fs::path(dir) / name;
  }
  return placers;
}

TEST(WritePath, RootDoesNoMoreThanThePathsUsersCould) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root";
  for (unsigned seed = 1; seed <= 200; ++seed) {
    TempDir base;
    Tree tree(seed);
    tree.Build(base);
    const Snapshot before = Take(base.path());
    const int result =
        WriteValue(base / "p/q/win.ini", "Microsoft Proxy Service", "Disable", "1").error;
    const Snapshot after = Take(base.path());
    std::set<ino_t> changed;
    for (const auto& [ino, bytes] : after.files) {
      const auto was = before.files.find(ino);
      if (was == before.files.end() || was->second != bytes) changed.insert(ino);
    }
    const std::string what = "seed " + std::to_string(seed) + ", status " + std::to_string(result);
    if (result != 0) {
      EXPECT_TRUE(changed.empty() && after.names == before.names) << what;
      continue;
    }
    ASSERT_LE(changed.size(), 1u) << what;
    for (const ino_t ino : changed) {
      const std::string file = after.paths.at(ino);
      const bool made = before.files.count(ino) == 0;
      for (const uid_t uid : Placers(base.path(), "p/q/win.ini")) {
        EXPECT_TRUE(As(uid,
                       [&] {
                         return made
                                    ? access(fs::path(file).parent_path().c_str(), W_OK | X_OK) == 0
                                    : access(file.c_str(), W_OK) == 0;
                       }))
            << "uid " << uid << " could not write " << file << "; " << what;
      }
    }
  }
}

}  // namespace
}  // namespace tavrel::profile
