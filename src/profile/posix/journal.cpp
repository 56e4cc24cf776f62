// The journal of a rewrite in place, and the recovery of one that a crash cut short.
#include <dirent.h>
#include <fcntl.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <string>

#include "profile/posix/commit.h"
#include "profile/posix/hold.h"
#include "profile/posix/rights.h"

namespace tavrel::profile {
namespace {

const std::string_view kJournal = "journal";
// A journal: this line, then "DEVICE INODE BEGIN END LENGTH\n" (the file it was written
// for, and the LENGTH bytes put at BEGIN in place of the bytes up to END), those LENGTH
// bytes, then the old file.
const std::string_view kMagic = "tavrel journal 2\n";

struct Journal {
  dev_t device = 0;
  ino_t inode = 0;
  std::size_t begin = 0;
  std::size_t end = 0;
  std::string_view insert;
  std::string_view old;
};

bool Parse(std::string_view bytes, Journal* j) {
  if (bytes.substr(0, kMagic.size()) != kMagic) return false;
  bytes.remove_prefix(kMagic.size());
  const std::size_t eol = bytes.find('\n');
  if (eol == std::string_view::npos || eol > 128) return false;
  const std::string line(bytes.substr(0, eol));
  std::uintmax_t device = 0, inode = 0, begin = 0, end = 0, length = 0;
  char extra = 0;
  if (std::sscanf(line.c_str(),
                  "%" SCNuMAX " %" SCNuMAX " %" SCNuMAX " %" SCNuMAX " %" SCNuMAX "%c", &device,
                  &inode, &begin, &end, &length, &extra) != 5) {
    return false;
  }
  bytes.remove_prefix(eol + 1);
  if (length > bytes.size()) return false;
  j->device = static_cast<dev_t>(device);
  j->inode = static_cast<ino_t>(inode);
  j->insert = bytes.substr(0, length);
  j->old = bytes.substr(length);
  j->begin = begin;
  j->end = end;
  return begin <= end && end <= j->old.size();
}

std::string Header(const struct stat& st, const Splice& splice) {
  return std::string(kMagic) + std::to_string(st.st_dev) + ' ' + std::to_string(st.st_ino) + ' ' +
         std::to_string(splice.begin) + ' ' + std::to_string(splice.end) + ' ' +
         std::to_string(splice.insert.size()) + '\n';
}

// Why the journal seen as `st` is not one to replay for `file`, or "" when it is.
std::string Unfit(const struct stat& st, std::string_view bytes, const Target& file) {
  if (!S_ISREG(st.st_mode)) return "is not a regular file";
  if (st.st_nlink != 1) return "has " + std::to_string(st.st_nlink) + " names";
  if (st.st_uid != geteuid()) {
    return "is " + UserName(st.st_uid) + "'s, while the run acts as " + UserName(geteuid());
  }
  // Under an ACL the group bits are its mask: without them, no entry it names may write.
  if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0) return "may be written by others";
  Journal j;
  if (!Parse(bytes, &j)) return "is not a journal of this program's";
  if (j.device != file.st.st_dev || j.inode != file.st.st_ino)
    return "was written for another file";
  return "";
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

// Writes the parts from `at` into the held file and cuts it to `size`, each of the two
// writes made only while the file is still as this run left it; then flushes it.
int Rewrite(Target& file, off_t at, std::initializer_list<std::string_view> parts,
            std::size_t size) {
  const int fd = file.fd.get();
  if (const int error = WriteAll(fd, at, parts)) return error;
  struct stat written {};
  if (fstat(fd, &written) != 0) return errno;
  if (const int changed = StillLooksAs(&file, written)) return changed;
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

// The journal's advice, taken on the file as it is now.
int Replay(Target& file, const Journal& j, Answer* out) {
  if (fstat(file.fd.get(), &file.st) != 0) return errno;
  FileBytes now;
  if (const int error = ReadAll(file.fd.get(), static_cast<std::size_t>(file.st.st_size), &now)) {
    return error;
  }
  if (!CouldHaveLeft(now, j)) {
    out->notice = file.name +
                  " was changed after an interrupted write: kept as it is, the journal of that "
                  "write removed";
    return 0;
  }
  if (std::string_view(now) == j.old) return 0;
  if (const int changed = StillAsRead(&file, now, 0, 0)) return changed;
  return Rewrite(file, 0, {j.old}, j.old.size());
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
    if (IsTemporary(name, entry->d_name) && LookCached(dirFd, entry->d_name, &st) == 0 &&
        S_ISREG(st.st_mode) && st.st_uid == geteuid()) {
      unlinkat(dirFd, entry->d_name, 0);
    }
  }
  closedir(dir);
}

int RewriteInPlace(Target& file, std::string_view bytes, const Splice& splice) {
  int dir = -1;
  if (const int error = file.Listable(&dir)) return error;
  // The journal appears whole or not at all: written under a temporary name, then renamed.
  const std::string temp = SideName(file.name, std::to_string(getpid()));
  const std::string journal = SideName(file.name, kJournal);
  const Fd copy(
      OpenHere(dir, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (copy.get() < 0) return errno;
  int result = WriteAll(copy.get(), 0, {Header(file.st, splice), splice.insert, bytes});
  if (result == 0 && fsync(copy.get()) != 0) result = errno;
  if (result == 0 && renameat(dir, temp.c_str(), dir, journal.c_str()) != 0) result = errno;
  if (result != 0) {
    unlinkat(dir, temp.c_str(), 0);
    return result;
  }
  // From here the journal stands, and goes only once the file is whole: new, or old again.
  if (fsync(dir) != 0) result = errno;
  if (result == 0) result = StillAsRead(&file, bytes, splice.begin, splice.end);
  const bool touched = result == 0;
  const std::size_t size = splice.begin + splice.insert.size() + (bytes.size() - splice.end);
  if (touched) {
    result = Rewrite(file, static_cast<off_t>(splice.begin),
                     {splice.insert, bytes.substr(splice.end)}, size);
  }
  if (result == 0 && unlinkat(dir, journal.c_str(), 0) != 0) result = errno;
  if (result == 0) return fsync(dir) == 0 ? 0 : errno;
  // Another program wrote in the middle: putting the old bytes back would mix them with its
  // own. The journal stays; the next run keeps the other program's whole file.
  if (touched && result == kChangedWhileRead) return result;
  // A journal left beside the new bytes would put the old ones back on the next run: the
  // old bytes go back now (where this run wrote any), and the journal once they are there.
  if ((!touched || Rewrite(file, 0, {bytes}, bytes.size()) == 0) &&
      unlinkat(dir, journal.c_str(), 0) == 0) {
    fsync(dir);
  }
  return result;
}

int FindJournal(const Target& file, bool* found) {
  struct stat st {};
  const std::string journal = SideName(file.name, kJournal);
  const int error = LookCached(file.dir, journal.c_str(), &st);
  *found = error == 0;
  return *found || error == ENOENT ? 0 : error;
}

int Recover(Target& file, Answer* out) {
  const std::string journal = SideName(file.name, kJournal);
  const auto refuse = [&](const std::string& why) {
    out->why = "the journal " + journal + " beside it " + why + "; nothing was replayed";
    return kRefused;
  };
  struct stat st {};
  if (const int error = LookCached(file.dir, journal.c_str(), &st)) {
    return error == ENOENT ? 0 : error;
  }
  if (!S_ISREG(st.st_mode)) return refuse("is not a regular file");
  const Fd fd(OpenHere(file.dir, journal.c_str(),
                       O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (fd.get() < 0 && errno == EXDEV) return refuse("is a mount point");
  if (fd.get() < 0) return errno == ENOENT ? 0 : errno;
  if (fstat(fd.get(), &st) != 0) return errno;
  if (st.st_size > 2 * kMaxFileSize + 128) return refuse("is larger than any journal");
  FileBytes bytes;
  if (S_ISREG(st.st_mode)) {
    if (const int error = ReadAll(fd.get(), static_cast<std::size_t>(st.st_size), &bytes)) {
      return error;
    }
  }
  if (const std::string unfit = Unfit(st, bytes, file); !unfit.empty()) return refuse(unfit);
  int dir = -1;
  if (const int error = file.Listable(&dir)) {
    out->why = "its directory cannot be read";
    return error;
  }
  Journal j;
  Parse(bytes, &j);
  if (const int error = Replay(file, j, out)) return error;
  if (fstat(file.fd.get(), &file.st) != 0) return errno;
  if (unlinkat(dir, journal.c_str(), 0) != 0) return errno;
  return fsync(dir) == 0 ? 0 : errno;
}

}  // namespace tavrel::profile
