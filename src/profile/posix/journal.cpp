#include <dirent.h>
#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "profile/posix/commit.h"
#include "profile/posix/hold.h"

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

// Writes the parts from `at`, cuts the file to `size` and flushes it.
int Rewrite(int fd, off_t at, std::initializer_list<std::string_view> parts, std::size_t size) {
  if (const int error = WriteAll(fd, at, parts)) return error;
  if (ftruncate(fd, static_cast<off_t>(size)) != 0 || fsync(fd) != 0) return errno;
  return 0;
}

bool IsTemporary(const std::string& name, const char* entry) {
  const std::string prefix = SideName(name, "");
  const std::string_view rest = std::string_view(entry).substr(0, prefix.size()) == prefix
                                    ? std::string_view(entry).substr(prefix.size())
                                    : std::string_view();
  return !rest.empty() && rest.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

void RemoveStaleTemporaries(int dirFd, const std::string& name) {
  const int copy = dup(dirFd);
  DIR* dir = copy < 0 ? nullptr : fdopendir(copy);
  if (dir == nullptr) {
    if (copy >= 0) close(copy);
    return;
  }
  while (const dirent* entry = readdir(dir)) {
    struct stat st {};
    if (IsTemporary(name, entry->d_name) &&
        fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
        st.st_uid == geteuid()) {
      unlinkat(dirFd, entry->d_name, 0);
    }
  }
  closedir(dir);
}

namespace {

void Say(const char* line) {
  if (write(STDERR_FILENO, line, std::strlen(line)) < 0) {
    // Nothing more can be said.
  }
}

// The journal's advice, taken on the file as it is now.
int Replay(const Target& file, std::string_view journal) {
  struct stat st {};
  if (fstat(file.fd.get(), &st) != 0) return errno;
  FileBytes now;
  if (const int error = ReadAll(file.fd.get(), static_cast<std::size_t>(st.st_size), &now)) {
    return error;
  }
  Journal j;
  if (!Parse(journal, &j) || !CouldHaveLeft(now, j)) {
    Say("tavrel: win.ini was changed after an interrupted write: kept as it is, the journal of "
        "that write removed\n");
    return 0;
  }
  return std::string_view(now) == j.old ? 0 : Rewrite(file.fd.get(), 0, {j.old}, j.old.size());
}

}  // namespace

int RewriteInPlace(Target& file, std::string_view bytes, const Splice& splice) {
  int dir = -1;
  if (const int error = file.Listable(&dir)) return error;
  // The journal appears whole or not at all: written under a temporary name, then renamed.
  const std::string temp = SideName(file.name, std::to_string(getpid()));
  const std::string journal = SideName(file.name, kJournal);
  const std::string header = std::string(kMagic) + std::to_string(splice.begin) + ' ' +
                             std::to_string(splice.end) + ' ' +
                             std::to_string(splice.insert.size()) + '\n';
  const Fd copy(
      openat(dir, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (copy.get() < 0) return errno;
  int result = WriteAll(copy.get(), 0, {header, splice.insert, bytes});
  if (result == 0 && fsync(copy.get()) != 0) result = errno;
  if (result == 0 && renameat(dir, temp.c_str(), dir, journal.c_str()) != 0) result = errno;
  if (result != 0) {
    unlinkat(dir, temp.c_str(), 0);
    return result;
  }
  // From here the journal stands, and goes only once the file is whole: new, or old again.
  if (fsync(dir) != 0) result = errno;
  if (result == 0) result = StillAsRead(file, bytes, splice.begin, splice.end);
  const bool touched = result == 0;
  const std::size_t size = splice.begin + splice.insert.size() + (bytes.size() - splice.end);
  if (touched) {
    result = Rewrite(file.fd.get(), static_cast<off_t>(splice.begin),
                     {splice.insert, bytes.substr(splice.end)}, size);
  }
  if (result == 0 && unlinkat(dir, journal.c_str(), 0) != 0) result = errno;
  if (result == 0) return fsync(dir) == 0 ? 0 : errno;
  // A journal left beside the new bytes would put the old ones back on the next run: the
  // old bytes go back now (where this run wrote any), and the journal once they are there.
  if ((!touched || Rewrite(file.fd.get(), 0, {bytes}, bytes.size()) == 0) &&
      unlinkat(dir, journal.c_str(), 0) == 0) {
    fsync(dir);
  }
  return result;
}

int Recover(Target& file, int unheld) {
  const std::string journal = SideName(file.name, kJournal);
  const Fd fd(openat(file.dir, journal.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0) return errno == ENOENT ? 0 : errno;
  if (unheld != 0) return unheld;
  int dir = -1;
  if (const int error = file.Listable(&dir)) return error;
  struct stat st {};
  if (fstat(fd.get(), &st) != 0) return errno;
  // Ours has one name: another is a link someone made to a file of this user's.
  if (!S_ISREG(st.st_mode) || st.st_uid != geteuid() || st.st_nlink != 1) return EPERM;
  if (st.st_size > 2 * kMaxFileSize) return EFBIG;
  FileBytes bytes;
  if (const int error = ReadAll(fd.get(), static_cast<std::size_t>(st.st_size), &bytes)) {
    return error;
  }
  if (const int error = Replay(file, bytes)) return error;
  if (fstat(file.fd.get(), &file.st) != 0) return errno;
  if (unlinkat(dir, journal.c_str(), 0) != 0) return errno;
  return fsync(dir) == 0 ? 0 : errno;
}

}  // namespace tavrel::profile
