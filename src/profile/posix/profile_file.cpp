// A read or a write of one key, top to bottom: the walk, then one held-file session (see
// session.h), tried again when another program changed the file under it.
#include "profile/posix/profile_file.h"

#include <cerrno>
#include <cstring>
#include <optional>

#include "profile/posix/contained.h"
#include "profile/posix/session.h"
#include "profile/posix/walk.h"
#include "profile/profile.h"

namespace tavrel::profile {
namespace {

// Tries of a read or write that another program changed the file under.
constexpr int kTries = 3;

// The user every run begins as, when start-up named one.
std::optional<uid_t> actingAs;

// Takes a session from Closed to Read, in `bytes`.
int OpenToRead(Session& session, FileBytes* bytes) {
  int result = session.Open();
  if (result == 0) result = session.Hold();
  if (result == 0) result = session.Recover();
  if (result == 0) result = session.Read(bytes);
  return result;
}

// Reads the file the walk found, whole: missing reads as empty.
int ReadFound(const Place& place, FileBytes* bytes, Answer* out) {
  for (int tries = 1;; ++tries) {
    Session session(place, Session::Access::Read, out);
    const int result = OpenToRead(session, bytes);
    if (result == ENOENT) return 0;  // missing, or removed since the walk
    if (result != kChangedWhileRead || tries == kTries) return result;
  }
}

int Update(const Place& place, std::string_view section, std::string_view key,
           std::string_view value, Answer* out) {
  for (int tries = 1;; ++tries) {
    Session session(place, Session::Access::Write, out);
    FileBytes bytes;
    int result = OpenToRead(session, &bytes);
    if (result == 0) result = session.Commit(bytes, SetProfileString(bytes, section, key, value));
    if (result != kChangedWhileRead || tries == kTries) return result;
  }
}

Report Reported(int error, const Answer& answer) {
  Report report{error, "", answer.notice};
  if (error != 0) report.reason = ErrorText(error) + (answer.why.empty() ? "" : ": " + answer.why);
  return report;
}

}  // namespace

Report ReadValue(const std::string& path, std::string_view section, std::string_view key,
                 std::string_view fallback, std::size_t size, std::string* value) noexcept {
  Answer answer;
  const int error = WithRights(
      path, Deadline::FromNow(), actingAs,
      [&](const Place& place, Answer* out) {
        FileBytes bytes;
        const int result = ReadFound(place, &bytes, out);
        if (result == 0) out->out = GetProfileString(bytes, section, key, fallback, size);
        return result;
      },
      &answer);
  value->clear();
  if (error == 0 || error == EFBIG || error == ENOMEM) {
    value->swap(answer.out);
  } else if (Contained([&] {
               return *value = GetProfileString("", section, key, fallback, size), 0;
             }) != 0) {
    value->clear();  // a file that cannot be looked at reads as a missing one
  }
  return Reported(error, answer);
}

Report WriteValue(const std::string& path, std::string_view section, std::string_view key,
                  std::string_view value) noexcept {
  Answer answer;
  const int error = WithRights(
      path, Deadline::FromNow(), actingAs,
      [&](const Place& place, Answer* out) { return Update(place, section, key, value, out); },
      &answer);
  return Reported(error, answer);
}

Report DiffValue(const std::string& path, std::string_view section, std::string_view key,
                 std::string_view value, std::string* diff) noexcept {
  Answer answer;
  const int error = WithRights(
      path, Deadline::FromNow(), actingAs,
      [&](const Place& place, Answer* out) {
        FileBytes bytes;
        if (const int failed = ReadFound(place, &bytes, out)) return failed;
        const Splice splice = SetProfileString(bytes, section, key, value);
        if (splice.outcome == SpliceOutcome::Refused) return EILSEQ;
        out->out = UnifiedDiff(bytes, splice, place.exists ? path : "/dev/null", path);
        return 0;
      },
      &answer);
  diff->swap(answer.out);
  return Reported(error, answer);
}

void ActAs(uid_t uid) { actingAs = uid; }

std::string ErrorText(int error) {
  switch (error) {
    case kChangedWhileRead:
      return "changed while being read";
    case kRefused:
      return "refused by the rules";
    case kPending:
      return "an interrupted write is pending";
    case kReadOnlyFile:
      return "read-only file";
    case ETIMEDOUT:
      return "gave no answer within 60 s";
    default:
      return std::strerror(error);
  }
}

}  // namespace tavrel::profile
