#include "profile/posix/fd.h"

#include <cerrno>

namespace tavrel::profile {

bool SameLook(const struct stat& a, const struct stat& b) {
  return SameInode(a, b) && a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
         a.st_mtim.tv_nsec == b.st_mtim.tv_nsec && a.st_ctim.tv_sec == b.st_ctim.tv_sec &&
         a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
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
