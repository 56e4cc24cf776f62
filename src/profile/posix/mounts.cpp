#include "profile/posix/mounts.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "profile/posix/answer.h"
#include "profile/posix/fd.h"

namespace tavrel::profile {
namespace {

std::vector<std::string_view> Split(std::string_view text, char by) {
  std::vector<std::string_view> parts;
  for (std::size_t at = 0; at <= text.size();) {
    const std::size_t end = std::min(text.find(by, at), text.size());
    if (end > at) parts.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return parts;
}

// The value of `name=` among comma-separated options, or nothing.
bool Option(std::string_view options, std::string_view name, std::string_view* value) {
  for (const std::string_view option : Split(options, ',')) {
    if (option.size() > name.size() && option.substr(0, name.size()) == name &&
        option[name.size()] == '=') {
      *value = option.substr(name.size() + 1);
      return true;
    }
  }
  return false;
}

bool Number(std::string_view text, uid_t* n) {
  if (text.empty() || text.size() > 10) return false;
  unsigned long long value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  *n = static_cast<uid_t>(value);
  return value <= 0xFFFFFFFEULL;
}

// The options of utab's line for the mount `id` at `target` (both as mountinfo writes
// them), or nothing.
std::string_view UtabOptions(std::string_view utab, std::string_view id, std::string_view target) {
  for (const std::string_view line : Split(utab, '\n')) {
    std::string_view lineId, lineTarget, options;
    for (const std::string_view field : Split(line, ' ')) {
      if (field.substr(0, 3) == "ID=") lineId = field.substr(3);
      if (field.substr(0, 7) == "TARGET=") lineTarget = field.substr(7);
      if (field.substr(0, 5) == "OPTS=") options = field.substr(5);
    }
    if (lineId.empty() ? lineTarget == target : lineId == id) return options;
  }
  return {};
}

// The user a mount point under /media or /run/media names.
std::string MediaUser(std::string_view target) {
  for (const std::string_view base : {"/media/", "/run/media/"}) {
    if (target.substr(0, base.size()) != base) continue;
    const std::string_view rest = target.substr(base.size());
    const std::size_t slash = rest.find('/');
    if (slash != std::string_view::npos && slash > 0) return std::string(rest.substr(0, slash));
  }
  return "";
}

}  // namespace

Mounter MounterOf(std::string_view line, std::string_view utab) {
  const std::vector<std::string_view> fields = Split(line, ' ');
  std::size_t dash = 6;
  while (dash < fields.size() && fields[dash] != "-") ++dash;
  if (fields.size() < 7 || dash + 3 >= fields.size()) return {0, "", true};
  const std::string_view id = fields[0], target = fields[4], options = fields[5];
  const std::string_view type = fields[dash + 1], super = fields[dash + 3];
  std::string_view value;
  uid_t uid = 0;
  const bool fuse = type.substr(0, 4) == "fuse";
  if (fuse) {
    return Option(super, "user_id", &value) && Number(value, &uid) ? Mounter{uid, "", false}
                                                                   : Mounter{0, "", true};
  }
  if ((Option(super, "uid", &value) || Option(options, "uid", &value)) && Number(value, &uid) &&
      uid != 0) {
    return {uid, "", false};
  }
  const std::string_view made = UtabOptions(utab, id, target);
  if (Option(made, "user", &value)) return {0, std::string(value), false};
  if (Option(made, "uhelper", &value) && value == "udisks2") {
    std::string user = MediaUser(target);
    return user.empty() ? Mounter{0, "", true} : Mounter{0, std::move(user), false};
  }
  return {};
}

int MountOwner(std::uint64_t id, uid_t* uid, std::string* why) {
  std::string mountinfo;
  const int error = ReadSmallFile("/proc/self/mountinfo", &mountinfo);
  if (error != 0) {
    *why = std::string("cannot tell who made a mount on the way: /proc/self/mountinfo: ") +
           std::strerror(error);
    return kRefused;
  }
  const std::string key = std::to_string(id) + ' ';
  std::string_view line;
  for (const std::string_view each : Split(mountinfo, '\n')) {
    if (each.substr(0, key.size()) == key) line = each;
  }
  std::string utab;
  if (ReadSmallFile("/run/mount/utab", &utab) != 0) utab.clear();
  // A line that is not there tells nothing (MounterOf: unknown); a name needs an account.
  const Mounter mounter = MounterOf(line, utab);
  const passwd* account = mounter.user.empty() ? nullptr : getpwnam(mounter.user.c_str());
  if (!mounter.unknown && (mounter.user.empty() || account != nullptr)) {
    *uid = account != nullptr ? account->pw_uid : mounter.uid;
    return 0;
  }
  *why = "cannot tell who made a mount on the way" +
         (line.empty() ? std::string(": it is not in /proc/self/mountinfo") : "");
  return kRefused;
}

}  // namespace tavrel::profile
