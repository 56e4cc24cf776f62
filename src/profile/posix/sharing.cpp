// Who besides its owner may write a directory, by its mode bits, its ACL and the members
// of the groups they name.
#include <grp.h>
#include <pwd.h>
#include <sys/xattr.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "profile/posix/rights.h"

namespace tavrel::profile {
namespace {

// The kernel's form of system.posix_acl_access: a version, then (tag, perm, id) entries.
constexpr std::uint32_t kAclVersion = 2;
constexpr std::uint16_t kAclUser = 0x02, kAclGroupObj = 0x04, kAclGroup = 0x08;
constexpr std::uint16_t kAclWrite = 0x02;
constexpr std::size_t kAclEntries = 64;

struct AclEntry {
  std::uint16_t tag;
  std::uint16_t perm;
  std::uint32_t id;
};

// Whether the group `gid` provably holds `owner` alone: it is the owner's own group (the
// account's primary group, named after it), no line of the group database with that gid
// names anyone else (a second line with the same gid counts as much as the first), and no
// other account has it as its own. Databases that cannot be listed whole (LDAP or SSSD
// without enumeration) prove nothing: the owner's account and group must be among what
// they list.
bool HoldsOwnerAlone(gid_t gid, uid_t owner) {
  const passwd* account = getpwuid(owner);
  if (account == nullptr || account->pw_gid != gid) return false;
  const std::string name = account->pw_name;
  bool named = false, alone = true;
  setgrent();
  while (const group* line = getgrent()) {
    if (line->gr_gid != gid) continue;
    named = named || name == line->gr_name;
    for (char** member = line->gr_mem; *member != nullptr; ++member)
      alone = alone && name == *member;
  }
  endgrent();
  bool listed = false;
  setpwent();
  while (const passwd* other = getpwent()) {
    listed = listed || other->pw_uid == owner;
    alone = alone && (other->pw_gid != gid || other->pw_uid == owner);
  }
  endpwent();
  return named && listed && alone;
}

}  // namespace

bool OthersMayWrite(int dir, const struct stat& st) {
  if ((st.st_mode & S_IWOTH) != 0) return true;
  // Under an ACL the group bits are its mask: without them no entry it names may write.
  if ((st.st_mode & S_IWGRP) == 0) return false;
  struct {
    std::uint32_t version;
    AclEntry entries[kAclEntries];
  } acl{};
  char path[32];
  std::snprintf(path, sizeof path, "/proc/self/fd/%d", dir);
  const ssize_t size = getxattr(path, "system.posix_acl_access", &acl, sizeof acl);
  if (size < 0) {
    return errno == ENODATA || errno == ENOTSUP ? !HoldsOwnerAlone(st.st_gid, st.st_uid) : true;
  }
  const auto count = (static_cast<std::size_t>(size) - sizeof acl.version) / sizeof(AclEntry);
  if (static_cast<std::size_t>(size) < sizeof acl.version || acl.version != kAclVersion)
    return true;
  for (std::size_t i = 0; i < count; ++i) {
    const AclEntry& entry = acl.entries[i];
    if ((entry.perm & kAclWrite) == 0) continue;
    if (entry.tag == kAclUser && entry.id != st.st_uid) return true;
    if (entry.tag == kAclGroupObj && !HoldsOwnerAlone(st.st_gid, st.st_uid)) return true;
    if (entry.tag == kAclGroup && !HoldsOwnerAlone(entry.id, st.st_uid)) return true;
  }
  return false;
}

}  // namespace tavrel::profile
