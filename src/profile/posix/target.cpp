#include "profile/posix/target.h"

#include <fcntl.h>

#include <cerrno>
#include <thread>

namespace tavrel::profile {
namespace {

constexpr int kLooks = 3;
constexpr mode_t kNewFileMode = 0666;
constexpr auto kRetry = std::chrono::milliseconds(1);

// What may be opened of what stands at the name.
int Openable(const Place& place, const struct stat& seen, int access) {
  if (S_ISDIR(seen.st_mode)) return EISDIR;
  if (!S_ISREG(seen.st_mode)) return EINVAL;
  if (!place.Allows(seen)) return kRefused;
  if (access != O_RDONLY && (seen.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    return kReadOnlyFile;
  }
  return seen.st_size > kMaxFileSize ? EFBIG : 0;
}

}  // namespace

int Target::Listable(int* listable) {
  if (listable_.get() < 0) {
    listable_.reset(openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (listable_.get() < 0) return errno;
  }
  *listable = listable_.get();
  return 0;
}

int OpenTarget(const Place& place, int access, Target* file) {
  file->dir = place.dir;
  file->name = place.name;
  file->access = access;
  const char* name = place.name.c_str();
  // The walk has just looked at it; after a miss, look again at what stands there now.
  struct stat seen = place.st;
  bool missing = !place.exists;
  for (int look = 1;; ++look) {
    if (missing && access == O_RDONLY) return ENOENT;
    if (!missing) {
      if (const int refused = Openable(place, seen, access)) return refused;
    }
    const int flags =
        access | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | (missing ? O_CREAT | O_EXCL : 0);
    int fd = -1;
    // EWOULDBLOCK: a lease that another holds; the kernel takes it back within a while.
    while ((fd = OpenHere(place.dir, name, flags, kNewFileMode)) < 0 && errno == EWOULDBLOCK &&
           Deadline::MsUntil(place.deadline.work()) > 0) {
      std::this_thread::sleep_for(kRetry);
    }
    if (fd < 0 && errno == EWOULDBLOCK) return ETIMEDOUT;
    // Something mounted on the name since the walk: not the file it judged.
    if (fd < 0 && errno == EXDEV) return kRefused;
    // Made, removed or made a link since it was looked at: a miss.
    const bool miss = fd < 0 && (errno == EEXIST || errno == ENOENT || errno == ELOOP);
    if (fd < 0 && !miss) return errno;
    if (fd >= 0) {
      file->fd.reset(fd);
      // Held before it is looked at, so that what is seen stays true (see hold.h).
      file->leased = fcntl(fd, F_SETLEASE, access == O_RDONLY ? F_RDLCK : F_WRLCK) == 0;
      file->busy = !file->leased && errno == EAGAIN;
      if (fstat(fd, &file->st) != 0) return errno;
      file->created = missing;
      const bool replaced = file->leased && file->st.st_nlink == 0;
      if (missing || (SameInode(seen, file->st) && !replaced)) {
        // The walk looked at what the kernel held: what is open decides, as it is now.
        const int refused = missing ? 0 : Openable(place, file->st, access);
        if (refused != 0) file->fd.reset();
        return refused;
      }
      file->fd.reset();  // with its lease, which would hold off our own next open
    }
    if (look == kLooks) return kChangedWhileRead;
    const int error = LookCached(place.dir, name, &seen);
    missing = error != 0;
    if (missing && error != ENOENT) return error;
  }
}

int ReadTarget(Target* file, FileBytes* bytes) {
  // Under a lease nothing has changed it since it was held; without, look at it now.
  if (!file->leased && fstat(file->fd.get(), &file->st) != 0) return errno;
  const struct stat& before = file->st;
  if (before.st_size > kMaxFileSize) return EFBIG;
  if (const int error = ReadAll(file->fd.get(), static_cast<std::size_t>(before.st_size), bytes)) {
    return error;
  }
  if (file->leased) return 0;
  struct stat after {};
  if (fstat(file->fd.get(), &after) != 0) return errno;
  return SameLook(before, after) ? 0 : kChangedWhileRead;
}

int StillNamed(const Target& file) {
  struct stat named {};
  if (LookCached(file.dir, file.name.c_str(), &named) == 0 && SameInode(named, file.st)) {
    return 0;
  }
  return kChangedWhileRead;
}

}  // namespace tavrel::profile
