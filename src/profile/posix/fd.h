// A descriptor that closes itself, and the names a write keeps beside win.ini.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <string_view>
#include <utility>

namespace tavrel::profile {

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

// The file being changed, opened for writing and examined under the lock.
struct OpenFile {
  int dir = -1;
  std::string name;
  int fd = -1;
  struct stat st {};
};

// ".win.ini.tavrel-" followed by a process id (a temporary file), "journal" or "lock".
inline std::string SideName(const std::string& name, std::string_view what) {
  return "." + name + ".tavrel-" + std::string(what);
}

// Files larger than this are refused (EFBIG): far above any real win.ini, below what a
// sparse file could make a run read into memory or write to the disk.
constexpr long long kMaxFileSize = 256LL << 20;

// Symbolic links followed in a row before a path counts as a loop.
constexpr int kMaxLinks = 40;

inline bool SameInode(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace tavrel::profile
