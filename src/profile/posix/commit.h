// The ways a change reaches win.ini, each leaving a whole file at every moment, and the
// recovery of a rewrite that a crash cut short. `file` is win.ini, held (see hold.h);
// `bytes` is what was read of it and `splice` the change. Each write to win.ini follows a
// check that it is still held as read (StillAsRead). Every step returns 0 or an error
// number.
#pragma once

#include <string_view>

#include "profile/posix/answer.h"
#include "profile/posix/target.h"
#include "profile/profile.h"

namespace tavrel::profile {

// A value of the same length: only the bytes that differ, written into the open file by
// one pwrite and flushed (fdatasync). The file keeps its inode, metadata and every other
// byte; a crash leaves the old or the new bytes, which lie within one sector. It makes no
// new name, so it needs neither the lock file nor a directory it may read.
int Overwrite(Target& file, std::string_view bytes, const Splice& splice);

// Any other change: the new bytes go to an owner-only file beside the old one that already
// has its owner, mode, ACL and attributes; it is flushed, renamed over the old one, and the
// directory flushed. EMLINK when the file has other names (a new file would part them),
// EPERM when a new file cannot carry its owner, mode or attributes: nothing is changed
// then, and RewriteInPlace can make the change.
int Replace(Target& file, std::string_view bytes, const Splice& splice);

// Rewrites the file in place from the splice on, after a journal of the change and the
// old bytes (".win.ini.tavrel-journal", see journal.cpp), as Wine does where it cannot
// replace a file. When the rewrite or the removal of the journal fails, the old bytes are
// put back; when another program changed the file in the middle (the lease was broken), it
// stops there, and the journal stays for the next run to settle.
int RewriteInPlace(Target& file, std::string_view bytes, const Splice& splice);

// Whether a journal stands beside the file: 0 with `found` set or not, or an error number.
int FindJournal(const Target& file, bool* found);

// Settles the journal beside the file, held for writing: puts back the old bytes of the
// rewrite that a crash cut short, if the file is still in a state that rewrite could have
// left; a file changed since is kept (out->notice says so). Either way the journal goes.
// Only a journal of this run's kind is replayed: a regular file with one link, the acting
// user's, that nobody else may write, naming the file's device and inode; any other is
// refused (kRefused, out->why names it) and nothing is replayed.
int Recover(Target& file, Answer* out);

// Removes the temporary files that killed runs of this user left in the directory `dir`
// (opened for reading); while the file is held, no live run of ours is making one.
void RemoveStaleTemporaries(int dir, const std::string& name);

}  // namespace tavrel::profile
