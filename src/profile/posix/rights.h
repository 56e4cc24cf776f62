// Whose rights a run as root uses for each component of a path: the one place that decides.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

namespace tavrel::profile {

enum class Verdict {
  Keep,    // go on with the rights in use
  Become,  // go on as the entry's owner
  Refuse,  // stop: the entry could lead where the rights in use should not go
};

// The walk acts as `acting` (root, or the user it became) and has found `entry` (null for
// a name that does not exist yet) in the directory `dir`.
//  - As root: a directory or link of another user's is that user's, so the walk becomes
//    them; so is a file of theirs in a directory others may write, where they could have
//    put it. In a directory of root's that others may write (a group, an ACL entry, or
//    everyone) and that is not sticky, anyone of them could have moved anything there:
//    root's own entries and missing names there are refused, as is, even where it is
//    sticky, a file of root's with more than one name (a link someone made to it).
//  - As a user: root's entries are theirs to reach as the kernel allows; another user's
//    are refused, since the path would then be neither user's alone.
Verdict WhoseRights(uid_t acting, const struct stat& dir, const struct stat* entry);

// Takes the identity of `uid` for good: its account's groups, or, for a uid without an
// account, no supplementary group and the kernel's overflow group. False when it cannot.
bool BecomeUser(uid_t uid);

}  // namespace tavrel::profile
