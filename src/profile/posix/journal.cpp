#include <dirent.h>
#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "profile/posix/write_steps.h"

namespace tavrel::profile {
namespace {

const std::string_view kJournal = "journal";
// A journal: this line, then "BEGIN END LENGTH\n", the LENGTH bytes put at BEGIN in place
// of the bytes up to END, then the old file.
const std::string_view kMagic = "tavrel journal 1\n";

struct Journal {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::string_view insert;
  std::string_view old;
};

bool Parse(std::string_view bytes, Journal* j) {
  if (bytes.substr(0, kMagic.size()) != kMagic) return false;
  bytes.remove_prefix(kMagic.size());
  const std::size_t eol = bytes.find('\n');
  if (eol == std::string_view::npos || eol > 64) return false;
  const std::string line(bytes.substr(0, eol));
  unsigned long long begin = 0, end = 0, length = 0;
  char extra = 0;
  if (std::sscanf(line.c_str(), "%llu %llu %llu%c", &begin, &end, &length, &extra) != 3)
    return false;
  bytes.remove_prefix(eol + 1);
  if (length > bytes.size()) return false;
  j->insert = bytes.substr(0, length);
  j->old = bytes.substr(length);
  j->begin = begin;
  j->end = end;
  return begin <= end && end <= j->old.size();
}

// Whether `now` is a state the rewrite could have left: no longer than the longer version,
// no shorter than the shorter, and every byte the old version's or the new one's there.
bool CouldHaveLeft(std::string_view now, const Journal& j) {
  const std::string_view old = j.old;
  const std::size_t size = j.begin + j.insert.size() + (old.size() - j.end);
  if (now.size() < std::min(size, old.size()) || now.size() > std::max(size, old.size()))
    return false;
  if (now.substr(0, j.begin) != old.substr(0, j.begin)) return false;
  for (std::size_t i = j.begin; i < now.size(); ++i) {
    const std::size_t k = i - j.begin;
    const bool isOld = i < old.size() && now[i] == old[i];
    const bool isNew =
        i < size &&
        now[i] == (k < j.insert.size() ? j.insert[k] : old[j.end + k - j.insert.size()]);
    if (!isOld && !isNew) return false;
  }
  return true;
}

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

void Say(const char* line) {
  if (write(STDERR_FILENO, line, std::strlen(line)) < 0) {
    // Nothing more can be said.
  }
}

}  // namespace

int RewriteInPlace(const OpenFile& file, std::string_view bytes, const Splice& splice) {
  // The journal appears whole or not at all: written under a temporary name, then renamed.
  const std::string temp = SideName(file.name, std::to_string(getpid()));
  const std::string journal = SideName(file.name, kJournal);
  const std::string header = std::string(kMagic) + std::to_string(splice.begin) + ' ' +
                             std::to_string(splice.end) + ' ' +
                             std::to_string(splice.insert.size()) + '\n';
  Fd copy(
      openat(file.dir, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (copy.get() < 0) return errno;
  if (!WriteParts(copy.get(), 0, {header, splice.insert, bytes}) || fsync(copy.get()) != 0 ||
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

bool HasJournal(const OpenFile& file) {
  struct stat st {};
  return fstatat(file.dir, SideName(file.name, kJournal).c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
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
  FileBytes bytes;
  FileBytes now;
  if (const int error = ReadWhole(fd.get(), 2 * kMaxFileSize, &bytes)) return error;
  if (const int error = ReadWhole(file.fd, kMaxFileSize, &now)) return error;
  Journal j;
  if (!Parse(bytes, &j) || !CouldHaveLeft(now, j)) {
    Say("tavrel: win.ini was changed after an interrupted write: kept as it is, the journal of "
        "that write removed\n");
  } else if (std::string_view(now) != j.old && !Restore(file.fd, j.old)) {
    return errno;
  }
  if (unlinkat(file.dir, journal.c_str(), 0) != 0) return errno;
  fsync(file.dir);
  return 0;
}

}  // namespace tavrel::profile
