// Running the rest of a run as a user, in a child process that took that user's identity
// for good: the kernel then allows only what that user could, and the user can neither
// trace the child nor read its memory (it changed its identity, so it is not dumpable).
#pragma once

#include <sys/types.h>

#include <string>

#include "profile/posix/deadline.h"
#include "profile/posix/function_ref.h"

namespace tavrel::profile {

// What runs as the user: 0 or an error number, and a few bytes of output (a value read).
using Task = FunctionRef<int(std::string* out)>;

// Takes the identity of `uid` for good: its account's groups, or, for a uid without an
// account, no supplementary group and the kernel's overflow group. 0 or an error number.
int BecomeUser(uid_t uid);

// Runs `task` in a child that has become `uid`, and returns its result and output: EPERM
// when it could not become the user, ETIMEDOUT when it gave no answer by the deadline's
// answer time (it is then killed), EIO when it ended without one. The child never returns
// into the caller's code. Root reaps the child by the deadline's end; one stuck in the
// kernel (a file system that never answers) is left behind.
int AsUser(uid_t uid, const Deadline& deadline, const Task& task, std::string* out) noexcept;

}  // namespace tavrel::profile
