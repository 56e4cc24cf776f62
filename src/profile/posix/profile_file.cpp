// A read or a write of one key, top to bottom: walk, open, hold, recover, read, change,
// commit. Each phase is a file of its own; this one only ties them together.
#include "profile/posix/profile_file.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "profile/posix/commit.h"
#include "profile/posix/contained.h"
#include "profile/posix/hold.h"
#include "profile/posix/target.h"
#include "profile/posix/walk.h"
#include "profile/profile.h"

namespace tavrel::profile {
namespace {

// Tries of a read or write that another program changed the file under.
constexpr int kTries = 3;

// The user every run begins as, when start-up named one.
std::optional<uid_t> actingAs;

// Reads the file the walk found, whole: missing reads as empty.
int ReadFound(const Place& place, FileBytes* bytes) {
  if (!place.exists) return 0;
  for (int tries = 1;; ++tries) {
    Target file;
    int result = OpenHeld(place, O_RDONLY, &file);
    if (result == 0) result = ReadTarget(&file, bytes);
    if (result == ENOENT) return 0;  // removed since the walk: now missing
    if (result != kChangedWhileRead || tries == kTries) return result;
  }
}

// Writes what the change needs: nothing, the bytes in place, or a new file.
int Commit(Target* file, std::string_view bytes, const Splice& splice, int unheld) {
  if (splice.outcome == SpliceOutcome::Refused) return EILSEQ;
  if (splice.outcome == SpliceOutcome::Unchanged) return 0;
  if (splice.insert.size() == splice.end - splice.begin) return Overwrite(*file, bytes, splice);
  // A new name beside win.ini needs our runs kept apart, and a directory that can be read.
  if (unheld != 0) return unheld;
  int dir = -1;
  if (const int error = file->Listable(&dir)) return error;
  RemoveStaleTemporaries(dir, file->name);
  const int replaced = Replace(*file, bytes, splice);
  // A new file could not be the old one's equal: the change is made in place instead.
  return replaced == EMLINK || replaced == EPERM ? RewriteInPlace(*file, bytes, splice) : replaced;
}

int Update(const Place& place, std::string_view section, std::string_view key,
           std::string_view value) {
  for (int tries = 1;; ++tries) {
    std::optional<LockFile> lock;  // outlives the file: removed after it is closed
    Target file;
    int result = OpenHeld(place, O_RDWR, &file);
    // Without a lease, the lock file; where none can be made, only a change in place.
    int unheld = 0;
    if (result == 0 && !file.leased) {
      unheld = lock.emplace(place).Take(place.deadline);
      if (unheld != EACCES && unheld != EROFS) result = unheld;
    }
    // The run that held the file before may have replaced it.
    if (result == 0) result = StillNamed(file);
    if (result == 0) result = Recover(file, unheld);
    FileBytes bytes;
    if (result == 0) result = ReadTarget(&file, &bytes);
    if (result == 0)
      result = Commit(&file, bytes, SetProfileString(bytes, section, key, value), unheld);
    // A file this run made goes again when its write fails, while it is still empty.
    if (result != 0 && file.created && file.st.st_size == 0 && StillNamed(file) == 0) {
      unlinkat(place.dir, place.name.c_str(), 0);
    }
    if (result != kChangedWhileRead || tries == kTries) return result;
  }
}

}  // namespace

std::string ReadValue(const std::string& path, std::string_view section, std::string_view key,
                      std::string_view fallback, std::size_t size, int* error) noexcept {
  std::string value;
  *error = WithRights(
      path, Deadline::FromNow(), actingAs,
      [&](const Place& place, std::string* out) {
        FileBytes bytes;
        const int result = ReadFound(place, &bytes);
        if (result == 0) *out = GetProfileString(bytes, section, key, fallback, size);
        return result;
      },
      &value);
  if (*error == 0 || *error == EFBIG || *error == ENOMEM) return value;
  // A file that cannot be looked at reads as a missing one.
  if (Contained([&] { return value = GetProfileString("", section, key, fallback, size), 0; }) !=
      0) {
    value.clear();
  }
  return value;
}

int WriteValue(const std::string& path, std::string_view section, std::string_view key,
               std::string_view value) noexcept {
  std::string ignored;
  return WithRights(
      path, Deadline::FromNow(), actingAs,
      [&](const Place& place, std::string*) { return Update(place, section, key, value); },
      &ignored);
}

int DiffValue(const std::string& path, std::string_view section, std::string_view key,
              std::string_view value, std::string* diff) noexcept {
  return WithRights(
      path, Deadline::FromNow(), actingAs,
      [&](const Place& place, std::string* out) {
        FileBytes bytes;
        if (const int error = ReadFound(place, &bytes)) return error;
        const Splice splice = SetProfileString(bytes, section, key, value);
        if (splice.outcome == SpliceOutcome::Refused) return EILSEQ;
        *out = UnifiedDiff(bytes, splice, place.exists ? path : "/dev/null", path);
        return 0;
      },
      diff);
}

void ActAs(uid_t uid) { actingAs = uid; }

std::string ErrorText(int error) {
  return error == kChangedWhileRead ? "changed while being read" : std::strerror(error);
}

}  // namespace tavrel::profile
