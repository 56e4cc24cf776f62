// Descriptors and a file's bytes: what every phase of a read or a write stands on. Every
// function here returns 0 or an error number.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "profile/posix/answer.h"

namespace tavrel::profile {

// Files larger than this are refused (EFBIG): far above any real win.ini, below what a
// sparse file could make a run read into memory or write to the disk.
constexpr long long kMaxFileSize = 256LL << 20;

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  Fd(Fd&& other) noexcept : fd_(other.release()) {}
  Fd& operator=(Fd&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() { reset(); }
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }
  void reset(int fd = -1) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

inline bool SameInode(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// What stands at (`dir`, `name`), as fstatat with `flags` tells ("" and AT_EMPTY_PATH for
// `dir` itself), and the id of the mount it is on. 0 or an error number. With
// AT_STATX_DONT_SYNC it is what the kernel holds, and no file system is asked: the way to
// look at a name that something may be mounted on, whose server (a user's FUSE server)
// could hold a call for ever or answer what it likes.
int LookAt(int dir, const char* name, int flags, struct stat* st, std::uint64_t* mount);

// The look of the name (`dir`, `name`), not following a link, as the kernel holds it
// (LookAt with AT_STATX_DONT_SYNC): 0 or an error number.
int LookCached(int dir, const char* name, struct stat* st);

// Opens (`dir`, `name`) as openat does, but only on the directory's own mount: a name that
// something is mounted on fails with EXDEV, without the mounted file system being asked
// anything. A kernel without openat2 (before 5.6) opens it plainly. The descriptor, or -1
// with errno.
int OpenHere(int dir, const char* name, int flags, mode_t mode = 0);

// Whether a file still looks as it did: the same inode, size and times of its last
// change, to the nanosecond.
bool SameLook(const struct stat& a, const struct stat& b);

// ".win.ini.tavrel-" followed by a process id (a temporary file), "journal" or "lock".
inline std::string SideName(const std::string& name, std::string_view what) {
  return "." + name + ".tavrel-" + std::string(what);
}

// A file's bytes in a buffer that is not filled first: a large file costs one copy.
struct FileBytes {
  std::unique_ptr<char[]> data;
  std::size_t size = 0;
  operator std::string_view() const { return {data.get(), size}; }  // NOLINT: a view of it
};

// The `size` bytes that fstat gave for the file; kChangedWhileRead when fewer came (someone
// cut the file meanwhile).
int ReadAll(int fd, std::size_t size, FileBytes* bytes);

// The whole of a small file of the system's (under /proc or /run), read by its path.
int ReadSmallFile(const char* path, std::string* text);

// Writes the parts one after another from offset `at`, each whole.
int WriteAll(int fd, off_t at, std::initializer_list<std::string_view> parts);

}  // namespace tavrel::profile
