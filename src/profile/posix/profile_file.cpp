#include "profile/posix/profile_file.h"

#include <fcntl.h>
#include <sys/xattr.h>

#include <cerrno>
#include <chrono>
#include <new>
#include <stdexcept>
#include <thread>

#include "profile/posix/owner_identity.h"
#include "profile/posix/write_steps.h"

namespace tavrel::profile {
namespace {

constexpr auto kLockPatience = std::chrono::seconds(10);
constexpr auto kLockPoll = std::chrono::milliseconds(5);
constexpr mode_t kNewFileMode = 0666;

std::string DirName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// The whole file in one buffer of the size it has; errno set when it cannot be read.
std::optional<std::string> ReadWhole(int fd) {
  struct stat st {};
  if (fstat(fd, &st) != 0) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
  std::size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = pread(fd, bytes.data() + got, bytes.size() - got, static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  return bytes;
}

// Follows final symbolic links by hand, each from the directory holding it, to the
// directory and name of the file meant. errno set on failure.
bool Resolve(const std::string& path, Fd* dir, std::string* name) {
  dir->reset(open(DirName(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  *name = BaseName(path);
  for (int hop = 0; dir->get() >= 0; ++hop) {
    struct stat st {};
    if (fstatat(dir->get(), name->c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT;
    if (!S_ISLNK(st.st_mode)) return true;
    if (hop == kMaxLinks) return errno = ELOOP, false;
    // Root does not follow another user's link (one that appeared after the path was
    // looked at): that user might not write where it leads.
    if (geteuid() == 0 && st.st_uid != 0) return errno = EPERM, false;
    std::string target(static_cast<std::size_t>(st.st_size) + 1, '\0');
    const ssize_t n = readlinkat(dir->get(), name->c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) return errno = ELOOP, false;
    target.resize(static_cast<std::size_t>(n));
    dir->reset(openat(dir->get(), DirName(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    *name = BaseName(target);
  }
  return false;
}

// Gives our lock file `mode` and win.ini's group, not a setgid directory's, and drops an
// ACL inherited from the directory; without that group, the group may not open it.
void ShutLock(int fd, const struct stat& held, gid_t group, mode_t mode) {
  fremovexattr(fd, "system.posix_acl_access");
  if (held.st_gid != group && fchown(fd, static_cast<uid_t>(-1), group) != 0)
    mode &= static_cast<mode_t>(~S_IWGRP);
  fchmod(fd, mode);
}

// A write lock on a lock file beside win.ini that only those who may write win.ini can
// open (write bits only): a reader cannot hold it, and it outlives the file's replacement.
int Lock(int dir, const std::string& name, Fd* lock) {
  const std::string lockName = SideName(name, "lock");
  struct stat file {};
  const bool exists = fstatat(dir, name.c_str(), &file, AT_SYMLINK_NOFOLLOW) == 0;
  const mode_t mode = S_IWUSR | (exists ? file.st_mode & (S_IWGRP | S_IWOTH) : 0);
  const auto deadline = std::chrono::steady_clock::now() + kLockPatience;
  for (;;) {
    // A lock file swapped again and again under us is a lock not granted.
    if (std::chrono::steady_clock::now() > deadline) return ETIMEDOUT;
    lock->reset(openat(dir, lockName.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (lock->get() < 0 && errno == ENOENT) {
      lock->reset(openat(dir, lockName.c_str(),
                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0200));
      if (lock->get() < 0 && errno == EEXIST) continue;
    }
    struct stat held {};
    if (lock->get() < 0 || fstat(lock->get(), &held) != 0) return errno;
    if (!S_ISREG(held.st_mode)) return EPERM;
    if (held.st_uid == geteuid()) {
      ShutLock(lock->get(), held, exists ? file.st_gid : held.st_gid, mode);
    }
    struct flock request {};
    request.l_type = F_WRLCK;
    request.l_whence = SEEK_SET;
    while (fcntl(lock->get(), F_OFD_SETLK, &request) != 0) {
      if (errno != EAGAIN && errno != EACCES && errno != EINTR) return errno;
      if (std::chrono::steady_clock::now() > deadline) return ETIMEDOUT;
      std::this_thread::sleep_for(kLockPoll);
    }
    struct stat named {};
    if (fstatat(dir, lockName.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        SameInode(named, held)) {
      return 0;
    }
  }
}

// Opens win.ini for writing after looking at what stands there, creating an empty one when
// it is missing (`created`).
int OpenForWriting(OpenFile* file, bool* created) {
  struct stat seen {};
  *created = fstatat(file->dir, file->name.c_str(), &seen, AT_SYMLINK_NOFOLLOW) != 0;
  if (*created && errno != ENOENT) return errno;
  if (!*created && S_ISDIR(seen.st_mode)) return EISDIR;
  if (!*created && !S_ISREG(seen.st_mode)) return EINVAL;
  const int flags =
      O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | (*created ? O_CREAT | O_EXCL : 0);
  file->fd = openat(file->dir, file->name.c_str(), flags, kNewFileMode);
  if (file->fd < 0) return errno;
  if (fstat(file->fd, &file->st) != 0) return errno;
  return *created || SameInode(seen, file->st) ? 0 : EAGAIN;
}

int Update(const std::string& path, const std::function<Splice(std::string_view)>& change) {
  Fd dir;
  OpenFile file;
  if (!Resolve(path, &dir, &file.name)) return errno;
  file.dir = dir.get();
  Fd lock;
  if (const int error = Lock(dir.get(), file.name, &lock)) return error;
  bool created = false;
  const int opened = OpenForWriting(&file, &created);
  const Fd fd(file.fd);
  if (opened != 0) return opened;
  if (const int error = Recover(file)) return error;
  const auto bytes = ReadWhole(fd.get());
  if (!bytes || fstat(fd.get(), &file.st) != 0) return errno;
  const Splice splice = change(*bytes);
  int result = 0;
  if (splice.outcome == SpliceOutcome::Refused) result = EILSEQ;
  if (splice.outcome == SpliceOutcome::Changed) result = Replace(file, *bytes, splice);
  if (result == kCannotCarry) result = RewriteInPlace(file, *bytes, splice);
  if (result != 0 && created) unlinkat(dir.get(), file.name.c_str(), 0);
  return result;
}

}  // namespace

std::optional<std::string> ReadFileBytes(const std::string& path, int* error) {
  *error = 0;
  // Looked at before it is opened: opening a device can have effects of its own.
  struct stat seen {};
  if (stat(path.c_str(), &seen) != 0) {
    struct stat dir {};
    *error = errno == ENOENT && stat(DirName(path).c_str(), &dir) == 0 && S_ISDIR(dir.st_mode) ? 0 : errno;
    return std::nullopt;
  }
  if (S_ISDIR(seen.st_mode)) return *error = EISDIR, std::nullopt;
  if (!S_ISREG(seen.st_mode)) return *error = EINVAL, std::nullopt;
  const Fd fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat st {};
  if (fd.get() < 0 || fstat(fd.get(), &st) != 0) return *error = errno, std::nullopt;
  if (!SameInode(seen, st)) return *error = EAGAIN, std::nullopt;
  std::optional<std::string> bytes = ReadWhole(fd.get());
  if (!bytes) *error = errno;
  return bytes;
}

int UpdateFile(const std::string& path, const std::function<Splice(std::string_view)>& change) {
  return AsControllingUser(path, [&]() noexcept {
    try {
      return Update(path, change);
    } catch (const std::bad_alloc&) {
      return ENOMEM;
    } catch (const std::exception&) {
      return EIO;
    }
  });
}

}  // namespace tavrel::profile
