// Whose rights a run uses for each component of a path: the one place that decides.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

namespace tavrel::profile {

struct Rights {
  bool privileged = false;  // the run began as root
  uid_t uid = 0;            // whose rights are in use now
};

// What the walk knows of a directory it stands in.
struct DirSeen {
  struct stat st {};
  bool shared = false;  // others than its owner may write it (judged in a privileged run)
};

enum class Verdict {
  Keep,    // go on with the rights in use
  Become,  // go on as the entry's owner
  Refuse,  // stop: the entry could lead where the rights in use should not go
};

// The walk acts with `rights` and has found `entry` (null for a name that does not exist
// yet) in `dir`. The rule keeps root's run to what every user who could have placed or
// replaced a name on the path could do by hand:
//  - In a privileged run, a directory that others than its owner may write and that is not
//    sticky vouches for no name in it: anyone of them could have moved anything there, so
//    every entry, and a missing name, is refused, whoever owns the directory.
//  - As root: a directory or link of a user's is that user's, so the walk becomes them; so
//    is a file of theirs in a shared (sticky) directory, where they could have put it. In
//    such a directory, a file of root's with more than one name is refused (a link someone
//    made to it).
//  - As a user (the one root became, or the one who started the run): root's entries are
//    theirs to reach as the kernel allows; another user's are refused, since the path
//    would then be neither user's alone.
Verdict WhoseRights(const Rights& rights, const DirSeen& dir, const struct stat* entry);

// Whether anyone besides its owner may write the directory `dir` (any descriptor of it,
// O_PATH will do), whose status is `st`: everyone; its group or a group its ACL names, when
// someone besides the owner is in it; a user its ACL names. A group that holds the owner
// alone (a user's private group) shares nothing. When it cannot tell, it says yes.
bool OthersMayWrite(int dir, const struct stat& st);

}  // namespace tavrel::profile
