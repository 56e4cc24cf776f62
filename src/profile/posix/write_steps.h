// The ways a changed win.ini reaches the disk, each safe against a crash at any moment.
// Every step returns 0 or an error number.
#pragma once

#include <sys/types.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "profile/posix/fd.h"
#include "profile/profile.h"

namespace tavrel::profile {

// Writes the parts one after another from offset `at`; false with errno set when one
// cannot be written whole.
bool WriteParts(int fd, off_t at, std::initializer_list<std::string_view> parts);

// A file's bytes in a buffer that is not filled first: a large file costs one copy.
struct FileBytes {
  std::unique_ptr<char[]> data;
  std::size_t size = 0;
  operator std::string_view() const { return {data.get(), size}; }  // NOLINT: a view of it
};

// The whole file in one buffer of the size it has; EFBIG beyond `limit` bytes.
int ReadWhole(int fd, long long limit, FileBytes* bytes);

// A value of the same length: only the bytes that differ, written into the open file by
// one pwrite and flushed (fdatasync). The file keeps its inode, metadata and every other
// byte; a crash leaves the old or the new bytes, which lie within one sector.
int Overwrite(const OpenFile& file, std::string_view bytes, const Splice& splice);

// Writes the new bytes to an owner-only file beside the old one that already has its
// owner, mode, ACL and attributes, and renames it over the old one. `carried` becomes
// false, with nothing changed, when a new file cannot carry the old one's metadata.
int Replace(const OpenFile& file, std::string_view bytes, const Splice& splice, bool* carried);

// Rewrites the file in place from the splice on, after a journal of the change and the old
// bytes, as Wine does when a file cannot be replaced.
int RewriteInPlace(const OpenFile& file, std::string_view bytes, const Splice& splice);

// Under the lock: removes this user's temporary files of killed writers, and puts back the
// old bytes of a rewrite that a crash interrupted, if the file is still in a state that
// rewrite could have left. A file changed since is kept and the journal removed, with one
// line on standard error.
int Recover(const OpenFile& file);

// Whether a journal stands beside the file (for a write made without the lock).
bool HasJournal(const OpenFile& file);

}  // namespace tavrel::profile
