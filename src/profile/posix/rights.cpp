#include "profile/posix/rights.h"

namespace tavrel::profile {

Verdict WhoseRights(const Rights& rights, const DirSeen& dir, const struct stat* entry) {
  const bool sticky = (dir.st.st_mode & S_ISVTX) != 0;
  if (rights.privileged && dir.shared && !sticky) return Verdict::Refuse;
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

}  // namespace tavrel::profile
