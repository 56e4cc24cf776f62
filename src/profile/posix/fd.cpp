#include "profile/posix/fd.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>

#include <cerrno>

namespace tavrel::profile {

bool SameLook(const struct stat& a, const struct stat& b) {
  return SameInode(a, b) && a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
         a.st_mtim.tv_nsec == b.st_mtim.tv_nsec && a.st_ctim.tv_sec == b.st_ctim.tv_sec &&
         a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

int LookAt(int dir, const char* name, int flags, struct stat* st, std::uint64_t* mount) {
  struct statx x {};
  if (statx(dir, name, flags, STATX_BASIC_STATS | STATX_MNT_ID, &x) != 0) return errno;
  *st = {};
  st->st_dev = makedev(x.stx_dev_major, x.stx_dev_minor);
  st->st_ino = x.stx_ino;
  st->st_mode = x.stx_mode;
  st->st_nlink = x.stx_nlink;
  st->st_uid = x.stx_uid;
  st->st_gid = x.stx_gid;
  st->st_rdev = makedev(x.stx_rdev_major, x.stx_rdev_minor);
  st->st_size = static_cast<off_t>(x.stx_size);
  st->st_blksize = static_cast<blksize_t>(x.stx_blksize);
  st->st_blocks = static_cast<blkcnt_t>(x.stx_blocks);
  st->st_atim = {x.stx_atime.tv_sec, x.stx_atime.tv_nsec};
  st->st_mtim = {x.stx_mtime.tv_sec, x.stx_mtime.tv_nsec};
  st->st_ctim = {x.stx_ctime.tv_sec, x.stx_ctime.tv_nsec};
  // Kernels before 5.8 give no mount id: a change of device tells most crossings there.
  *mount = (x.stx_mask & STATX_MNT_ID) != 0 ? x.stx_mnt_id : (1ULL << 63) | st->st_dev;
  return 0;
}

int LookCached(int dir, const char* name, struct stat* st) {
  std::uint64_t mount = 0;
  return LookAt(dir, name, AT_SYMLINK_NOFOLLOW | AT_STATX_DONT_SYNC, st, &mount);
}

int OpenHere(int dir, const char* name, int flags, mode_t mode) {
  open_how how{};
  how.flags = static_cast<__u64>(static_cast<unsigned>(flags));
  how.mode = (flags & O_CREAT) != 0 ? mode : 0;
  how.resolve = RESOLVE_NO_XDEV;
  const long fd = syscall(SYS_openat2, dir, name, &how, sizeof how);
  if (fd < 0 && errno == ENOSYS) return openat(dir, name, flags, mode);
  return static_cast<int>(fd);
}

int ReadAll(int fd, std::size_t size, FileBytes* bytes) {
  bytes->data.reset(new char[size]);  // NOLINT: not value-initialized, on purpose
  bytes->size = 0;
  while (bytes->size < size) {
    const ssize_t n = pread(fd, bytes->data.get() + bytes->size, size - bytes->size,
                            static_cast<off_t>(bytes->size));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return kChangedWhileRead;
    bytes->size += static_cast<std::size_t>(n);
  }
  return 0;
}

int ReadSmallFile(const char* path, std::string* text) {
  const Fd fd(open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY));
  if (fd.get() < 0) return errno;
  text->clear();
  char buffer[16384];
  for (;;) {
    const ssize_t n = read(fd.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return 0;
    text->append(buffer, static_cast<std::size_t>(n));
  }
}

int WriteAll(int fd, off_t at, std::initializer_list<std::string_view> parts) {
  for (std::string_view part : parts) {
    while (!part.empty()) {
      const ssize_t n = pwrite(fd, part.data(), part.size(), at);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return errno;
      if (n == 0) return EIO;
      part.remove_prefix(static_cast<std::size_t>(n));
      at += n;
    }
  }
  return 0;
}

}  // namespace tavrel::profile
