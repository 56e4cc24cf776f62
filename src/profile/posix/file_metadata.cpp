#include "profile/posix/file_metadata.h"

#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <string>

namespace tavrel::profile {
namespace {

using Attributes = std::map<std::string, std::string>;

// Every extended attribute this user can see; none where the file system has none.
int ListAttributes(int fd, Attributes* out) {
  const ssize_t size = flistxattr(fd, nullptr, 0);
  if (size < 0) return errno == ENOTSUP ? 0 : errno;
  std::string names(static_cast<std::size_t>(size), '\0');
  const ssize_t got = flistxattr(fd, names.data(), names.size());
  if (got < 0) return errno;
  names.resize(static_cast<std::size_t>(got));
  for (std::size_t at = 0; at < names.size(); at = names.find('\0', at) + 1) {
    const std::string name = names.c_str() + at;
    const ssize_t length = fgetxattr(fd, name.c_str(), nullptr, 0);
    if (length < 0) return errno;
    std::string value(static_cast<std::size_t>(length), '\0');
    const ssize_t read = fgetxattr(fd, name.c_str(), value.data(), value.size());
    if (read < 0) return errno;
    value.resize(static_cast<std::size_t>(read));
    (*out)[name] = std::move(value);
  }
  return 0;
}

bool SameOwnerAndMode(int fd, const struct stat& st) {
  struct stat now {};
  return fstat(fd, &now) == 0 && now.st_uid == st.st_uid && now.st_gid == st.st_gid &&
         (now.st_mode & 07777) == (st.st_mode & 07777);
}

}  // namespace

int CopyMetadata(int from, const struct stat& st, int to) {
  Attributes want;
  Attributes have;
  if (const int error = ListAttributes(from, &want)) return error;
  if (const int error = ListAttributes(to, &have)) return error;
  // An ACL inherited from the directory goes first, so that the mode set next is exact.
  for (const auto& [name, value] : have) {
    if (want.count(name) == 0 && fremovexattr(to, name.c_str()) != 0) return errno;
  }
  // A change of owner clears the setuid and setgid bits, so the mode follows it.
  struct stat now {};
  if (fstat(to, &now) != 0) return errno;
  if ((now.st_uid != st.st_uid || now.st_gid != st.st_gid) &&
      fchown(to, st.st_uid, st.st_gid) != 0) {
    return errno;
  }
  if (fchmod(to, st.st_mode & 07777) != 0) return errno;
  // The ACL's mask then equals the group bits just set, as it did on the old file.
  for (const auto& [name, value] : want) {
    if (fsetxattr(to, name.c_str(), value.data(), value.size(), 0) != 0) return errno;
  }
  return SameOwnerAndMode(to, st) ? 0 : EPERM;
}

bool SameMetadata(int from, const struct stat& st, int to) {
  Attributes a;
  Attributes b;
  return SameOwnerAndMode(to, st) && ListAttributes(from, &a) == 0 && ListAttributes(to, &b) == 0 &&
         a == b;
}

}  // namespace tavrel::profile
