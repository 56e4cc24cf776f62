// Who a mount was made for. The owners a file system reports are only as good as whoever
// supplies them: a FUSE server that a user runs, or an image a user brought, can claim that
// anything is root's. Below a mount made for a user, everything is that user's.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace tavrel::profile {

// Who a mount was made for, as its lines tell: `uid`, or, where only a name is known, the
// account `user`; `unknown` where they tell it is a user's but not whose.
struct Mounter {
  uid_t uid = 0;
  std::string user;
  bool unknown = false;
};

// From the mount's line of /proc/self/mountinfo and util-linux's utab (/run/mount/utab,
// empty where there is none): a FUSE mount is its user_id's; a mount with a uid= option is
// that uid's; one that utab marks user=NAME (fstab's user and users) is NAME's; one that
// udisks made (uhelper=udisks2) is the user its mount point names (/media/NAME/…,
// /run/media/NAME/…). Any other is root's.
Mounter MounterOf(std::string_view mountinfoLine, std::string_view utab);

// Who the mount `id` (statx's stx_mnt_id) was made for: 0 with `uid` set, or kRefused with
// `why` saying what could not be told (no /proc, a name without an account).
int MountOwner(std::uint64_t id, uid_t* uid, std::string* why);

}  // namespace tavrel::profile
