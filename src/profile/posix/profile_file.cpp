#include "profile/posix/profile_file.h"

#include <fcntl.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "profile/posix/contained.h"
#include "profile/posix/walk.h"
#include "profile/posix/write_steps.h"
#include "profile/profile.h"

namespace tavrel::profile {
namespace {

constexpr auto kLockPatience = std::chrono::seconds(10);
constexpr auto kLockPoll = std::chrono::milliseconds(5);
constexpr mode_t kNewFileMode = 0666;
// Only its creator may open it, whatever a default ACL or a setgid directory would give.
constexpr mode_t kLockMode = 0200;
// Tries of a read whose file was replaced between the walk and the open.
constexpr int kReadTries = 3;

// The file the walk found, opened for reading only if it is the regular file it saw.
int ReadFound(const Place& place, FileBytes* bytes) {
  if (!place.exists) return 0;
  if (S_ISDIR(place.st.st_mode)) return EISDIR;
  if (!S_ISREG(place.st.st_mode)) return EINVAL;
  if (place.st.st_size > kMaxFileSize) return EFBIG;
  const Fd fd(
      openat(place.dir, place.name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat st {};
  if (fd.get() < 0) return errno == ELOOP ? EAGAIN : errno;
  if (fstat(fd.get(), &st) != 0) return errno;
  return SameInode(st, place.st) ? ReadWhole(fd.get(), kMaxFileSize, bytes) : EAGAIN;
}

// A write lock (F_OFD_SETLK) on a lock file beside win.ini, held while the lock file has
// that name, and its name removed when the write is done. It is created for its owner
// only; an existing one is used only when it is this user's regular file with one name,
// and nothing of it is ever changed. A lock file of another user's is that user's write
// in progress: waited for, within the lock's patience.
class Lock {
 public:
  Lock(int dir, const std::string& name) : dir_(dir), name_(SideName(name, "lock")) {}
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;
  ~Lock() {
    struct stat named {};
    struct stat held {};
    if (fd_.get() >= 0 && fstatat(dir_, name_.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        fstat(fd_.get(), &held) == 0 && SameInode(named, held)) {
      unlinkat(dir_, name_.c_str(), 0);
    }
  }

  bool held() const { return fd_.get() >= 0; }
  // Why no lock file could be made (this user may not write the directory), when not held.
  int missing() const { return missing_; }

  // 0 when held, or when no lock file can be made here (missing() says why).
  int Take() {
    const auto deadline = std::chrono::steady_clock::now() + kLockPatience;
    for (;; std::this_thread::sleep_for(kLockPoll)) {
      if (std::chrono::steady_clock::now() > deadline) return ETIMEDOUT;
      fd_.reset(Open());
      if (fd_.get() < 0 && errno == EAGAIN) continue;
      if (fd_.get() < 0) return missing_ != 0 ? 0 : errno;
      struct stat held {};
      if (fstat(fd_.get(), &held) != 0) return errno;
      // Removed by the run before since we looked: look again.
      if (held.st_nlink == 0) continue;
      if (!Ours(held)) return EPERM;
      struct flock request {};
      request.l_type = F_WRLCK;
      request.l_whence = SEEK_SET;
      while (fcntl(fd_.get(), F_OFD_SETLK, &request) != 0) {
        if (errno != EAGAIN && errno != EACCES && errno != EINTR) return errno;
        if (std::chrono::steady_clock::now() > deadline) return ETIMEDOUT;
        std::this_thread::sleep_for(kLockPoll);
      }
      // The holder before may have removed the name, or another run made a new one.
      struct stat named {};
      if (fstatat(dir_, name_.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
          SameInode(named, held)) {
        return 0;
      }
    }
  }

 private:
  static bool Ours(const struct stat& st) {
    return S_ISREG(st.st_mode) && st.st_nlink == 1 && st.st_uid == geteuid();
  }

  // The lock file opened or created; -1 with errno EAGAIN to look again.
  int Open() {
    struct stat seen {};
    if (fstatat(dir_, name_.c_str(), &seen, AT_SYMLINK_NOFOLLOW) == 0) {
      // No link left: being removed by the run before, as we looked.
      if (seen.st_nlink == 0) return errno = EAGAIN, -1;
      if (!S_ISREG(seen.st_mode) || seen.st_nlink != 1) return errno = EPERM, -1;
      if (seen.st_uid != geteuid()) return errno = EAGAIN, -1;
      const int fd = openat(dir_, name_.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
      if (fd < 0 && errno == ENOENT) errno = EAGAIN;
      return fd;
    }
    if (errno != ENOENT) return -1;
    const int fd = openat(dir_, name_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          kLockMode);
    if (fd < 0 && errno == EEXIST) errno = EAGAIN;
    if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS)) missing_ = errno;
    return fd;
  }

  int dir_;
  std::string name_;
  Fd fd_;
  int missing_ = 0;
};

// Opens win.ini for writing after looking at what stands there now (under the lock),
// creating an empty one when it is missing (`created`).
int OpenForWriting(const Place& place, OpenFile* file, bool* created) {
  struct stat seen {};
  *created = fstatat(place.dir, place.name.c_str(), &seen, AT_SYMLINK_NOFOLLOW) != 0;
  if (*created && errno != ENOENT) return errno;
  if (!*created && S_ISDIR(seen.st_mode)) return EISDIR;
  if (!*created && !S_ISREG(seen.st_mode)) return EINVAL;
  if (!*created && !place.Allows(seen)) return EPERM;
  const int flags =
      O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | (*created ? O_CREAT | O_EXCL : 0);
  file->fd = openat(place.dir, place.name.c_str(), flags, kNewFileMode);
  if (file->fd < 0) return errno;
  if (fstat(file->fd, &file->st) != 0) return errno;
  return *created || SameInode(seen, file->st) ? 0 : EAGAIN;
}

// The change, made by the least write that keeps the file whole at every moment.
int Change(const OpenFile& file, std::string_view bytes, const Splice& splice, const Lock& lock) {
  if (splice.outcome == SpliceOutcome::Refused) return EILSEQ;
  if (splice.outcome == SpliceOutcome::Unchanged) return 0;
  if (splice.insert.size() == splice.end - splice.begin) return Overwrite(file, bytes, splice);
  if (!lock.held()) return lock.missing();
  bool carried = true;
  const int result = Replace(file, bytes, splice, &carried);
  return carried ? result : RewriteInPlace(file, bytes, splice);
}

int Update(const Place& place, std::string_view section, std::string_view key,
           std::string_view value) {
  Lock lock(place.dir, place.name);
  if (const int error = lock.Take()) return error;
  OpenFile file;
  file.dir = place.dir;
  file.name = place.name;
  bool created = false;
  const int opened = OpenForWriting(place, &file, &created);
  const Fd fd(file.fd);
  if (opened != 0) return opened;
  FileBytes bytes;
  // Without the lock, a journal can neither be trusted nor removed.
  int result = lock.held() ? Recover(file) : HasJournal(file) ? lock.missing() : 0;
  if (result == 0) result = ReadWhole(fd.get(), kMaxFileSize, &bytes);
  if (result == 0 && fstat(fd.get(), &file.st) != 0) result = errno;
  if (result == 0) result = Change(file, bytes, SetProfileString(bytes, section, key, value), lock);
  if (result != 0 && created) unlinkat(place.dir, place.name.c_str(), 0);
  return result;
}

}  // namespace

std::string ReadValue(const std::string& path, std::string_view section, std::string_view key,
                      std::string_view fallback, std::size_t size, int* error) noexcept {
  std::string value;
  const auto read = [&](const Place& place, std::string* out) {
    FileBytes bytes;
    const int result = ReadFound(place, &bytes);
    if (result == 0) *out = GetProfileString(bytes, section, key, fallback, size);
    return result;
  };
  for (int tries = 1;; ++tries) {
    value.clear();
    *error = WithRights(path, read, &value);
    if (*error != EAGAIN || tries == kReadTries) break;
  }
  if (*error == 0 || *error == EFBIG || *error == ENOMEM) return value;
  // A file that cannot be looked at reads as a missing one.
  if (Contained([&] { return value = GetProfileString("", section, key, fallback, size), 0; }) !=
      0) {
    value.clear();
  }
  return value;
}

int WriteValue(const std::string& path, std::string_view section, std::string_view key,
               std::string_view value) noexcept {
  std::string ignored;
  return WithRights(
      path, [&](const Place& place, std::string*) { return Update(place, section, key, value); },
      &ignored);
}

}  // namespace tavrel::profile
