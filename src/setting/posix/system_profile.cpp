// The proxy client setting on Linux: the Windows directory of the Wine prefix whose
// programs read win.ini, and our own profile-file code.
#include "setting/system_profile.h"

#include <langinfo.h>
#include <locale.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "profile/posix/profile_file.h"

namespace tavrel::setting {
namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// The home of the account the run acts as (see ActAs), whatever HOME says.
std::string actingHome;

// $HOME, or where it is unset or empty (cron, env -i) the account's home directory, as
// Wine itself finds it; empty when neither is known.
std::string HomeDirectory() {
  if (!actingHome.empty()) return actingHome;
  if (std::string home = Environment("HOME"); !home.empty()) return home;
  const passwd* account = getpwuid(getuid());
  return account != nullptr && account->pw_dir != nullptr ? account->pw_dir : "";
}

ProfileReport Reported(profile::Report report) {
  return {report.error, std::move(report.reason), std::move(report.notice)};
}

}  // namespace

const char kPathSeparator = '/';

const char* const kWindowsDirectoryRule =
    "win.ini is the one in $WINDIR when set and not empty, else in\n"
    "$WINEPREFIX/drive_c/windows, with WINEPREFIX defaulting to $HOME/.wine and\n"
    "HOME, when unset or empty, to the account's home directory; with none,\n"
    "/win.ini.\n";

// Trailing slashes dropped, so that WINDIR=/ names /win.ini, not //win.ini: the root
// directory is the empty path before its separator.
std::string SystemWindowsDirectory() {
  std::string dir = Environment("WINDIR");
  if (dir.empty()) {
    dir = Environment("WINEPREFIX");
    if (dir.empty()) {
      const std::string home = HomeDirectory();
      if (home.empty()) return "";
      dir = home.substr(0, home.find_last_not_of('/') + 1) + "/.wine";
    }
    dir = dir.substr(0, dir.find_last_not_of('/') + 1) + "/drive_c/windows";
  }
  return dir.substr(0, dir.find_last_not_of('/') + 1);
}

// The profile code turns every failure, running out of memory included, into an error
// number: a silent run then ends with status 1, never an abort.
bool WriteProfileValue(const std::string& section, const std::string& key, const std::string& value,
                       const std::string& file, ProfileReport* report) {
  *report = Reported(profile::WriteValue(file, section, key, value));
  return report->error == 0;
}

ProfileString ReadProfileValue(const std::string& section, const std::string& key,
                               const std::string& fallback, std::size_t size,
                               const std::string& file, ProfileReport* report) {
  std::string text;
  *report = Reported(profile::ReadValue(file, section, key, fallback, size, &text));
  return {text.size(), std::move(text)};
}

std::string ProfileValueDiff(const std::string& section, const std::string& key,
                             const std::string& value, const std::string& file,
                             ProfileReport* report) {
  std::string diff;
  *report = Reported(profile::DiffValue(file, section, key, value, &diff));
  return diff;
}

int ActAs(const std::string& user) {
  const passwd* account = getpwnam(user.c_str());
  if (account == nullptr) return ENOENT;
  if (geteuid() != 0 && account->pw_uid != geteuid()) return EPERM;
  actingHome = account->pw_dir != nullptr && *account->pw_dir != '\0' ? account->pw_dir : "/";
  profile::ActAs(account->pw_uid);
  return 0;
}

std::string DecimalSeparator() {
  const locale_t user = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
  if (user == static_cast<locale_t>(nullptr)) return ".";
  std::string separator = nl_langinfo_l(RADIXCHAR, user);
  freelocale(user);
  return separator;
}

}  // namespace tavrel::setting
