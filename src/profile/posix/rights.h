// Whose rights a run uses for each component of a path: the one place that decides.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <string>

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
  Refuse,  // stop: the entry could lead where the rights in use should not go (kRefused)
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
// Below a mount made for a user, the walk takes every entry for that user's (mounts.h).
Verdict WhoseRights(const Rights& rights, const DirSeen& dir, const struct stat* entry);

// Why WhoseRights refused `entry`, named `name`, in words that name the owners involved.
std::string RefusalText(const Rights& rights, const DirSeen& dir, const struct stat* entry,
                        const std::string& name);

// The account name of `uid`, or "uid N" for one without an account.
std::string UserName(uid_t uid);

// Whether anyone besides its owner may write the directory `dir` (any descriptor of it,
// O_PATH will do), whose status is `st`: everyone; its group or a group its ACL names,
// unless that group provably holds the owner alone (see sharing.cpp); a user its ACL names.
// Where it cannot tell, it says yes.
bool OthersMayWrite(int dir, const struct stat& st);

}  // namespace tavrel::profile
