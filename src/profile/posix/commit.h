// The ways a change reaches win.ini, each leaving a whole file at every moment, and the
// recovery of a rewrite that a crash cut short. `file` is win.ini, held (see hold.h);
// `bytes` is what was read of it and `splice` the change. Every step returns 0 or an error
// number.
#pragma once

#include <string_view>

#include "profile/posix/target.h"
#include "profile/profile.h"

namespace tavrel::profile {

// A value of the same length: only the bytes that differ, written into the open file by
// one pwrite and flushed (fdatasync). The file keeps its inode, metadata and every other
// byte; a crash leaves the old or the new bytes, which lie within one sector. It makes no
// new name, so it needs neither the lock file nor a directory it may read.
int Overwrite(const Target& file, std::string_view bytes, const Splice& splice);

// Any other change: the new bytes go to an owner-only file beside the old one that already
// has its owner, mode, ACL and attributes; it is flushed, renamed over the old one, and the
// directory flushed. EMLINK when the file has other names (a new file would part them),
// EPERM when a new file cannot carry its owner, mode or attributes: nothing is changed
// then, and RewriteInPlace can make the change.
int Replace(Target& file, std::string_view bytes, const Splice& splice);

// Rewrites the file in place from the splice on, after a journal of the change and the
// old bytes (".win.ini.tavrel-journal"), as Wine does where it cannot replace a file.
// When the rewrite or the removal of the journal fails, the old bytes are put back.
int RewriteInPlace(Target& file, std::string_view bytes, const Splice& splice);

// Before a read that may lead to a write: puts back the old bytes of a rewrite that a
// crash cut short, if the file is still in a state that rewrite could have left; a file
// changed since is kept and the journal removed, with one line on standard error. A
// journal found where no lock keeps our runs apart (`unheld`, why not) fails with that
// reason.
int Recover(Target& file, int unheld);

// Removes the temporary files that killed runs of this user left in the directory `dir`
// (opened for reading); while the file is held, no live run of ours is making one.
void RemoveStaleTemporaries(int dir, const std::string& name);

}  // namespace tavrel::profile
