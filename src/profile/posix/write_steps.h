// The two ways a changed win.ini reaches the disk, both safe against a crash at any moment.
#pragma once

#include <sys/types.h>

#include <initializer_list>
#include <string_view>

#include "profile/posix/fd.h"
#include "profile/profile.h"

namespace tavrel::profile {

// Writes the parts one after another from offset `at`; false with errno set when one
// cannot be written whole.
bool WriteParts(int fd, off_t at, std::initializer_list<std::string_view> parts);

// Returned by Replace when a new file could not carry the old one's metadata.
constexpr int kCannotCarry = -1;

// Writes the new bytes to an owner-only file beside the old one that already has its
// owner, mode, ACL and attributes, and renames it over the old one. 0, kCannotCarry, or
// the error number of the step that failed.
int Replace(const OpenFile& file, std::string_view bytes, const Splice& splice);

// Rewrites the file in place from the splice on, after a journal of its old bytes, as Wine
// does when a file cannot be replaced. 0 or an error number.
int RewriteInPlace(const OpenFile& file, std::string_view bytes, const Splice& splice);

// Puts back the old bytes of a rewrite that a crash interrupted, and removes this user's
// temporary files of killed writers. Only under the lock. 0 or an error number.
int Recover(const OpenFile& file);

}  // namespace tavrel::profile
