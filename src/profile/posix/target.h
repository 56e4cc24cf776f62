// win.ini opened as the walk found it, with the rights in use.
#pragma once

#include <sys/stat.h>

#include <string>

#include "profile/posix/fd.h"
#include "profile/posix/walk.h"

namespace tavrel::profile {

struct Target {
  int dir = -1;  // its directory, O_PATH: a base for *at calls only (see Listable)
  std::string name;
  Fd fd;
  struct stat st {};     // as last looked at: held and opened, or changed since
  int access = 0;        // O_RDONLY or O_RDWR
  bool created = false;  // made by this run, so removed again if the write fails
  bool leased = false;   // nobody else can open it until it is closed (see hold.h)
  bool busy = false;     // no lease, since others had it open

  // The directory opened for reading: the one descriptor of it that may be flushed and
  // listed, opened on first need. EACCES where this user may write it but not read it.
  int Listable(int* listable);

 private:
  Fd listable_;
};

// Opens the file at `place` for reading (O_RDONLY) or writing (O_RDWR, created when missing)
// as what was seen there allows: a directory is EISDIR, any other kind but a regular file
// EINVAL, a file over 256 MiB EFBIG, an entry the rights in use may not take kRefused, a
// file without any write bit, when writing, kReadOnlyFile (as Windows' read-only attribute,
// which stops administrators too), and a missing file, when reading, ENOENT; none of these
// is opened. It opens the name
// O_NOFOLLOW | O_NONBLOCK, with the rights in use, and checks that it is the inode seen; a
// name replaced since (only by someone with those rights, or root) is closed again and
// looked at anew, three times at most (then kChangedWhileRead). An open that another's
// lease holds off is tried again until the deadline (ETIMEDOUT). Once open, it takes a
// lease on it where it can: a read lease for reading, a write lease for writing; a file
// leased after another run renamed a new one over it (no name left) counts as replaced.
int OpenTarget(const Place& place, int access, Target* file);

// The whole file in `bytes`, and its look as read in file->st. Without a lease it must not
// change meanwhile: kChangedWhileRead when its size or times moved, or the read came short.
int ReadTarget(Target* file, FileBytes* bytes);

// Without a lease, whether the name still leads to the file opened (a run that held it
// before may have replaced it): 0 or kChangedWhileRead.
int StillNamed(const Target& file);

}  // namespace tavrel::profile
