// Our own profile-file code: reads a key as the platform's
// GetPrivateProfileStringA does and changes one key's value while keeping
// every other byte of the file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tavrel::profile {

// The characters the platform would deliver (its count is their number) for `key` in
// `section` of a file holding `bytes`, or for `fallback` when the key is absent or has no
// '='. At most size - 1 characters arrive; one matching pair of outer quotes is removed.
// A file that cannot be read passes empty bytes.
std::string GetProfileString(std::string_view bytes, std::string_view section, std::string_view key,
                             std::string_view fallback, std::size_t size);

enum class SpliceOutcome {
  Changed,    // the file becomes its bytes before `begin`, `insert`, and its bytes from `end`
  Unchanged,  // the key already holds the value: nothing to write
  Refused,    // the change cannot be made safely (odd UTF-16 file, unusable names or value)
};

// The change as an edit of the file's bytes, so that the untouched parts are never copied.
struct Splice {
  SpliceOutcome outcome = SpliceOutcome::Refused;
  std::size_t begin = 0;
  std::size_t end = 0;
  std::string insert;
};

// Sets `key` in `section` to `value`: replaces the value in the key's own line, or adds
// the key after the last line of its section, or adds the section at the end, in the
// file's own line-ending style (CRLF for a file without one) and encoding.
Splice SetProfileString(std::string_view bytes, std::string_view section, std::string_view key,
                        std::string_view value);

// The change `splice` makes to a file holding `bytes`, byte for byte as `diff -u` prints
// it: the file's lines split after each LF and kept whole (CRs, NULs and a UTF-16 file's
// bytes as they are), three lines of context, "\ No newline at end of file" after a last
// line without its LF, so that `patch --binary` applies it. The header lines name `from`
// and `to` ("/dev/null" for a file yet to be made) without time stamps. Empty when
// nothing changes.
std::string UnifiedDiff(std::string_view bytes, const Splice& splice, const std::string& from,
                        const std::string& to);

}  // namespace tavrel::profile
