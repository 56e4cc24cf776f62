// One walk of a path on descriptors, deciding on the way whose rights apply.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <optional>
#include <string>

#include "profile/posix/answer.h"
#include "profile/posix/deadline.h"
#include "profile/posix/function_ref.h"
#include "profile/posix/rights.h"

namespace tavrel::profile {

// Where a walk ended: the directory holding the file meant, its name there (never a
// symbolic link), and what the walk saw of it.
struct Place {
  // The directory, opened O_PATH: a base for the *at calls, which cannot be read, listed
  // or flushed through it.
  int dir = -1;
  DirSeen dirSeen;
  std::string name;
  bool exists = false;
  struct stat st {};  // when it exists
  Rights rights;
  Deadline deadline;
  std::optional<uid_t> mountedFor;  // on a mount made for this user: every entry is theirs

  // Whether an entry found there later (under the lock, say) may still be used with the
  // rights in use.
  bool Allows(const struct stat& now) const;
};

// What runs at the end of a walk: 0 or an error number, and its answer.
using Act = FunctionRef<int(const Place& place, Answer* out)>;

// Walks `path` from "/" (or the working directory for a relative path) one component at a
// time (all of it in a child that became `as`, when given: a run that acts as that user from
// its start), each opened O_PATH | O_NOFOLLOW relative to the one before (the last one is
// only looked at), and every symbolic link read and its target walked the same way, 40
// links at most. Each component is judged by WhoseRights, and each mount it crosses by
// whom it was made for (mounts.h): at the first one that root does not own, the rest of the
// walk and `act` continue in a child that has taken its owner's identity (AsUser), from the
// directory already reached, opened again as that user. Then `act(place, out)` runs, and
// `out` carries what it said back from the child. Returns act's result or the walk's
// error: kRefused for a refused component (out->why names it and the owners involved),
// ENOENT, ENOTDIR, ELOOP, EACCES, ETIMEDOUT for a child that did not answer in time,
// ENOMEM. Nothing thrown escapes.
int WithRights(const std::string& path, const Deadline& deadline, std::optional<uid_t> as,
               const Act& act, Answer* out) noexcept;

}  // namespace tavrel::profile
