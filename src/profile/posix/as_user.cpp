#include "profile/posix/as_user.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <thread>

#include "profile/posix/contained.h"
#include "profile/posix/fd.h"

namespace tavrel::profile {
namespace {

// The most a child may send: a value read, never a file.
constexpr std::uint32_t kMaxOutput = 65536;

struct Header {
  int result;
  std::uint32_t size;
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

[[noreturn]] void Answer(int fd, int result, const std::string& out) {
  const Header header{result, static_cast<std::uint32_t>(out.size())};
  const bool sent = write(fd, &header, sizeof header) == sizeof header &&
                    write(fd, out.data(), out.size()) == static_cast<ssize_t>(out.size());
  _exit(sent ? 0 : 1);
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
  if (setresgid(gid, gid, gid) != 0 || setresuid(uid, uid, uid) != 0) return errno;
  return 0;
}

int AsUser(uid_t uid, const Deadline& deadline, const Task& task, std::string* out) noexcept {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return errno;
  Fd in(ends[0]);
  Fd answer(ends[1]);
  const pid_t child = fork();
  if (child < 0) return errno;
  if (child == 0) {
    in.reset();
    if (BecomeUser(uid) != 0) Answer(answer.get(), EPERM, "");
    const int result = Contained([&] { return task(out); });
    Answer(answer.get(), result, *out);
  }
  answer.reset();
  // The child runs as the user, who may stop it: root waits for it only until the deadline.
  Header header{};
  bool answered =
      ReadFor(in.get(), reinterpret_cast<char*>(&header), sizeof header, deadline.answer()) &&
      header.size <= kMaxOutput;
  if (answered) {
    out->assign(header.size, '\0');
    answered = ReadFor(in.get(), out->data(), out->size(), deadline.answer());
  }
  if (!answered) {
    out->clear();
    kill(child, SIGKILL);
  }
  // Its end of the pipe closes as it exits: then it is reaped, or left behind at the end.
  pollfd ended{in.get(), POLLIN, 0};
  while (answered && poll(&ended, 1, Deadline::MsUntil(deadline.end())) < 0 && errno == EINTR) {
  }
  int status = 0;
  while (waitpid(child, &status, WNOHANG) == 0 && Deadline::MsUntil(deadline.end()) > 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (answered) return header.result;
  return Deadline::MsUntil(deadline.answer()) == 0 ? ETIMEDOUT : EIO;
}

}  // namespace tavrel::profile
