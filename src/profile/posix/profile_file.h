// Reading and safely changing a key of a profile file on a POSIX file system. The library
// never prints: what a call has to say comes back in its Report.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace tavrel::profile {

// What a read, a write or a diff has to tell besides its result.
struct Report {
  int error = 0;       // 0 when it succeeded, else why not: the system's error number or the
                       // library's own (see ErrorText)
  std::string reason;  // that reason in words, with what it concerns, when it failed
  std::string notice;  // worth telling even when it succeeded
};

// The value of `key` in `section` of the file at `path`, as GetProfileString delivers it,
// found by the walk (see WithRights) with the rights that apply, and read whole (see
// session.h): a journal left by an interrupted write is recovered first where the rights
// in use may write the file, and otherwise makes the read fail (kPending). Only a regular
// file is opened, never a FIFO or device. A missing file in an existing directory reads
// as empty. On any other failure the value is `fallback`'s, as for a missing file, except
// for a file over 256 MiB (EFBIG) or memory running out (ENOMEM), which read as nothing.
// The run, retries included, ends within 60 seconds. Nothing thrown escapes.
Report ReadValue(const std::string& path, std::string_view section, std::string_view key,
                 std::string_view fallback, std::size_t size, std::string* value) noexcept;

// Sets `key` in `section` of the file at `path` to `value` (see SetProfileString), with the
// rights that apply, in one held-file session (session.h). A value of the same length is
// overwritten in place (one pwrite, fdatasync); any other change makes a new file beside
// the old one with all its metadata, renamed over it, or, where that cannot keep the
// metadata, rewrites it in place behind a journal. Where no lock file can be made and no
// lease is had (a directory this user may not write) only a change of the same length is
// made. A file with no write bit for anyone is read-only (kReadOnlyFile), for root too.
// Success also when nothing needed writing; on failure the file is as it was, and the
// error one of the system's (EILSEQ when the change is refused, EFBIG for a file over 256
// MiB or past the size limit, ENOMEM, ETIMEDOUT when others held the file past the run's
// 60 seconds) or the library's own. Nothing thrown escapes.
Report WriteValue(const std::string& path, std::string_view section, std::string_view key,
                  std::string_view value) noexcept;

// The change WriteValue would make to the file at `path`, as a unified diff (see
// UnifiedDiff) that names it so, read as ReadValue reads it and writing nothing: empty when
// nothing would change. Fails as a read fails, or with EILSEQ for a change that would be
// refused.
Report DiffValue(const std::string& path, std::string_view section, std::string_view key,
                 std::string_view value, std::string* diff) noexcept;

// From now on every read and write begins as `uid` (see WithRights), with the rules of a
// run that began as root: as if that user had started it, kept to the walk's rules. The
// caller checks that it may (root, or the user itself).
void ActAs(uid_t uid);

// The reason an error number stands for, in words; the library's own numbers included:
// "changed while being read", "refused by the rules", "an interrupted write is pending",
// "read-only file", and for the run's bound, "gave no answer within 60 s".
std::string ErrorText(int error);

}  // namespace tavrel::profile
