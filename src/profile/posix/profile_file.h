// Reading and safely changing a profile file on a POSIX file system.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "profile/profile.h"

namespace tavrel::profile {

// The bytes of a regular file; nothing for a missing, unreadable or special file
// (a FIFO is refused, never waited on). `error` becomes 0 when the file was read or is
// missing from an existing directory, otherwise the error number of why it was not.
std::optional<std::string> ReadFileBytes(const std::string& path, int* error);

// Changes the file at `path` by `change`, which receives the current bytes (empty for a
// missing file), with no more rights than the user who controls the path (see
// AsControllingUser). Symbolic links are followed only as that user could; a FIFO, device
// or directory is never opened for writing. Under a lock that only writers can take, the
// new file is made beside the old one with all its metadata and renamed over it, or, where
// that cannot keep the metadata, rewritten in place behind a journal. 0 on success (also
// when nothing needed writing); otherwise the error number of the failing step (EILSEQ when
// the change is refused, ETIMEDOUT for a lock not granted in time, ENOMEM), with the file
// untouched.
int UpdateFile(const std::string& path, const std::function<Splice(std::string_view)>& change);

}  // namespace tavrel::profile
