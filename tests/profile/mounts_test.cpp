// Whom a mount was made for, by its line of /proc/self/mountinfo and utab: one row a rule.
#include "profile/posix/mounts.h"

#include <gtest/gtest.h>

#include <string>

namespace tavrel::profile {
namespace {

struct Row {
  const char* name;
  const char* fields;  // "TARGET OPTIONS - TYPE SOURCE SUPER"
  const char* utab;
  std::string mounter;  // "uid N", "user NAME", "unknown"
};

std::string Told(const Mounter& m) {
  if (m.unknown) return "unknown";
  return m.user.empty() ? "uid " + std::to_string(m.uid) : "user " + m.user;
}

TEST(Mounts, TellWhomAMountWasMadeFor) {
  const Row rows[] = {
      {"fuse_of_a_user", "/m rw,nosuid - fuse.bindfs /h rw,user_id=1000,group_id=1000", "",
       "uid 1000"},
      {"fuse_without_user_id", "/m rw - fuse /h rw,allow_other", "", "unknown"},
      {"fuseblk_of_roots", "/m rw - fuseblk /dev/sdb1 rw,user_id=0,group_id=0", "", "uid 0"},
      {"vfat_for_a_user", "/m rw - vfat /dev/sdc1 rw,uid=1000,gid=1000,fmask=0022", "", "uid 1000"},
      {"tmpfs_for_root", "/m rw - tmpfs t rw,uid=0", "", "uid 0"},
      {"fstab_user_mount", "/mnt/usb rw,nosuid - ext4 /dev/sdd1 rw",
       "SRC=/dev/sdd1 TARGET=/mnt/usb ROOT=/ OPTS=user=alice", "user alice"},
      {"utab_by_mount_id", "/mnt/usb rw - ext4 /dev/sdd1 rw",
       "ID=42 SRC=/dev/sdd1 TARGET=/other OPTS=user=bob\nID=7 TARGET=/mnt/usb OPTS=user=eve",
       "user bob"},
      {"udisks_media", "/media/carol/IMG rw,nosuid - ext4 /dev/loop0 rw",
       "SRC=/dev/loop0 TARGET=/media/carol/IMG ROOT=/ OPTS=uhelper=udisks2", "user carol"},
      {"udisks_elsewhere", "/srv/IMG rw - ext4 /dev/loop0 rw",
       "SRC=/dev/loop0 TARGET=/srv/IMG ROOT=/ OPTS=uhelper=udisks2", "unknown"},
      {"roots_own", "/home rw,relatime - ext4 /dev/sda2 rw", "", "uid 0"},
      {"not_a_line", "", "", "unknown"},
  };
  for (const Row& row : rows) {
    const std::string line = *row.fields != '\0' ? "42 26 0:50 / " + std::string(row.fields) : "";
    EXPECT_EQ(Told(MounterOf(line, row.utab)), row.mounter) << row.name;
  }
}

}  // namespace
}  // namespace tavrel::profile
