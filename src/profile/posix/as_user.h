// The rest of a run, for root, in a child process that has taken a user's identity.
#pragma once

#include <sys/types.h>

#include <string>

namespace tavrel::profile {

// Root's wait for the child's answer (beyond the lock's 10 seconds, time for a large
// file), and then for the child to end once it answered or was killed.
constexpr int kChildPatienceMs = 60000;
constexpr int kChildReapMs = 1000;

// Forks. In the child, which has become `uid` (see BecomeUser), returns false with `report`
// set: the child goes on and ends by ReportAndExit(report, ...). In the parent returns true
// with the child's `result` and output `out`: ETIMEDOUT when it gave none in time, EIO when
// it ended without an answer, EPERM when it could not become the user, or why it could not
// be started. Root never waits longer than the two bounds above: a child stuck in the
// kernel (a file system that never answers) is killed and left behind.
bool ForkAsUser(uid_t uid, int* report, int* result, std::string* out);

// Sends the result and output to the parent and ends the child.
[[noreturn]] void ReportAndExit(int report, int result, const std::string& out);

}  // namespace tavrel::profile
