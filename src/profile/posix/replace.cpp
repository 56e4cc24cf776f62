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

namespace {

// Fills the new file: its metadata first, so nobody else may open it before it is as
// closed as the old one; checked again after the data, since a write by someone without
// CAP_FSETID clears setuid bits. 0, kCannotCarry or an error number.
int Fill(const OpenFile& file, int fd, std::string_view bytes, const Splice& splice) {
  if (!CopyMetadata(file.fd, file.st, fd)) return kCannotCarry;
  if (!WriteParts(fd, 0,
                  {bytes.substr(0, splice.begin), splice.insert, bytes.substr(splice.end)}) ||
      fsync(fd) != 0) {
    return errno;
  }
  const bool kept = SameMetadata(file.fd, file.st, fd) ||
                    (CopyMetadata(file.fd, file.st, fd) && SameMetadata(file.fd, file.st, fd));
  return kept ? 0 : kCannotCarry;
}

}  // namespace

int Replace(const OpenFile& file, std::string_view bytes, const Splice& splice) {
  // A new file would part a hard link from the file's other names.
  if (file.st.st_nlink > 1) return kCannotCarry;
  const std::string temp = SideName(file.name, std::to_string(getpid()));
  Fd fd(openat(file.dir, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (fd.get() < 0) return errno;
  int result = Fill(file, fd.get(), bytes, splice);
  if (result == 0 && renameat(file.dir, temp.c_str(), file.dir, file.name.c_str()) != 0) {
    result = errno;
  }
  if (result != 0) {
    unlinkat(file.dir, temp.c_str(), 0);
    return result;
  }
  fsync(file.dir);
  return 0;
}

}  // namespace tavrel::profile
