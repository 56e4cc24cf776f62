// One held-file session: how a run reads win.ini and, for a switch, changes it. Reads and
// writes go through the same states, in this order, each made by one function:
//
//   Closed --Open--> Opened --Hold--> Held --Recover--> Recovered --Read--> Read --Commit-->
//   Committed
//
//   Closed     The walk has found the place: the directory, win.ini's name, what stood there.
//   Opened     win.ini is open with the rights in use, and is the inode the walk saw (or,
//              for a read, is known to be missing).
//   Held       Other writers are kept out by the strongest means the run has: a lease (no
//              one else may open the file), or the lock file (our own runs; the checks of
//              StillAsRead for the rest), or neither, and then `unheld` says why not.
//   Recovered  No journal is pending: none stood beside the file, or it was this run's
//              kind and was replayed. A read that finds one recovers it as a write would,
//              where the rights in use may write the file; otherwise it ends here with
//              kPending.
//   Read       The whole file's bytes, as they were at one moment.
//   Committed  The change is on disk, or nothing needed changing.
//
// A transition that fails leaves the session where it was, with the error it returns; a
// run tries again with a new session after kChangedWhileRead.
//
// Invariants:
//  1. Nothing is read from win.ini before Recover: no read reports a state taken from a
//     file that an interrupted write left half-written. A read that is neither leased nor
//     locked looks for a journal again after it has read.
//  2. A journal is replayed only when it is this run's kind (see commit.h: Recover).
//  3. Every write to win.ini, and the rename over it, follows a check that it is still
//     held: the kernel still grants the lease, or else it looks as it was read.
//  4. A change of length is made only while our runs are kept apart (a lease or the lock
//     file), in a directory that can be listed and flushed.
//  5. win.ini is whole at every moment: the old bytes, the new ones, or a rewrite whose
//     journal stands beside it.
//  6. A file the session created is removed again when it fails while it is still empty.
//  7. The session never prints: what it has to say is in its Answer.
#pragma once

#include <optional>
#include <string_view>

#include "profile/posix/answer.h"
#include "profile/posix/fd.h"
#include "profile/posix/hold.h"
#include "profile/posix/target.h"
#include "profile/posix/walk.h"
#include "profile/profile.h"

namespace tavrel::profile {

class Session {
 public:
  enum class State { Closed, Opened, Held, Recovered, Read, Committed };
  enum class Access { Read, Write };

  Session(const Place& place, Access access, Answer* out);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session();

  // Closed -> Opened: opens the file as the walk found it (see OpenTarget): for a write,
  // created when missing; for a read, ENOENT when missing.
  int Open();
  // Opened -> Held: a lease, else (for a write) the lock file, else unheld.
  int Hold();
  // Held -> Recovered: settles a journal left by an interrupted write (invariants 1, 2).
  int Recover();
  // Recovered -> Read: the whole file, in `bytes`.
  int Read(FileBytes* bytes);
  // Read -> Committed: makes the change `splice` to what was read, the way it allows.
  int Commit(std::string_view bytes, const Splice& splice);

  State state() const { return state_; }

 private:
  int Advance(int result, State next);
  int ReopenToWrite();

  const Place& place_;
  Access access_;
  Answer* out_;
  State state_ = State::Closed;
  std::optional<LockFile> lock_;  // outlives the file: removed after it is closed
  Target file_;
  int unheld_ = 0;  // why neither a lease nor the lock file holds the file, or 0
};

}  // namespace tavrel::profile
