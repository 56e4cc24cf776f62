// Owner, group, permission bits, ACL and extended attributes of a file, carried to its
// replacement.
#pragma once

#include <sys/stat.h>

namespace tavrel::profile {

// Gives `to` the owner, group, mode and every extended attribute (the POSIX ACL among them)
// of `from`, whose status is `st`, and removes any it has that `from` lacks. 0, or the
// error number of the step this user could not take.
int CopyMetadata(int from, const struct stat& st, int to);

// Whether `to` now has exactly the metadata of `from`.
bool SameMetadata(int from, const struct stat& st, int to);

}  // namespace tavrel::profile
