// Reading and safely changing a key of a profile file on a POSIX file system.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace tavrel::profile {

// The value of `key` in `section` of the file at `path`, as GetProfileString delivers it,
// found by the walk (see WithRights) with the rights that apply, and read whole: under a
// lease, or checked not to change during the read (and read again if it did). Only a
// regular file is opened, never a FIFO or device. `error` becomes 0 when the file was read
// or is missing from an existing directory, otherwise the error number of why it was not:
// the value is then `fallback`'s, as for a missing file, except for a file over 256 MiB
// (EFBIG) or memory running out (ENOMEM), which read as nothing. The run, retries
// included, ends within 60 seconds. Nothing thrown escapes.
std::string ReadValue(const std::string& path, std::string_view section, std::string_view key,
                      std::string_view fallback, std::size_t size, int* error) noexcept;

// Sets `key` in `section` of the file at `path` to `value` (see SetProfileString), with the
// rights that apply, while other writers are held off (see hold.h). A value of the same
// length is overwritten in place (one pwrite, fdatasync); any other change makes a new file
// beside the old one with all its metadata, renamed over it, or, where that cannot keep
// the metadata, rewrites it in place behind a journal. Where no lock file can be made and
// no lease is had (a directory this user may not write) only a change of the same length
// is made. 0 on success (also when nothing needed writing); otherwise the error number of
// the failing step (EILSEQ when the change is refused, ETIMEDOUT when others held the file
// past the run's 60 seconds, EFBIG for a file over 256 MiB, ENOMEM, kChangedWhileRead),
// with the file as it was. Nothing thrown escapes.
int WriteValue(const std::string& path, std::string_view section, std::string_view key,
               std::string_view value) noexcept;

// The change WriteValue would make to the file at `path`, as a unified diff (see
// UnifiedDiff) that names it so, read as ReadValue reads it and writing nothing: empty when
// nothing would change. 0, or the error number of why the file could not be read or why
// the change would be refused (EILSEQ).
int DiffValue(const std::string& path, std::string_view section, std::string_view key,
              std::string_view value, std::string* diff) noexcept;

// From now on every read and write begins as `uid` (see WithRights), with the rules of a
// run that began as root: as if that user had started it, kept to the walk's rules. The
// caller checks that it may (root, or the user itself).
void ActAs(uid_t uid);

// The reason an error number stands for, in words.
std::string ErrorText(int error);

}  // namespace tavrel::profile
