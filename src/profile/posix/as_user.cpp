#include "profile/posix/as_user.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <thread>

#include "profile/posix/fd.h"
#include "profile/posix/rights.h"

namespace tavrel::profile {
namespace {

using Clock = std::chrono::steady_clock;

// The most a child may send: a value read, never a file.
constexpr std::uint32_t kMaxOutput = 65536;

struct Header {
  int result;
  std::uint32_t size;
};

int MsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Reads `size` bytes before the deadline; false when they did not come.
bool ReadFor(int fd, char* to, std::size_t size, Clock::time_point deadline) {
  while (size > 0) {
    pollfd ready{fd, POLLIN, 0};
    const int n = poll(&ready, 1, MsLeft(deadline));
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

// Reaps the child if it ends within the bound; otherwise leaves it to init.
void Reap(pid_t child) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(kChildReapMs);
  int status = 0;
  while (waitpid(child, &status, WNOHANG) == 0 && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

}  // namespace

bool ForkAsUser(uid_t uid, int* report, int* result, std::string* out) {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return *result = errno, true;
  Fd in(ends[0]);
  Fd answer(ends[1]);
  const pid_t child = fork();
  if (child < 0) return *result = errno, true;
  if (child == 0) {
    in.reset();
    *report = answer.release();
    if (!BecomeUser(uid)) ReportAndExit(*report, EPERM, "");
    return false;
  }
  answer.reset();
  // The child runs as the user, who may stop it: root does not wait for it forever.
  const auto deadline = Clock::now() + std::chrono::milliseconds(kChildPatienceMs);
  Header header{};
  bool answered = ReadFor(in.get(), reinterpret_cast<char*>(&header), sizeof header, deadline) &&
                  header.size <= kMaxOutput;
  if (answered) {
    out->assign(header.size, '\0');
    answered = ReadFor(in.get(), out->data(), out->size(), deadline);
  }
  if (!answered) {
    out->clear();
    kill(child, SIGKILL);
  }
  Reap(child);
  *result = answered ? header.result : MsLeft(deadline) == 0 ? ETIMEDOUT : EIO;
  return true;
}

void ReportAndExit(int report, int result, const std::string& out) {
  const Header header{result, static_cast<std::uint32_t>(out.size())};
  const bool sent = write(report, &header, sizeof header) == sizeof header &&
                    write(report, out.data(), out.size()) == static_cast<ssize_t>(out.size());
  _exit(sent ? 0 : 1);
}

}  // namespace tavrel::profile
