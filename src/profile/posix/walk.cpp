#include "profile/posix/walk.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <deque>
#include <vector>

#include "profile/posix/as_user.h"
#include "profile/posix/contained.h"
#include "profile/posix/fd.h"
#include "profile/posix/mounts.h"

namespace tavrel::profile {
namespace {

// Symbolic links followed in a row before a path counts as a loop.
constexpr int kMaxLinks = 40;
// A step's result when the walk goes on.
constexpr int kWalkOn = -1;

class Walker {
 public:
  Walker(const Deadline& deadline, const Act& act, Answer* out)
      : deadline_(deadline), act_(act), out_(out) {
    rights_.uid = geteuid();
    rights_.privileged = rights_.uid == 0;
  }

  int Run(const std::string& path, std::optional<uid_t> as) {
    if (path.empty()) return ENOENT;
    Push(path);
    const auto walk = [&] {
      const int started = Start(path[0] == '/' ? "/" : ".");
      return started == kWalkOn ? Walk() : started;
    };
    if (!as || *as == rights_.uid) return walk();
    // A run as that user from its start, kept to the rules of a run that began as root.
    return AsUser(
        *as, deadline_, [](std::vector<int>*) { return 0; },
        [&, uid = *as](Answer*) { return rights_.uid = uid, walk(); }, out_);
  }

 private:
  // What the walk stands on: its directory and the mount it is on.
  struct Standing {
    Fd dir;
    DirSeen seen;
    std::uint64_t mount = 0;
    std::optional<uid_t> mountedFor;  // every entry here is this user's, whatever it claims
  };

  int Walk() {
    for (;;) {
      const std::string name = std::move(todo_.front());
      todo_.pop_front();
      const bool last = todo_.empty();
      if (name == "." && !last) continue;
      const int result = last ? Last(name) : Through(name);
      if (result != kWalkOn) return result;
    }
  }

  // A directory or link on the way, opened O_PATH so that it stays the one judged.
  int Through(const std::string& name) {
    Standing next;
    constexpr int kPath = O_PATH | O_NOFOLLOW | O_CLOEXEC;
    next.dir.reset(OpenHere(here_.dir.get(), name.c_str(), kPath));
    // Something mounted on the name: only what the kernel holds is looked at, until whom the
    // mount was made for is known.
    int look = AT_EMPTY_PATH;
    if (next.dir.get() < 0 && errno == EXDEV) {
      next.dir.reset(openat(here_.dir.get(), name.c_str(), kPath));
      look |= AT_STATX_DONT_SYNC;
    }
    struct stat st {};
    if (next.dir.get() < 0) return errno;
    if (const int error = LookAt(next.dir.get(), "", look, &st, &next.mount)) return error;
    if (S_ISLNK(st.st_mode)) {
      std::string target;
      const int error = ReadLinkAt(next.dir.get(), "", st, &target);
      next.dir.reset();
      return error != 0
                 ? error
                 : Judged(name, &st, next.mount, Linked(target), [&] { return Follow(target); });
    }
    if (!S_ISDIR(st.st_mode)) return ENOTDIR;
    return Judged(name, &st, next.mount, {&next.dir}, [&] { return Enter(std::move(next), st); });
  }

  // The name meant, only looked at, as the kernel holds it (something may be mounted on it):
  // the phase that opens it checks that it is the inode seen, on the directory's mount.
  int Last(const std::string& name) {
    struct stat st {};
    std::uint64_t mount = here_.mount;
    const int error = LookAt(here_.dir.get(), name.c_str(),
                             AT_SYMLINK_NOFOLLOW | AT_STATX_DONT_SYNC, &st, &mount);
    if (error == ENOENT) {
      return Judged(name, nullptr, here_.mount, {&here_.dir},
                    [&] { return Arrive(name, nullptr); });
    }
    if (error != 0) return error;
    if (S_ISLNK(st.st_mode)) {
      std::string target;
      if (const int unread = ReadLinkAt(here_.dir.get(), name, st, &target)) return unread;
      return Judged(name, &st, mount, Linked(target), [&] { return Follow(target); });
    }
    return Judged(name, &st, mount, {&here_.dir}, [&] { return Arrive(name, &st); });
  }

  // What following a link needs: the directory it stands in, for a relative target.
  std::vector<Fd*> Linked(const std::string& target) {
    return target[0] == '/' ? std::vector<Fd*>{} : std::vector<Fd*>{&here_.dir};
  }

  // Applies WhoseRights to `seen` (on the mount `mount`; null for a missing name) in the
  // current directory, then `step`. At a change of user the step and the rest of the walk
  // run in a child, which first opens again, as that user, the descriptors the step `needs`.
  template <class F>
  int Judged(const std::string& name, const struct stat* seen, std::uint64_t mount,
             const std::vector<Fd*>& needs, const F& step) {
    struct stat entry {};
    if (seen != nullptr) entry = *seen;
    bool placed = false;
    if (const int error = Mounted(mount, &entry, &placed)) return error;
    const struct stat* judged = seen != nullptr ? &entry : nullptr;
    Verdict verdict = WhoseRights(rights_, here_.seen, judged);
    // What a user mounted is theirs, whatever it is: root goes no further than they could.
    if (placed && verdict == Verdict::Keep && rights_.uid == 0) verdict = Verdict::Become;
    switch (verdict) {
      case Verdict::Keep:
        return step();
      case Verdict::Become:
        return AsUser(
            entry.st_uid, deadline_, [&](std::vector<int>* keep) { return Adopt(needs, keep); },
            [&, uid = entry.st_uid](Answer*) {
              rights_.uid = uid;
              const int result = step();
              return result == kWalkOn ? Walk() : result;
            },
            out_);
      case Verdict::Refuse:
        break;
    }
    out_->why = RefusalText(rights_, here_.seen, judged, name);
    return kRefused;
  }

  // An entry on the mount `mount`: where that is not the current one, whom it was made for
  // decides whose the entry is, and everything below it; `placed` when it is the root of a
  // mount made for a user.
  int Mounted(std::uint64_t mount, struct stat* entry, bool* placed) {
    crossed_ = here_.mountedFor;
    if (mount != here_.mount) {
      uid_t uid = 0;
      if (const int error = MountOwner(mount, &uid, &out_->why)) return error;
      crossed_ = uid == 0 ? std::nullopt : std::optional<uid_t>(uid);
      *placed = crossed_.has_value();
    }
    if (crossed_) entry->st_uid = *crossed_;
    return 0;
  }

  // In the child, as the user: the descriptors the step needs, opened again with the
  // user's rights (which must allow searching them); the root-opened ones are closed.
  int Adopt(const std::vector<Fd*>& needs, std::vector<int>* keep) {
    bool keepHere = false;
    for (Fd* fd : needs) {
      keepHere = keepHere || fd == &here_.dir;
      fd->reset(openat(fd->get(), ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
      if (fd->get() < 0) return errno;
      keep->push_back(fd->get());
    }
    if (!keepHere) here_.dir.reset();
    return 0;
  }

  // The path's components go first, before what is left of the path being walked; a path
  // that ends in "/" or "." means the directory itself.
  void Push(const std::string& path) {
    std::deque<std::string> parts;
    for (std::size_t at = 0; at <= path.size();) {
      const std::size_t end = std::min(path.find('/', at), path.size());
      if (end > at && path.compare(at, end - at, ".") != 0)
        parts.push_back(path.substr(at, end - at));
      at = end + 1;
    }
    const bool dot =
        path == "." || (path.size() >= 2 && path.compare(path.size() - 2, 2, "/.") == 0);
    if (parts.empty() || path.back() == '/' || dot) {
      parts.emplace_back(".");
    }
    todo_.insert(todo_.begin(), parts.begin(), parts.end());
  }

  int Enter(Standing next, const struct stat& st) {
    next.seen.st = st;
    // Only a run that began as root asks who else may write: a user's own run trusts the user.
    next.seen.shared = rights_.privileged && OthersMayWrite(next.dir.get(), st);
    next.mountedFor = crossed_;
    here_ = std::move(next);
    return kWalkOn;
  }

  // Stands in "/" or the working directory, judged as an entry of itself. "/" is on the
  // root's own mount; the working directory may be on any.
  int Start(const char* from) {
    Standing start;
    start.dir.reset(open(from, O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat st {};
    if (start.dir.get() < 0) return errno;
    if (const int error = LookAt(start.dir.get(), "", AT_EMPTY_PATH, &st, &start.mount)) {
      return error;
    }
    std::uint64_t root = start.mount;
    if (from[0] != '/') {
      struct stat rootSt {};
      if (const int error = LookAt(AT_FDCWD, "/", 0, &rootSt, &root)) return error;
    }
    const std::uint64_t mount = start.mount;
    crossed_.reset();
    Enter(std::move(start), st);
    here_.mount = root;
    return Judged(".", &st, mount, {&here_.dir}, [&] {
      here_.mount = mount;
      here_.mountedFor = crossed_;
      return kWalkOn;
    });
  }

  static int ReadLinkAt(int at, const std::string& name, const struct stat& st,
                        std::string* target) {
    target->assign(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4095) + 1, '\0');
    const ssize_t n = readlinkat(at, name.c_str(), target->data(), target->size());
    if (n < 0) return errno;
    if (n == 0) return ENOENT;
    if (static_cast<std::size_t>(n) >= target->size()) return ELOOP;
    target->resize(static_cast<std::size_t>(n));
    return 0;
  }

  // Walks a link's target next.
  int Follow(const std::string& target) {
    if (++links_ > kMaxLinks) return ELOOP;
    Push(target);
    return target[0] == '/' ? Start("/") : kWalkOn;
  }

  int Arrive(const std::string& name, const struct stat* st) {
    Place place{here_.dir.get(), here_.seen, name, st != nullptr, {}, rights_, deadline_, crossed_};
    if (st != nullptr) place.st = *st;
    return act_(place, out_);
  }

  const Deadline deadline_;
  const Act& act_;
  Answer* out_;
  Rights rights_;
  Standing here_;
  std::optional<uid_t> crossed_;  // whom the entry last judged was made for, by its mount
  std::deque<std::string> todo_;
  int links_ = 0;
};

}  // namespace

bool Place::Allows(const struct stat& now) const {
  struct stat entry = now;
  if (mountedFor) entry.st_uid = *mountedFor;
  return WhoseRights(rights, dirSeen, &entry) == Verdict::Keep;
}

int WithRights(const std::string& path, const Deadline& deadline, std::optional<uid_t> as,
               const Act& act, Answer* out) noexcept {
  return Contained([&] { return Walker(deadline, act, out).Run(path, as); });
}

}  // namespace tavrel::profile
