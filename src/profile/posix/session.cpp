#include "profile/posix/session.h"

#include <fcntl.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <utility>

#include "profile/posix/commit.h"

namespace tavrel::profile {
namespace {

// Signals a run must not die of: SIGIO, by which the kernel tells a lease's holder that
// someone waits (the run closes the file only when done), and SIGXFSZ, raised by a write
// past the file size limit (the write then fails with EFBIG, and the run says so).
void BlockSignals() {
  static bool blocked = false;
  if (blocked) return;
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGIO);
  sigaddset(&set, SIGXFSZ);
  blocked = sigprocmask(SIG_BLOCK, &set, nullptr) == 0;
}

// Errors of an open for writing that mean these rights may not write the file.
bool MayNotWrite(int error) {
  return error == EACCES || error == EPERM || error == EROFS || error == kReadOnlyFile ||
         error == kRefused;
}

}  // namespace

Session::Session(const Place& place, Access access, Answer* out)
    : place_(place), access_(access), out_(out) {
  BlockSignals();
}

Session::~Session() {
  // A file this session made goes again when the session failed, while it is still empty.
  struct stat now {};
  if (state_ != State::Committed && file_.created && fstat(file_.fd.get(), &now) == 0 &&
      now.st_size == 0 && StillNamed(file_) == 0) {
    unlinkat(place_.dir, place_.name.c_str(), 0);
  }
}

int Session::Advance(int result, State next) {
  if (result == 0) state_ = next;
  return result;
}

int Session::Open() {
  if (access_ == Access::Read && !place_.exists) return ENOENT;
  const int access = access_ == Access::Read ? O_RDONLY : O_RDWR;
  return Advance(OpenHeld(place_, access, &file_), State::Opened);
}

int Session::Hold() {
  if (file_.leased || access_ == Access::Read) return Advance(0, State::Held);
  // Without a lease, the lock file; where none can be made, only a change in place.
  lock_.emplace(place_);
  int result = lock_->Take(place_.deadline, &out_->why);
  if (result == EACCES || result == EROFS) unheld_ = std::exchange(result, 0);
  // The run that held the file before may have replaced it.
  if (result == 0) result = StillNamed(file_);
  return Advance(result, State::Held);
}

int Session::Recover() {
  bool found = false;
  if (const int error = FindJournal(file_, &found)) return error;
  if (!found) return Advance(0, State::Recovered);
  if (access_ == Access::Read) {
    if (const int error = ReopenToWrite()) return error;
  }
  if (unheld_ != 0) {
    out_->why = std::string("it cannot be recovered here: no lock file can be made beside it (") +
                std::strerror(unheld_) + ")";
    return kPending;
  }
  const int result = profile::Recover(file_, out_);
  if (result == 0 || result == kRefused || result == kChangedWhileRead) {
    return Advance(result, State::Recovered);
  }
  // Whatever else stops the recovery leaves the journal pending: that is what to tell.
  out_->why = std::string("it cannot be recovered here: ") + std::strerror(result) +
              (out_->why.empty() ? "" : " (" + out_->why + ")");
  return kPending;
}

// A reader that finds a journal: where the rights in use may write the file, it holds it
// as a write would, to recover it; otherwise it may report no state.
int Session::ReopenToWrite() {
  file_ = Target();
  access_ = Access::Write;
  state_ = State::Closed;
  int result = Open();
  if (result == 0) result = Hold();
  if (!MayNotWrite(result)) return result;
  out_->why = "the rights in use may not write the file to recover it";
  return kPending;
}

int Session::Read(FileBytes* bytes) {
  int result = ReadTarget(&file_, bytes);
  if (result != 0 || access_ == Access::Write) return Advance(result, State::Read);
  // A lease that was broken while the file was read proves nothing: then the file must
  // look as it did when opened. A read held by nothing looks for a journal again, in case
  // a write began while it read.
  if (!LeaseHolds(&file_)) {
    bool found = false;
    result = StillLooksAs(&file_, file_.st);
    if (result == 0) result = FindJournal(file_, &found);
    if (result == 0 && found) result = kChangedWhileRead;
  }
  return Advance(result, State::Read);
}

int Session::Commit(std::string_view bytes, const Splice& splice) {
  int result = 0;
  if (splice.outcome == SpliceOutcome::Refused) {
    result = EILSEQ;
  } else if (splice.outcome == SpliceOutcome::Unchanged) {
    // Nothing to write, provided that what was read was whole.
    result = StillAsRead(&file_, bytes, 0, 0);
  } else if (splice.insert.size() == splice.end - splice.begin) {
    result = Overwrite(file_, bytes, splice);
  } else if (unheld_ != 0) {
    // A new name beside win.ini needs our runs kept apart.
    out_->why = "a change of length needs a lock file beside it, which cannot be made";
    result = unheld_;
  } else {
    int dir = -1;
    result = file_.Listable(&dir);
    if (result == 0) {
      RemoveStaleTemporaries(dir, file_.name);
      result = Replace(file_, bytes, splice);
      // A new file could not be the old one's equal: the change is made in place instead.
      if (result == EMLINK || result == EPERM) result = RewriteInPlace(file_, bytes, splice);
    }
  }
  return Advance(result, State::Committed);
}

}  // namespace tavrel::profile
