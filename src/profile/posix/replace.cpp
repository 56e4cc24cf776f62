#include <fcntl.h>

#include <cerrno>
#include <string>

#include "profile/posix/commit.h"
#include "profile/posix/file_metadata.h"
#include "profile/posix/hold.h"

namespace tavrel::profile {
namespace {

// Fills the new file: its metadata first, so that nobody else may open it before it is as
// closed as the old one; checked again after the data, since a write by someone without
// CAP_FSETID clears setuid bits. EPERM when it cannot carry them.
int Fill(const Target& file, int fd, std::string_view bytes, const Splice& splice) {
  if (CopyMetadata(file.fd.get(), file.st, fd) != 0) return EPERM;
  if (const int error = WriteAll(
          fd, 0, {bytes.substr(0, splice.begin), splice.insert, bytes.substr(splice.end)})) {
    return error;
  }
  if (fsync(fd) != 0) return errno;
  const bool carried =
      SameMetadata(file.fd.get(), file.st, fd) ||
      (CopyMetadata(file.fd.get(), file.st, fd) == 0 && SameMetadata(file.fd.get(), file.st, fd));
  return carried ? 0 : EPERM;
}

}  // namespace

int Replace(Target& file, std::string_view bytes, const Splice& splice) {
  // A new file would part a hard link from the file's other names.
  if (file.st.st_nlink != 1) return EMLINK;
  int dir = -1;
  if (const int error = file.Listable(&dir)) return error;
  const std::string temp = SideName(file.name, std::to_string(getpid()));
  const Fd fd(
      OpenHere(dir, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (fd.get() < 0) return errno;
  int result = Fill(file, fd.get(), bytes, splice);
  if (result == 0) result = StillAsRead(&file, bytes, splice.begin, splice.end);
  if (result == 0 && renameat(dir, temp.c_str(), dir, file.name.c_str()) != 0) result = errno;
  if (result != 0) {
    unlinkat(dir, temp.c_str(), 0);
    return result;
  }
  return fsync(dir) == 0 ? 0 : errno;
}

}  // namespace tavrel::profile
