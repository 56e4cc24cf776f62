// Running the rest of a run as a user, in a child process that takes that user's identity
// for good. The kernel then allows it only what that user could do, and the child keeps
// nothing of root's that the user could reach: it is never dumpable (so the user can
// neither trace it nor read its memory, environment or descriptors, whatever
// fs.suid_dumpable says), its environment is empty, and it holds no descriptor but its
// answer pipe and those it opened itself as the user.
#pragma once

#include <sys/types.h>

#include <vector>

#include "profile/posix/answer.h"
#include "profile/posix/deadline.h"
#include "profile/posix/function_ref.h"

namespace tavrel::profile {

// What runs as the user: 0 or an error number, and its answer.
using Task = FunctionRef<int(Answer* out)>;
// Runs first in the child, as the user: opens again, with the user's rights, what the task
// needs of the caller's descriptors, and lists the new ones in `keep`. 0 or an error number.
using Adopt = FunctionRef<int(std::vector<int>* keep)>;

// Takes the identity of `uid` for good: its account's groups, or, for a uid without an
// account, no supplementary group and the kernel's overflow group. The process is made
// undumpable before its real and saved ids leave root, so that at no moment may the user
// attach to it. 0 or an error number.
int BecomeUser(uid_t uid);

// Runs `task` in a child that has become `uid` and adopted what it needs, and returns its
// result and answer: EPERM when it could not become the user, ETIMEDOUT when it gave no
// answer by the deadline's answer time, EIO when it ended without one. The child never
// returns into the caller's code. Root kills the child once it has answered or its time is
// up, and reaps it by the deadline's end; one stuck in the kernel (a file system that
// never answers) is left behind.
int AsUser(uid_t uid, const Deadline& deadline, const Adopt& adopt, const Task& task,
           Answer* out) noexcept;

}  // namespace tavrel::profile
