#include "profile/posix/owner_identity.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <utility>

#include "profile/posix/fd.h"

namespace tavrel::profile {
namespace {

struct Identity {
  uid_t uid = 0;
  gid_t gid = 0;
  bool shared = false;  // components of more than one user besides root
};

// Beyond the lock's 10 seconds, time for a large file.
constexpr int kChildPatienceMs = 60000;

// Whoever could change what a path component stands for, deepest one first. Intermediate
// links are followed by lstat of the longer prefixes, so a link's owner counts too; a final
// link's target is walked the same way, since root's link may lead through a user's
// directory. One user's link into another's directory makes the path neither user's alone.
Identity Controller(std::string path) {
  Identity who;
  for (int hop = 0; hop <= kMaxLinks; ++hop) {
    std::string target;
    for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
      struct stat st {};
      const std::string prefix = path.substr(0, end);
      const bool last = end == std::string::npos;
      const bool link = last && lstat(prefix.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
      if ((!last || link) && !prefix.empty() && lstat(prefix.c_str(), &st) == 0 && st.st_uid != 0) {
        who = {st.st_uid, st.st_gid, who.shared || (who.uid != 0 && who.uid != st.st_uid)};
      }
      if (link) target.resize(static_cast<std::size_t>(st.st_size) + 1);
      if (last) break;
    }
    const ssize_t n = target.empty() ? -1 : readlink(path.c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) return who;
    target.resize(static_cast<std::size_t>(n));
    const std::size_t slash = path.rfind('/');
    if (target[0] != '/' && slash != std::string::npos) target.insert(0, path, 0, slash + 1);
    path = std::move(target);
  }
  return who;
}

bool BecomeUser(Identity who) {
  if (const passwd* user = getpwuid(who.uid)) {
    who.gid = user->pw_gid;
    if (initgroups(user->pw_name, who.gid) != 0) return false;
  } else if (setgroups(1, &who.gid) != 0) {
    return false;
  }
  return setresgid(who.gid, who.gid, who.gid) == 0 && setresuid(who.uid, who.uid, who.uid) == 0;
}

}  // namespace

int AsControllingUser(const std::string& path, const std::function<int()>& write) {
  if (geteuid() != 0) return write();
  const Identity who = Controller(path);
  if (who.shared) return EPERM;
  if (who.uid == 0) return write();
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return errno;
  Fd in(ends[0]);
  Fd out(ends[1]);
  const pid_t child = fork();
  if (child < 0) return errno;
  if (child == 0) {
    in.reset();
    int result = EPERM;
    if (BecomeUser(who)) result = write();
    _exit(::write(out.get(), &result, sizeof result) == sizeof result ? 0 : 1);
  }
  out.reset();
  // The child runs as the user, who may stop it: root does not wait for it forever.
  pollfd answer{in.get(), POLLIN, 0};
  const bool answered = poll(&answer, 1, kChildPatienceMs) == 1;
  if (!answered) kill(child, SIGKILL);
  int result = ETIMEDOUT;
  const bool reported = answered && read(in.get(), &result, sizeof result) == sizeof result;
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return reported || !answered ? result : EIO;
}

}  // namespace tavrel::profile
