#include "profile/posix/walk.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <deque>

#include "profile/posix/as_user.h"
#include "profile/posix/contained.h"
#include "profile/posix/fd.h"

namespace tavrel::profile {
namespace {

// Symbolic links followed in a row before a path counts as a loop.
constexpr int kMaxLinks = 40;
// A step's result when the walk goes on.
constexpr int kWalkOn = -1;

class Walker {
 public:
  Walker(const Deadline& deadline, const Act& act, std::string* out)
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
        *as, deadline_, [&, uid = *as](std::string*) { return rights_.uid = uid, walk(); }, out_);
  }

 private:
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
    Fd next(openat(dir_.get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (next.get() < 0 || fstat(next.get(), &st) != 0) return errno;
    return Judged(&st, [&] {
      if (S_ISLNK(st.st_mode)) return Follow(next.get(), "", st);
      if (!S_ISDIR(st.st_mode)) return ENOTDIR;
      Enter(std::move(next), st);
      return kWalkOn;
    });
  }

  // The name meant, only looked at: the phase that opens it checks it is the inode seen.
  int Last(const std::string& name) {
    struct stat st {};
    if (fstatat(dir_.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno != ENOENT) return errno;
      return Judged(nullptr, [&] { return Arrive(name, nullptr); });
    }
    return Judged(&st, [&] {
      return S_ISLNK(st.st_mode) ? Follow(dir_.get(), name.c_str(), st) : Arrive(name, &st);
    });
  }

  // Applies WhoseRights to `entry` in the current directory, then `step`. At a change of
  // user the step and the rest of the walk run in a child, whose result this returns.
  template <class F>
  int Judged(const struct stat* entry, const F& step) {
    switch (WhoseRights(rights_, dirSeen_, entry)) {
      case Verdict::Keep:
        return step();
      case Verdict::Become:
        if (entry == nullptr) return EPERM;  // a missing name has no owner to become
        return AsUser(
            entry->st_uid, deadline_,
            [&, uid = entry->st_uid](std::string*) {
              rights_.uid = uid;
              const int result = step();
              return result == kWalkOn ? Walk() : result;
            },
            out_);
      case Verdict::Refuse:
        break;
    }
    return EPERM;
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

  void Enter(Fd dir, const struct stat& st) {
    dir_ = std::move(dir);
    dirSeen_.st = st;
    // Only a run that began as root asks who else may write: a user's own run trusts the user.
    dirSeen_.shared = rights_.privileged && OthersMayWrite(dir_.get(), st);
  }

  // Stands in "/" or the working directory, judged as an entry of itself.
  int Start(const char* from) {
    Fd dir(open(from, O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat st {};
    if (dir.get() < 0 || fstat(dir.get(), &st) != 0) return errno;
    Enter(std::move(dir), st);
    return Judged(&st, [] { return kWalkOn; });
  }

  // Reads the link at (`at`, `name`), "" for `at` itself, and walks its target next.
  int Follow(int at, const char* name, const struct stat& st) {
    if (++links_ > kMaxLinks) return ELOOP;
    std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4095) + 1, '\0');
    const ssize_t n = readlinkat(at, name, target.data(), target.size());
    if (n < 0) return errno;
    if (n == 0) return ENOENT;
    if (static_cast<std::size_t>(n) >= target.size()) return ELOOP;
    target.resize(static_cast<std::size_t>(n));
    Push(target);
    return target[0] == '/' ? Start("/") : kWalkOn;
  }

  int Arrive(const std::string& name, const struct stat* st) {
    Place place{dir_.get(), dirSeen_, name, st != nullptr, {}, rights_, deadline_};
    if (st != nullptr) place.st = *st;
    return act_(place, out_);
  }

  const Deadline deadline_;
  const Act& act_;
  std::string* out_;
  Rights rights_;
  Fd dir_;
  DirSeen dirSeen_;
  std::deque<std::string> todo_;
  int links_ = 0;
};

}  // namespace

bool Place::Allows(const struct stat& now) const {
  return WhoseRights(rights, dirSeen, &now) == Verdict::Keep;
}

int WithRights(const std::string& path, const Deadline& deadline, std::optional<uid_t> as,
               const Act& act, std::string* out) noexcept {
  return Contained([&] { return Walker(deadline, act, out).Run(path, as); });
}

}  // namespace tavrel::profile
