// Writes done for root in another user's directory are done as that user.
#pragma once

#include <functional>
#include <string>

namespace tavrel::profile {

// Runs `write` as the user who controls `path`: for root, the owner of the deepest
// component of the path (or of a final symbolic link) that root does not own, in a child
// process that has taken that user's identity, so that the kernel allows only what that
// user could do; otherwise in this process. Returns write()'s error number.
int AsControllingUser(const std::string& path, const std::function<int()>& write);

}  // namespace tavrel::profile
