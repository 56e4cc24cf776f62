#include <fcntl.h>

#include <cerrno>
#include <string>

#include "profile/posix/file_metadata.h"
#include "profile/posix/write_steps.h"

namespace tavrel::profile {

bool WriteParts(int fd, off_t at, std::initializer_list<std::string_view> parts) {
  for (std::string_view part : parts) {
    while (!part.empty()) {
      const ssize_t n = pwrite(fd, part.data(), part.size(), at);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        if (n == 0) errno = EIO;
        return false;
      }
      part.remove_prefix(static_cast<std::size_t>(n));
      at += n;
    }
  }
  return true;
}

int ReadWhole(int fd, long long limit, FileBytes* bytes) {
  struct stat st {};
  if (fstat(fd, &st) != 0) return errno;
  if (st.st_size > limit) return EFBIG;
  const auto size = static_cast<std::size_t>(st.st_size);
  bytes->data.reset(new char[size]);  // NOLINT: not value-initialized, on purpose
  bytes->size = 0;
  while (bytes->size < size) {
    const ssize_t n = pread(fd, bytes->data.get() + bytes->size, size - bytes->size,
                            static_cast<off_t>(bytes->size));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) break;
    bytes->size += static_cast<std::size_t>(n);
  }
  return 0;
}

int Overwrite(const OpenFile& file, std::string_view bytes, const Splice& splice) {
  std::string_view now = bytes.substr(splice.begin, splice.end - splice.begin);
  std::string_view want = splice.insert;
  std::size_t first = 0;
  while (first < want.size() && want[first] == now[first]) ++first;
  std::size_t last = want.size();
  while (last > first && want[last - 1] == now[last - 1]) --last;
  const auto at = static_cast<off_t>(splice.begin + first);
  if (!WriteParts(file.fd, at, {want.substr(first, last - first)}) || fdatasync(file.fd) != 0) {
    return errno;
  }
  return 0;
}

namespace {

// Fills the new file: its metadata first, so nobody else may open it before it is as
// closed as the old one; checked again after the data, since a write by someone without
// CAP_FSETID clears setuid bits.
int Fill(const OpenFile& file, int fd, std::string_view bytes, const Splice& splice,
         bool* carried) {
  *carried = CopyMetadata(file.fd, file.st, fd);
  if (!*carried) return 0;
  if (!WriteParts(fd, 0,
                  {bytes.substr(0, splice.begin), splice.insert, bytes.substr(splice.end)}) ||
      fsync(fd) != 0) {
    return errno;
  }
  *carried = SameMetadata(file.fd, file.st, fd) ||
             (CopyMetadata(file.fd, file.st, fd) && SameMetadata(file.fd, file.st, fd));
  return 0;
}

}  // namespace

int Replace(const OpenFile& file, std::string_view bytes, const Splice& splice, bool* carried) {
  // A new file would part a hard link from the file's other names.
  *carried = file.st.st_nlink == 1;
  if (!*carried) return 0;
  const std::string temp = SideName(file.name, std::to_string(getpid()));
  Fd fd(openat(file.dir, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (fd.get() < 0) return errno;
  int result = Fill(file, fd.get(), bytes, splice, carried);
  if (result == 0 && *carried &&
      renameat(file.dir, temp.c_str(), file.dir, file.name.c_str()) != 0) {
    result = errno;
  }
  if (result != 0 || !*carried) {
    unlinkat(file.dir, temp.c_str(), 0);
    return result;
  }
  fsync(file.dir);
  return 0;
}

}  // namespace tavrel::profile
