#include <dirent.h>
#include <fcntl.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "profile/posix/write_steps.h"

namespace tavrel::profile {
namespace {

const std::string_view kJournal = "journal";

// Puts `old` back as the whole file; errno set when it could not.
bool Restore(int fd, std::string_view old) {
  return WriteParts(fd, 0, {old}) && ftruncate(fd, static_cast<off_t>(old.size())) == 0 &&
         fsync(fd) == 0;
}

bool IsTemporary(const std::string& name, const char* entry) {
  const std::string prefix = SideName(name, "");
  const std::string_view rest = std::string_view(entry).substr(0, prefix.size()) == prefix
                                    ? std::string_view(entry).substr(prefix.size())
                                    : std::string_view();
  return !rest.empty() && rest.find_first_not_of("0123456789") == std::string_view::npos;
}

// Temporary files of killed writers that belong to this user; the lock keeps out live ones.
void RemoveStaleTemporaries(const OpenFile& file) {
  const int copy = dup(file.dir);
  DIR* dir = copy < 0 ? nullptr : fdopendir(copy);
  if (dir == nullptr) {
    if (copy >= 0) close(copy);
    return;
  }
  while (const dirent* entry = readdir(dir)) {
    struct stat st {};
    if (IsTemporary(file.name, entry->d_name) &&
        fstatat(file.dir, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
        st.st_uid == geteuid()) {
      unlinkat(file.dir, entry->d_name, 0);
    }
  }
  closedir(dir);
}

}  // namespace

int RewriteInPlace(const OpenFile& file, std::string_view bytes, const Splice& splice) {
  // Another name of a file in a directory others may write could be anyone's file.
  struct stat dir {};
  if (file.st.st_nlink > 1 && geteuid() == 0 && (fstat(file.dir, &dir) != 0 || dir.st_mode & 022)) {
    return EPERM;
  }
  // The journal appears whole or not at all: written under a temporary name, then renamed.
  const std::string temp = SideName(file.name, std::to_string(getpid()));
  const std::string journal = SideName(file.name, kJournal);
  Fd copy(
      openat(file.dir, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (copy.get() < 0) return errno;
  if (!WriteParts(copy.get(), 0, {bytes}) || fsync(copy.get()) != 0 ||
      renameat(file.dir, temp.c_str(), file.dir, journal.c_str()) != 0 || fsync(file.dir) != 0) {
    const int error = errno;
    unlinkat(file.dir, temp.c_str(), 0);
    return error;
  }
  const std::size_t size = splice.begin + splice.insert.size() + (bytes.size() - splice.end);
  if (!WriteParts(file.fd, static_cast<off_t>(splice.begin),
                  {splice.insert, bytes.substr(splice.end)}) ||
      ftruncate(file.fd, static_cast<off_t>(size)) != 0 || fsync(file.fd) != 0) {
    const int error = errno;
    // Left for the next run when even the old bytes cannot be put back now.
    if (Restore(file.fd, bytes)) unlinkat(file.dir, journal.c_str(), 0);
    return error;
  }
  // A journal left behind would put the old bytes back on the next run: no success then.
  if (unlinkat(file.dir, journal.c_str(), 0) != 0) return errno;
  fsync(file.dir);
  return 0;
}

int Recover(const OpenFile& file) {
  RemoveStaleTemporaries(file);
  const std::string journal = SideName(file.name, kJournal);
  Fd fd(openat(file.dir, journal.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0) return errno == ENOENT ? 0 : errno;
  struct stat st {};
  if (fstat(fd.get(), &st) != 0) return errno;
  // Ours has one name: another is a link someone made to a file of this user's.
  if (!S_ISREG(st.st_mode) || st.st_uid != geteuid() || st.st_nlink != 1) return EPERM;
  std::string old(static_cast<std::size_t>(st.st_size), '\0');
  if (pread(fd.get(), old.data(), old.size(), 0) != st.st_size) return EIO;
  if (!Restore(file.fd, old)) return errno;
  unlinkat(file.dir, journal.c_str(), 0);
  fsync(file.dir);
  return 0;
}

}  // namespace tavrel::profile
