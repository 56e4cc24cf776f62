#include "profile/posix/rights.h"

#include <pwd.h>

namespace tavrel::profile {
namespace {

bool Sticky(const DirSeen& dir) { return (dir.st.st_mode & S_ISVTX) != 0; }

}  // namespace

Verdict WhoseRights(const Rights& rights, const DirSeen& dir, const struct stat* entry) {
  if (rights.privileged && dir.shared && !Sticky(dir)) return Verdict::Refuse;
  if (rights.uid != 0) {
    return entry == nullptr || entry->st_uid == rights.uid || entry->st_uid == 0 ? Verdict::Keep
                                                                                 : Verdict::Refuse;
  }
  if (entry == nullptr) return Verdict::Keep;
  if (entry->st_uid != 0) {
    const bool placed = S_ISDIR(entry->st_mode) || S_ISLNK(entry->st_mode) || dir.shared;
    return placed ? Verdict::Become : Verdict::Keep;
  }
  const bool linked = S_ISREG(entry->st_mode) && entry->st_nlink > 1;
  return dir.shared && linked ? Verdict::Refuse : Verdict::Keep;
}

std::string RefusalText(const Rights& rights, const DirSeen& dir, const struct stat* entry,
                        const std::string& name) {
  const std::string where =
      "in a directory of " + UserName(dir.st.st_uid) + "'s that others may write";
  if (entry == nullptr) return name + " would be made " + where;
  const std::string whose = name + " is " + UserName(entry->st_uid) + "'s";
  if (rights.privileged && dir.shared && !Sticky(dir)) return whose + ", " + where;
  if (rights.uid != 0) return whose + ", while the run acts as " + UserName(rights.uid);
  return whose + " with " + std::to_string(entry->st_nlink) + " names, " + where;
}

std::string UserName(uid_t uid) {
  const passwd* account = getpwuid(uid);
  return account != nullptr ? account->pw_name : "uid " + std::to_string(uid);
}

}  // namespace tavrel::profile
