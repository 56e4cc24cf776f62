// Reading and safely replacing a profile file on a POSIX file system.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "profile/profile.h"

namespace tavrel::profile {

// The bytes of a regular file; nothing for a missing, unreadable or special file
// (a FIFO is refused, never waited on).
std::optional<std::string> ReadFileBytes(const std::string& path);

// Changes the file at `path` (following symbolic links) by `change`, which receives the
// current bytes (empty for a missing file). The new file is written beside the old one,
// flushed and renamed over it with the old permission bits and owner, under an advisory
// lock on the directory. 0 on success; otherwise the error number of the step that
// failed (EILSEQ when the change is refused), with the file untouched.
int UpdateFile(const std::string& path, const std::function<Splice(std::string_view)>& change);

}  // namespace tavrel::profile
