// Keeping other writers out while a run reads and changes win.ini.
//
// First, a lease on the open file (F_SETLEASE): the kernel grants it only while nobody
// else has the file open, and while it is held every other open or truncate of the file
// waits until the holder closes it. A program that rewrites win.ini without any lock
// (Wine's profile flush: open, truncate, write, close) then can neither be read half-way
// nor change the file between our read and our write, and two runs of ours keep apart.
// Only the file's owner or root may take one, and some file systems grant none; a file
// that stays open elsewhere (a reader that keeps it open) is waited for a second at most.
// Without a lease, a write takes the lock file beside win.ini, which keeps our own runs
// apart, and checks just before it writes that the file is still as it was read. A lease
// holds only until the kernel breaks it (another open waits lease-break-time at most):
// before each write the run asks whether it still holds, and once it is being broken goes
// on under the checks without a lease.
#pragma once

#include <string>
#include <string_view>

#include "profile/posix/fd.h"
#include "profile/posix/target.h"
#include "profile/posix/walk.h"

namespace tavrel::profile {

// Opens the file with a lease (see OpenTarget). While others have it open it closes it and
// tries again, for a second at most, so that runs waiting for a lease never keep each
// other from one; then, or where none can be had, it goes on without (file->leased).
int OpenHeld(const Place& place, int access, Target* file);

// A write lock (F_OFD_SETLK) on ".win.ini.tavrel-lock" beside win.ini, held while the lock
// file has that name, and the name removed when the write is done. It is created for its
// owner only (mode 0200), so that no other user can open it, let alone lock it; an
// existing one is used only when it is this user's regular file with one name, and nothing
// of it is ever changed. Another user's lock file is their write in progress: waited for.
class LockFile {
 public:
  explicit LockFile(const Place& place) : dir_(place.dir), name_(SideName(place.name, "lock")) {}
  LockFile(const LockFile&) = delete;
  LockFile& operator=(const LockFile&) = delete;
  ~LockFile();

  // 0 when held. Otherwise why not: EACCES or EROFS when no lock file can be made here (a
  // directory this user may not write), kRefused for one that is not ours to use, EBUSY
  // when another run holds it for 10 seconds, or until the deadline; `why` says which.
  int Take(const Deadline& deadline, std::string* why);

 private:
  int Open();

  int dir_;
  std::string name_;
  Fd fd_;
  struct stat held_ {};
};

// Whether the lease on the file still holds: false once the kernel is breaking it or has
// taken it back, and from then on the file counts as unleased (file->leased).
bool LeaseHolds(Target* file);

// Just before a write: whether the file is still as it was read. 0 at once under a lease
// that still holds; otherwise it must have the same look (fstat, file->st) and the same
// bytes around [begin, end). 0 or kChangedWhileRead.
int StillAsRead(Target* file, std::string_view bytes, std::size_t begin, std::size_t end);

// 0 under a lease that still holds, or where the file still looks as `look` (fstat, to the
// nanosecond): as read, or as this run's last write left it; else kChangedWhileRead.
int StillLooksAs(Target* file, const struct stat& look);

}  // namespace tavrel::profile
