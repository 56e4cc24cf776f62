// Root's write does no more than the path's users could: on random trees of directories,
// files and links of root, nobody, daemon, mal and a uid without an account, with random
// modes, groups and ACLs, under random account and group databases (groups named after
// users or not, members, a second line for a gid, accounts whose own group it is),
// whenever root's run changes or creates a file, every user who could have placed or
// replaced a name on the path could have changed or created that file by hand; and a run
// that fails changes nothing. And root replays a journal only where nobody else could have
// written or placed it. Root only; each test in a mount namespace of its own, where the
// databases are bind-mounted over /etc/passwd and /etc/group.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
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

const uid_t kUsers[] = {0, 65534, 1, 1500, 4242};
const gid_t kGroups[] = {0, 1, 50, 65534, 1500};
const char* const kMembers[] = {"daemon", "nobody", "mal"};
const mode_t kDirModes[] = {0755, 0755, 0775, 0775, 0777, 01777, 0700, 02775, 0711, 01770};
const mode_t kFileModes[] = {0644, 0600, 0666, 0664};

// Whether `test` holds for `uid`, asked in a child that has become that user.
bool As(uid_t uid, const std::function<bool()>& test) {
  const pid_t child = fork();
  if (child == 0) _exit(BecomeUser(uid) == 0 && test() ? 0 : 1);
  int status = 1;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

template <class T, std::size_t N>
T Pick(std::mt19937& rng, const T (&from)[N]) {
  return from[std::uniform_int_distribution<std::size_t>(0, N - 1)(rng)];
}
bool Chance(std::mt19937& rng, double p) { return std::bernoulli_distribution(p)(rng); }

// Account and group databases of the test's own, over the system's while it lives.
class Databases {
 public:
  Databases() {
    if (unshare(CLONE_NEWNS) != 0 ||
        mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
      return;
    for (const char* file : {"passwd", "group"}) {
      test::WriteBytes(dir_ / file, "");
      mounted_ = mount((dir_ / file).c_str(), (std::string("/etc/") + file).c_str(), nullptr,
                       MS_BIND, nullptr) == 0;
    }
  }
  Databases(const Databases&) = delete;
  Databases& operator=(const Databases&) = delete;
  ~Databases() {
    umount("/etc/passwd");
    umount("/etc/group");
  }
  bool mounted() const { return mounted_; }

  // The own group of the account `uid` (as it was last randomized), or its number.
  gid_t PrimaryOf(uid_t uid) const { return primary_.count(uid) != 0 ? primary_.at(uid) : uid; }

  // Each account's own group, and each group's lines, at random.
  void Randomize(std::mt19937& rng) {
    const gid_t daemons[] = {1, 1, 50, 1500, 65534};
    const gid_t nobodys[] = {65534, 65534, 1500, 1};
    const gid_t mals[] = {1500, 1500, 1, 50};
    primary_ = {
        {0, 0}, {1, Pick(rng, daemons)}, {65534, Pick(rng, nobodys)}, {1500, Pick(rng, mals)}};
    Write("passwd", "root:x:0:0::/root:/bin/sh\ndaemon:x:1:" + std::to_string(primary_[1]) +
                        "::/:/bin/sh\nnobody:x:65534:" + std::to_string(primary_[65534]) +
                        "::/:/bin/sh\nmal:x:1500:" + std::to_string(primary_[1500]) +
                        "::/:/bin/sh\n");
    const char* const names[] = {"root", "daemon", "nobody", "mal", "staff", "nogroup"};
    // Mostly, a group is named after the account of the same number, as private groups are.
    const std::map<gid_t, const char*> own = {
        {0, "root"}, {1, "daemon"}, {65534, "nobody"}, {1500, "mal"}};
    std::string groups;
    for (const gid_t gid : kGroups) {
      for (int line = 0; line < (Chance(rng, 0.3) ? 2 : 1); ++line) {
        std::string members;
        for (const char* member : kMembers) {
          if (Chance(rng, 0.15)) members += (members.empty() ? "" : ",") + std::string(member);
        }
        const char* name =
            line == 0 && own.count(gid) != 0 && Chance(rng, 0.7) ? own.at(gid) : Pick(rng, names);
        groups += std::string(name) + ":x:" + std::to_string(gid) + ":" + members + "\n";
      }
    }
    Write("group", groups);
  }

 private:
  void Write(const char* file, const std::string& text) { test::WriteBytes(dir_ / file, text); }

  TempDir dir_;
  bool mounted_ = false;
  std::map<uid_t, gid_t> primary_;
};

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

  // Two directories that a group may write, mostly their owner's own group, and win.ini.
  void BuildGroupDirectories(const TempDir& base, const Databases& databases) {
    chmod(base.path().c_str(), 0755);
    for (const std::string& dir : {base / "p", base / "p/q"}) {
      Node(dir, 'd');
      const uid_t owner = Pick(kUsers);
      const mode_t modes[] = {0775, 02775, 0770, 0755};
      lchown(dir.c_str(), owner, Chance(rng_, 0.7) ? databases.PrimaryOf(owner) : Pick(kGroups));
      chmod(dir.c_str(), Pick(modes));
    }
    Node(base / "p/q/win.ini", Kind("ffx"));
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
    // Half of them in their owner's own group, which may or may not be private.
    const gid_t gid = Chance(rng_, 0.5) ? static_cast<gid_t>(uid) : Pick(kGroups);
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
    // Now and then an ACL entry that lets a user or a group write the directory too.
    if (kind == 'd' && Chance(rng_, 0.2)) {
      const std::string entry = Chance(rng_, 0.5) ? "u:" + std::to_string(Pick(kUsers))
                                                  : "g:" + std::to_string(Pick(kGroups));
      EXPECT_EQ(std::system(("setfacl -m " + entry + ":rwx " + path).c_str()), 0);
    }
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
  Databases databases;
  ASSERT_TRUE(databases.mounted());
  for (unsigned seed = 1; seed <= 300; ++seed) {
    std::mt19937 rng(seed);
    databases.Randomize(rng);
    TempDir base;
    Tree tree(seed);
    if (seed <= 200) {
      tree.Build(base);
    } else {
      tree.BuildGroupDirectories(base, databases);
    }
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

// Root replays a journal only where nobody else could have written or placed it: beside
// root's win.ini, random journals of random owners, modes, groups, ACLs and names, each
// crafted to be a state the rewrite could have left, so that a replay would put "[Evil]"
// into win.ini; some name another file than win.ini.
TEST(WritePath, RootReplaysOnlyJournalsNobodyElseCouldHaveWritten) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root";
  const std::string now = "[Microsoft Proxy Service]\r\nDisable=00\r\n";
  const std::string evil = "[Microsoft Proxy Service]\r\nDisable=0\r\n[Evil]\r\n";
  const mode_t modes[] = {0600, 0600, 0640, 0644, 0620, 0660, 0666};
  int replays = 0;
  for (unsigned seed = 1; seed <= 100; ++seed) {
    std::mt19937 rng(seed);
    TempDir base;
    chmod(base.path().c_str(), 0755);
    const std::string dir = base / "w", ini = dir + "/win.ini",
                      journal = dir + "/.win.ini.tavrel-journal";
    fs::create_directory(dir);
    chmod(dir.c_str(), Chance(rng, 0.5) ? 0755 : 01777);
    test::WriteBytes(ini, now);
    struct stat st {
    }, file{};
    stat(ini.c_str(), &file);
    stat((Chance(rng, 0.2) ? base.path().string() : ini).c_str(), &st);
    test::WriteBytes(journal, "tavrel journal 2\n" + std::to_string(st.st_dev) + ' ' +
                                  std::to_string(st.st_ino) + " 0 " + std::to_string(evil.size()) +
                                  ' ' + std::to_string(now.size()) + '\n' + now + evil);
    const uid_t owner = Pick(rng, kUsers);
    lchown(journal.c_str(), owner, Pick(rng, kGroups));
    chmod(journal.c_str(), Pick(rng, modes));
    if (Chance(rng, 0.2)) {
      const std::string entry = "u:" + std::to_string(Pick(rng, kUsers)) + ":rw";
      EXPECT_EQ(std::system(("setfacl -m " + entry + " " + journal).c_str()), 0);
    }
    if (Chance(rng, 0.2)) link(journal.c_str(), (base / "second").c_str());
    std::set<uid_t> writers = Placers(base.path(), "w/.win.ini.tavrel-journal");
    for (const uid_t uid : kUsers) {
      if (uid != 0 && (uid == owner || As(uid, [&] { return access(journal.c_str(), W_OK) == 0; })))
        writers.insert(uid);
    }
    const bool forThisFile = st.st_ino == file.st_ino;
    WriteValue(ini, "Microsoft Proxy Service", "Disable", "1");
    if (test::ReadBytes(ini).find("[Evil]") == std::string::npos) continue;
    ++replays;
    EXPECT_TRUE(writers.empty() && forThisFile)
        << "seed " << seed << ": replayed a journal that "
        << (forThisFile ? "others could have written" : "names another file");
  }
  EXPECT_GT(replays, 0) << "no journal was ever replayed";
}

}  // namespace
}  // namespace tavrel::profile
