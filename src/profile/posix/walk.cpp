#include "profile/posix/walk.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <deque>

#include "profile/posix/as_user.h"
#include "profile/posix/contained.h"
#include "profile/posix/fd.h"
#include "profile/posix/rights.h"

namespace tavrel::profile {
namespace {

class Walker {
 public:
  Walker(int* report, std::string* out) : report_(report), out_(out) {}

  int Run(const std::string& path, const Act& act) {
    if (path.empty()) return ENOENT;
    Push(path);
    if (const int error = Start(path[0] == '/' ? "/" : ".")) return error;
    for (;;) {
      // A parent that forked (at the start, or at a link to "/") only passes on the result.
      if (parent_) return result_;
      const std::string name = std::move(todo_.front());
      todo_.pop_front();
      const bool last = todo_.empty();
      if (name == "." && !last) continue;
      Fd next(openat(dir_.get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
      struct stat st {};
      if (next.get() < 0) {
        if (errno != ENOENT || !last) return errno;
        if (const int error = Judge(nullptr)) return error;
        return Arrive(name, nullptr, act);
      }
      if (fstat(next.get(), &st) != 0) return errno;
      if (const int error = Judge(&st)) return error;
      if (parent_) return result_;
      if (S_ISLNK(st.st_mode)) {
        if (const int error = Follow(next.get(), st)) return error;
      } else if (last) {
        return Arrive(name, &st, act);
      } else if (!S_ISDIR(st.st_mode)) {
        return ENOTDIR;
      } else {
        dir_ = std::move(next);
        dirStat_ = st;
      }
    }
  }

 private:
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

  int Start(const char* from) {
    dir_.reset(open(from, O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (dir_.get() < 0 || fstat(dir_.get(), &dirStat_) != 0) return errno;
    const struct stat self = dirStat_;
    return Judge(&self);
  }

  // Applies WhoseRights to `entry` in the current directory: in root's process, a change of
  // user forks, and the parent then only passes on the child's result (parent_).
  int Judge(const struct stat* entry) {
    switch (WhoseRights(acting_, dirStat_, entry)) {
      case Verdict::Refuse:
        return EPERM;
      case Verdict::Become:
        if (entry == nullptr) return EPERM;  // a missing name has no owner to become
        parent_ = ForkAsUser(entry->st_uid, report_, &result_, out_);
        if (!parent_) acting_ = entry->st_uid;
        return 0;
      case Verdict::Keep:
        return 0;
    }
    return EPERM;
  }

  int Follow(int link, const struct stat& st) {
    if (++links_ > kMaxLinks) return ELOOP;
    std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4095) + 1, '\0');
    const ssize_t n = readlinkat(link, "", target.data(), target.size());
    if (n < 0) return errno;
    if (n == 0) return ENOENT;
    if (static_cast<std::size_t>(n) >= target.size()) return ELOOP;
    target.resize(static_cast<std::size_t>(n));
    Push(target);
    return target[0] == '/' ? Start("/") : 0;
  }

  int Arrive(const std::string& name, const struct stat* st, const Act& act) {
    // A directory that can be listed and flushed, where this user may read it.
    Fd dir(openat(dir_.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0) dir = std::move(dir_);
    Place place;
    place.dir = dir.get();
    place.dirStat = dirStat_;
    place.name = name;
    place.exists = st != nullptr;
    if (st != nullptr) place.st = *st;
    place.acting = acting_;
    return act(place, out_);
  }

  int* report_;
  std::string* out_;
  Fd dir_;
  struct stat dirStat_ {};
  std::deque<std::string> todo_;
  int links_ = 0;
  uid_t acting_ = geteuid();
  bool parent_ = false;
  int result_ = 0;
};

}  // namespace

bool Place::Allows(const struct stat& now) const {
  return WhoseRights(acting, dirStat, &now) == Verdict::Keep;
}

int WithRights(const std::string& path, const Act& act, std::string* out) noexcept {
  int report = -1;
  const int result = Contained([&] { return Walker(&report, out).Run(path, act); });
  // A child ends here, never returning into its parent's code.
  if (report >= 0) ReportAndExit(report, result, *out);
  return result;
}

}  // namespace tavrel::profile
