#include "profile/posix/profile_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>
#include <utility>

namespace tavrel::profile {
namespace {

constexpr int kMaxLinks = 40;
constexpr auto kLockPatience = std::chrono::seconds(10);
constexpr std::string_view kTempTag = ".tavrel-";

// Closes a descriptor when it goes out of scope.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  Fd(Fd&& other) noexcept : fd_(other.release()) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

std::string DirName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// Follows symbolic links to the file that is really meant; nothing for a loop.
std::optional<std::string> ResolveLinks(std::string path) {
  for (int hop = 0; hop < kMaxLinks; ++hop) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) {
      if (errno == ENOENT) return path;
      return std::nullopt;
    }
    if (!S_ISLNK(st.st_mode)) return path;
    std::string target(static_cast<std::size_t>(st.st_size) + 256, '\0');
    const ssize_t n = readlink(path.c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) return std::nullopt;
    target.resize(static_cast<std::size_t>(n));
    if (target[0] != '/') target.insert(0, DirName(path) + '/');
    path = std::move(target);
  }
  return std::nullopt;
}

// One buffer sized by fstat, and one byte more so that the end is seen without growing it.
std::optional<std::string> ReadAll(int fd) {
  struct stat st {};
  if (fstat(fd, &st) != 0) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(st.st_size) + 1, '\0');
  std::size_t used = 0;
  for (;;) {
    if (used == bytes.size()) bytes.resize(2 * used);  // the file grew while being read
    const ssize_t n = read(fd, bytes.data() + used, bytes.size() - used);
    if (n == 0) {
      bytes.resize(used);
      return bytes;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    used += static_cast<std::size_t>(n);
  }
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Takes the directory's advisory lock, waiting a bounded time for other writers.
Fd LockDirectory(const std::string& dir) {
  Fd fd(open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() < 0) return Fd();
  const auto deadline = std::chrono::steady_clock::now() + kLockPatience;
  while (flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
    if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() > deadline) {
      return Fd();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return fd;
}

// Removes temporary files that a killed writer left; only called under the lock,
// when no other writer can be using one.
void RemoveStaleTemporaries(int dirFd, const std::string& base) {
  const std::string prefix = "." + base + std::string(kTempTag);
  DIR* dir = fdopendir(dup(dirFd));
  if (dir == nullptr) return;
  while (const dirent* entry = readdir(dir)) {
    if (std::string_view(entry->d_name).substr(0, prefix.size()) == prefix) {
      unlinkat(dirFd, entry->d_name, 0);
    }
  }
  closedir(dir);
}

struct Existing {
  bool exists = false;
  struct stat st {};
  std::string bytes;
};

// Opens the current file for writing, as the platform would: a file that this user may
// not write, or that is not a regular file, is refused.
std::optional<Existing> OpenExisting(const std::string& path) {
  Existing file;
  Fd fd(open(path.c_str(), O_RDWR | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
  if (fd.get() < 0) {
    if (errno == ENOENT) return file;
    return std::nullopt;
  }
  if (fstat(fd.get(), &file.st) != 0 || !S_ISREG(file.st.st_mode)) return std::nullopt;
  auto bytes = ReadAll(fd.get());
  if (!bytes) return std::nullopt;
  file.exists = true;
  file.bytes = std::move(*bytes);
  return file;
}

// Writes the new bytes to a fresh file beside the old one and renames it into place.
bool Replace(int dirFd, const std::string& base, const Existing& old, const Splice& splice) {
  const std::string temp = "." + base + std::string(kTempTag) + std::to_string(getpid());
  Fd fd(openat(dirFd, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (fd.get() < 0) return false;
  const std::string_view bytes = old.bytes;
  bool ok = WriteAll(fd.get(), bytes.substr(0, splice.begin)) &&
            WriteAll(fd.get(), splice.insert) && WriteAll(fd.get(), bytes.substr(splice.end));
  if (ok && old.exists) {
    ok = fchmod(fd.get(), old.st.st_mode & 07777) == 0;
    struct stat now {};
    ok = ok && fstat(fd.get(), &now) == 0;
    if (ok && (now.st_uid != old.st.st_uid || now.st_gid != old.st.st_gid)) {
      ok = fchown(fd.get(), old.st.st_uid, old.st.st_gid) == 0 &&
           fchmod(fd.get(), old.st.st_mode & 07777) == 0;
    }
  }
  ok = ok && fsync(fd.get()) == 0;
  ok = close(fd.release()) == 0 && ok;
  ok = ok && renameat(dirFd, temp.c_str(), dirFd, base.c_str()) == 0;
  if (!ok) {
    unlinkat(dirFd, temp.c_str(), 0);
    return false;
  }
  fsync(dirFd);
  return true;
}

}  // namespace

std::optional<std::string> ReadFileBytes(const std::string& path) {
  Fd fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat st {};
  if (fd.get() < 0 || fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return ReadAll(fd.get());
}

int UpdateFile(const std::string& path, const std::function<Splice(std::string_view)>& change) {
  const auto target = ResolveLinks(path);
  if (!target) return errno != 0 ? errno : ELOOP;
  const Fd dir = LockDirectory(DirName(*target));
  if (dir.get() < 0) return errno;
  const std::string base = BaseName(*target);
  RemoveStaleTemporaries(dir.get(), base);
  const auto old = OpenExisting(*target);
  if (!old) return errno != 0 ? errno : EINVAL;
  const Splice splice = change(old->bytes);
  if (splice.outcome == SpliceOutcome::Unchanged) return 0;
  if (splice.outcome == SpliceOutcome::Refused) return EILSEQ;
  return Replace(dir.get(), base, *old, splice) ? 0 : errno;
}

}  // namespace tavrel::profile
