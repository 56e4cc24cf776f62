// What the proxy client setting needs of the operating system. Each platform
// supplies these in its own folder, chosen by the build.
#pragma once

#include <string>

#include "setting/proxy_client_state.h"

namespace tavrel::setting {

// The separator that ends the Windows directory.
extern const char kPathSeparator;

// The Windows directory without a trailing separator; empty when none can be found.
std::string SystemWindowsDirectory();
// How SystemWindowsDirectory finds it, in words for the usage text (lines ending in \n).
extern const char* const kWindowsDirectoryRule;

// Stores `value` for `key` in `section` of `file`; true when it now holds the value.
// `report` tells why not, where the platform says, and anything worth telling.
bool WriteProfileValue(const std::string& section, const std::string& key, const std::string& value,
                       const std::string& file, ProfileReport* report);

// Reads `key` of `section` of `file` into a buffer of `size` characters. `report->error`
// becomes 0 when the file could be looked at (a missing file in an existing directory
// included), else the error number of why not (on Windows the system's error code).
ProfileString ReadProfileValue(const std::string& section, const std::string& key,
                               const std::string& fallback, std::size_t size,
                               const std::string& file, ProfileReport* report);

// What storing `value` would change in `file`, as a unified diff, writing nothing (empty
// when nothing). `report` as for ReadProfileValue, or why the change would be refused.
std::string ProfileValueDiff(const std::string& section, const std::string& key,
                             const std::string& value, const std::string& file,
                             ProfileReport* report);

// Makes every later read and write act as the account `user` from its start, with its rights,
// and its home for the default Wine prefix. 0, or why it cannot: ENOENT (no such account),
// EPERM (only root may act as another account), ENOSYS (not on this platform).
int ActAs(const std::string& user);

// The decimal separator of the user's number settings.
std::string DecimalSeparator();

}  // namespace tavrel::setting
