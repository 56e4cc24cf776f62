#include "profile/posix/file_metadata.h"

#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <string>

namespace tavrel::profile {
namespace {

using Attributes = std::map<std::string, std::string>;

// Every extended attribute this user can see; nothing when they cannot be listed.
bool ListAttributes(int fd, Attributes* out) {
  const ssize_t size = flistxattr(fd, nullptr, 0);
  if (size < 0) return errno == ENOTSUP;
  std::string names(static_cast<std::size_t>(size), '\0');
  const ssize_t got = flistxattr(fd, names.data(), names.size());
  if (got < 0) return false;
  names.resize(static_cast<std::size_t>(got));
  for (std::size_t at = 0; at < names.size(); at = names.find('\0', at) + 1) {
    const std::string name = names.c_str() + at;
    const ssize_t length = fgetxattr(fd, name.c_str(), nullptr, 0);
    if (length < 0) return false;
    std::string value(static_cast<std::size_t>(length), '\0');
    const ssize_t read = fgetxattr(fd, name.c_str(), value.data(), value.size());
    if (read < 0) return false;
    value.resize(static_cast<std::size_t>(read));
    (*out)[name] = std::move(value);
  }
  return true;
}

bool SameOwnerAndMode(int fd, const struct stat& st) {
  struct stat now {};
  return fstat(fd, &now) == 0 && now.st_uid == st.st_uid && now.st_gid == st.st_gid &&
         (now.st_mode & 07777) == (st.st_mode & 07777);
}

}  // namespace

bool CopyMetadata(int from, const struct stat& st, int to) {
  Attributes want;
  Attributes have;
  if (!ListAttributes(from, &want) || !ListAttributes(to, &have)) return false;
  // An ACL inherited from the directory goes first, so that the mode set next is exact.
  for (const auto& [name, value] : have) {
    if (want.count(name) == 0 && fremovexattr(to, name.c_str()) != 0) return false;
  }
  // A change of owner clears the setuid and setgid bits, so the mode follows it.
  struct stat now {};
  if (fstat(to, &now) != 0) return false;
  if ((now.st_uid != st.st_uid || now.st_gid != st.st_gid) &&
      fchown(to, st.st_uid, st.st_gid) != 0) {
    return false;
  }
  if (fchmod(to, st.st_mode & 07777) != 0) return false;
  // The ACL's mask then equals the group bits just set, as it did on the old file.
  for (const auto& [name, value] : want) {
    if (fsetxattr(to, name.c_str(), value.data(), value.size(), 0) != 0) return false;
  }
  return SameOwnerAndMode(to, st);
}

bool SameMetadata(int from, const struct stat& st, int to) {
  Attributes a;
  Attributes b;
  return SameOwnerAndMode(to, st) && ListAttributes(from, &a) && ListAttributes(to, &b) && a == b;
}

}  // namespace tavrel::profile
