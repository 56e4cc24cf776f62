#include "profile/posix/rights.h"

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdio>

namespace tavrel::profile {
namespace {

// The group bits count even for root's group: under an ACL they are its mask, the most that
// any user or group it names may do.
bool OthersMayWrite(const struct stat& dir) { return (dir.st_mode & (S_IWOTH | S_IWGRP)) != 0; }

// The group of files whose group has no name here (65534 unless the kernel says otherwise).
gid_t OverflowGid() {
  unsigned gid = 65534;
  if (std::FILE* f = std::fopen("/proc/sys/kernel/overflowgid", "re")) {
    if (std::fscanf(f, "%u", &gid) != 1) gid = 65534;
    std::fclose(f);
  }
  return static_cast<gid_t>(gid);
}

}  // namespace

Verdict WhoseRights(uid_t acting, const struct stat& dir, const struct stat* entry) {
  if (acting != 0) {
    return entry == nullptr || entry->st_uid == acting || entry->st_uid == 0 ? Verdict::Keep
                                                                             : Verdict::Refuse;
  }
  const bool shared = OthersMayWrite(dir);
  if (entry != nullptr && entry->st_uid != 0) {
    return S_ISDIR(entry->st_mode) || S_ISLNK(entry->st_mode) || shared ? Verdict::Become
                                                                        : Verdict::Keep;
  }
  if (!shared) return Verdict::Keep;
  if ((dir.st_mode & S_ISVTX) == 0) return Verdict::Refuse;
  const bool linked = entry != nullptr && S_ISREG(entry->st_mode) && entry->st_nlink > 1;
  return linked ? Verdict::Refuse : Verdict::Keep;
}

bool BecomeUser(uid_t uid) {
  gid_t gid = 0;
  if (const passwd* user = getpwuid(uid)) {
    gid = user->pw_gid;
    if (initgroups(user->pw_name, gid) != 0) return false;
  } else {
    gid = OverflowGid();
    if (setgroups(0, nullptr) != 0) return false;
  }
  return setresgid(gid, gid, gid) == 0 && setresuid(uid, uid, uid) == 0;
}

}  // namespace tavrel::profile
