#include "profile/posix/as_user.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "profile/posix/contained.h"
#include "profile/posix/fd.h"

extern char** environ;  // NOLINT: POSIX's own declaration

namespace tavrel::profile {
namespace {

// The most a child may send: a diff holds at most both sides of the largest file read.
constexpr std::uint64_t kMaxOutput = 2 * static_cast<std::uint64_t>(kMaxFileSize) + 65536;
constexpr std::uint32_t kMaxSaid = 4096;

struct Header {
  int result;
  std::uint64_t out;
  std::uint32_t why;
  std::uint32_t notice;
};

// The group of files whose group has no name here (65534 unless the kernel says otherwise).
gid_t OverflowGid() {
  unsigned gid = 65534;
  if (std::FILE* f = std::fopen("/proc/sys/kernel/overflowgid", "re")) {
    if (std::fscanf(f, "%u", &gid) != 1) gid = 65534;
    std::fclose(f);
  }
  return static_cast<gid_t>(gid);
}

// Reads `size` bytes before `until`; false when they did not come.
bool ReadFor(int fd, char* to, std::size_t size, Deadline::Clock::time_point until) {
  while (size > 0) {
    pollfd ready{fd, POLLIN, 0};
    const int n = poll(&ready, 1, Deadline::MsUntil(until));
    if (n < 0 && errno == EINTR) continue;
    if (n != 1) return false;
    const ssize_t got = read(fd, to, size);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    to += got;
    size -= static_cast<std::size_t>(got);
  }
  return true;
}

bool WriteWhole(int fd, const void* data, std::size_t size) {
  const char* from = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = write(fd, from, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    from += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

[[noreturn]] void Send(int fd, int result, const Answer& answer) {
  const Header header{
      result, answer.out.size(),
      static_cast<std::uint32_t>(std::min<std::size_t>(answer.why.size(), kMaxSaid)),
      static_cast<std::uint32_t>(std::min<std::size_t>(answer.notice.size(), kMaxSaid))};
  const bool sent = WriteWhole(fd, &header, sizeof header) &&
                    WriteWhole(fd, answer.out.data(), header.out) &&
                    WriteWhole(fd, answer.why.data(), header.why) &&
                    WriteWhole(fd, answer.notice.data(), header.notice);
  _exit(sent ? 0 : 1);
}

// Reads the child's answer; false when it did not come whole and in time.
bool Receive(int fd, Deadline::Clock::time_point until, int* result, Answer* answer) {
  Header header{};
  if (!ReadFor(fd, reinterpret_cast<char*>(&header), sizeof header, until) ||
      header.out > kMaxOutput || header.why > kMaxSaid || header.notice > kMaxSaid) {
    return false;
  }
  answer->out.assign(static_cast<std::size_t>(header.out), '\0');
  answer->why.assign(header.why, '\0');
  answer->notice.assign(header.notice, '\0');
  *result = header.result;
  return ReadFor(fd, answer->out.data(), answer->out.size(), until) &&
         ReadFor(fd, answer->why.data(), answer->why.size(), until) &&
         ReadFor(fd, answer->notice.data(), answer->notice.size(), until);
}

// Closes every descriptor but those in `keep`.
void CloseAllBut(std::vector<int> keep) {
  std::sort(keep.begin(), keep.end());
  unsigned from = 0;
  for (const int fd : keep) {
    if (fd < 0) continue;
    if (static_cast<unsigned>(fd) > from) close_range(from, static_cast<unsigned>(fd) - 1, 0);
    from = static_cast<unsigned>(fd) + 1;
  }
  close_range(from, ~0U, 0);
}

// Root's environment, gone from the child's memory as well as from its list.
void EmptyEnvironment() {
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    std::memset(*entry, 0, std::strlen(*entry));
  }
  clearenv();
}

// The child's whole life: it ends here, having sent its answer on `answer`.
[[noreturn]] void Child(uid_t uid, int answer, const Adopt& adopt, const Task& task, Answer* out) {
  EmptyEnvironment();
  *out = {};
  if (BecomeUser(uid) != 0) Send(answer, EPERM, *out);
  std::vector<int> keep;
  int result = Contained([&] { return adopt(&keep); });
  keep.push_back(answer);
  CloseAllBut(keep);
  // Descriptors 0 to 2 lead nowhere, so that nothing opened later takes their place.
  int null = -1;
  while ((null = open("/dev/null", O_RDWR)) >= 0 && null < 3) {
  }
  if (null >= 3) close(null);
  if (result == 0) result = Contained([&] { return task(out); });
  Send(answer, result, *out);
}

}  // namespace

int BecomeUser(uid_t uid) {
  gid_t gid = 0;
  if (const passwd* user = getpwuid(uid)) {
    gid = user->pw_gid;
    if (initgroups(user->pw_name, gid) != 0) return errno;
  } else {
    gid = OverflowGid();
    if (setgroups(0, nullptr) != 0) return errno;
  }
  if (setresgid(gid, gid, gid) != 0) return errno;
  // The effective id first: its change makes the process dumpable again where
  // fs.suid_dumpable says so, but while the real and saved ids are still root's, the user
  // may not attach. Once undumpable, the change of those two leaves it so.
  if (setresuid(static_cast<uid_t>(-1), uid, static_cast<uid_t>(-1)) != 0) return errno;
  if (prctl(PR_SET_DUMPABLE, 0) != 0) return errno;
  if (setresuid(uid, uid, uid) != 0) return errno;
  return 0;
}

int AsUser(uid_t uid, const Deadline& deadline, const Adopt& adopt, const Task& task,
           Answer* out) noexcept {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return errno;
  Fd in(ends[0]);
  Fd answer(ends[1]);
  const pid_t child = fork();
  if (child < 0) return errno;
  if (child == 0) {
    in.reset();
    Child(uid, answer.get(), adopt, task, out);
  }
  answer.reset();
  // The child runs as the user, who may stop it: root waits for it only until the deadline.
  int result = 0;
  const bool answered =
      Contained([&] { return Receive(in.get(), deadline.answer(), &result, out) ? 1 : 0; }) == 1;
  if (!answered) *out = {};
  // Its work is done or its time is up: a child stopped before it could end is ended here.
  kill(child, SIGKILL);
  int status = 0;
  while (waitpid(child, &status, WNOHANG) == 0 && Deadline::MsUntil(deadline.end()) > 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (answered) return result;
  return Deadline::MsUntil(deadline.answer()) == 0 ? ETIMEDOUT : EIO;
}

}  // namespace tavrel::profile
