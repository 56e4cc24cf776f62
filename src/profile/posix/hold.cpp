#include "profile/posix/hold.h"

#include <fcntl.h>

#include <cerrno>
#include <optional>
#include <random>
#include <string>
#include <thread>

namespace tavrel::profile {
namespace {

// Others' opens of the file are waited for this long before a write goes on without a lease.
constexpr auto kLeasePatience = std::chrono::seconds(1);
constexpr auto kPoll = std::chrono::milliseconds(1);
// Another run's lock file is waited for this long: a killed run of another user leaves one.
constexpr auto kLockPatience = std::chrono::seconds(10);
constexpr mode_t kLockMode = 0200;
// The bytes on each side of a change that are compared again before it is written.
constexpr std::size_t kAround = 64;

}  // namespace

int OpenHeld(const Place& place, int access, Target* file) {
  const auto until = std::min(place.deadline.work(), Deadline::Clock::now() + kLeasePatience);
  bool made = false;
  std::optional<std::minstd_rand> jitter;
  for (;;) {
    if (const int error = OpenTarget(place, access, file)) return error;
    made = made || file->created;
    file->created = made;
    if (!file->busy || Deadline::Clock::now() > until) return 0;
    file->fd.reset();
    if (!jitter) jitter.emplace(static_cast<unsigned>(getpid()));
    std::this_thread::sleep_for(std::chrono::microseconds(500 + (*jitter)() % 1000));
  }
}

LockFile::~LockFile() {
  struct stat named {};
  if (fd_.get() >= 0 && LookCached(dir_, name_.c_str(), &named) == 0 && SameInode(named, held_)) {
    unlinkat(dir_, name_.c_str(), 0);
  }
}

int LockFile::Take(const Deadline& deadline, std::string* why) {
  const auto until = std::min(deadline.work(), Deadline::Clock::now() + kLockPatience);
  const auto busy = [&] {
    *why = "another run held the lock file " + name_ + " for 10 s";
    return EBUSY;
  };
  for (;; std::this_thread::sleep_for(kPoll)) {
    if (Deadline::MsUntil(until) == 0) return busy();
    fd_.reset(Open());
    if (fd_.get() < 0 && errno == EAGAIN) continue;
    if (fd_.get() < 0 && errno == EPERM) {
      *why = "the lock file " + name_ + " is not this run's to use";
      return kRefused;
    }
    if (fd_.get() < 0) return errno;
    struct flock request {};
    request.l_type = F_WRLCK;
    request.l_whence = SEEK_SET;
    while (fcntl(fd_.get(), F_OFD_SETLK, &request) != 0) {
      if (errno != EAGAIN && errno != EACCES && errno != EINTR) return errno;
      if (Deadline::MsUntil(until) == 0) return busy();
      std::this_thread::sleep_for(kPoll);
    }
    // The holder before may have removed the name as it finished: then look again.
    if (fstat(fd_.get(), &held_) != 0) return errno;
    if (held_.st_nlink == 1) return 0;
  }
}

// The lock file opened or created; -1 with errno EAGAIN to look again.
int LockFile::Open() {
  const int made = OpenHere(dir_, name_.c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kLockMode);
  if (made >= 0 || errno != EEXIST) {
    // EPERM is kept for one not ours: a name something is mounted on, for one.
    if (made < 0 && errno == EPERM) errno = EACCES;
    if (made < 0 && errno == EXDEV) errno = EPERM;
    return made;
  }
  struct stat seen {};
  if (const int error = LookCached(dir_, name_.c_str(), &seen)) {
    errno = error == ENOENT ? EAGAIN : error;
    return -1;
  }
  // No link left: being removed by the run before, as we looked.
  if (seen.st_nlink == 0) return errno = EAGAIN, -1;
  if (!S_ISREG(seen.st_mode) || seen.st_nlink != 1) return errno = EPERM, -1;
  // Another user's: their write in progress.
  if (seen.st_uid != geteuid()) return errno = EAGAIN, -1;
  const int fd = OpenHere(dir_, name_.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0 && errno == ENOENT) errno = EAGAIN;
  if (fd < 0 && errno == EXDEV) errno = EPERM;
  struct stat opened {};
  if (fd >= 0 && (fstat(fd, &opened) != 0 || !SameInode(opened, seen))) {
    close(fd);
    return errno = EAGAIN, -1;
  }
  return fd;
}

bool LeaseHolds(Target* file) {
  const int wanted = file->access == O_RDONLY ? F_RDLCK : F_WRLCK;
  file->leased = file->leased && fcntl(file->fd.get(), F_GETLEASE) == wanted;
  return file->leased;
}

int StillAsRead(Target* file, std::string_view bytes, std::size_t begin, std::size_t end) {
  if (LeaseHolds(file)) return 0;
  if (const int changed = StillLooksAs(file, file->st)) return changed;
  begin = begin > kAround ? begin - kAround : 0;
  end = std::min(end + kAround, bytes.size());
  std::string around(end - begin, '\0');
  const ssize_t n = pread(file->fd.get(), around.data(), around.size(), static_cast<off_t>(begin));
  if (n < 0) return errno;
  return around == bytes.substr(begin, end - begin) ? 0 : kChangedWhileRead;
}

int StillLooksAs(Target* file, const struct stat& look) {
  if (LeaseHolds(file)) return 0;
  struct stat now {};
  if (fstat(file->fd.get(), &now) != 0) return errno;
  return SameLook(now, look) ? 0 : kChangedWhileRead;
}

}  // namespace tavrel::profile
