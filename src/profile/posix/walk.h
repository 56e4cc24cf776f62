// One walk of a path on descriptors, deciding on the way whose rights apply.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <string>

namespace tavrel::profile {

// Where a walk ended: the directory holding the file meant, its name there (never a
// symbolic link), and what the walk saw of it.
struct Place {
  int dir = -1;
  struct stat dirStat {};
  std::string name;
  bool exists = false;
  struct stat st {};  // when it exists
  uid_t acting = 0;   // whose rights are in use

  // Whether an entry found there later (under the lock, say) may still be used with the
  // rights in use.
  bool Allows(const struct stat& now) const;
};

// What runs at the end of a walk, passed without copying (nothing to allocate).
class Act {
 public:
  template <class F>
  Act(const F& f)  // NOLINT(google-explicit-constructor): a lambda converts
      : f_(&f), call_([](const void* g, const Place& place, std::string* out) {
          return (*static_cast<const F*>(g))(place, out);
        }) {}
  int operator()(const Place& place, std::string* out) const { return call_(f_, place, out); }

 private:
  const void* f_;
  int (*call_)(const void*, const Place&, std::string*);
};

// Walks `path` from "/" (or the working directory for a relative path) one component at a
// time, each opened O_PATH | O_NOFOLLOW relative to the one before, and every symbolic
// link read (readlinkat) and its target walked the same way, 40 links at most. Each
// component is judged by WhoseRights: at the first one that root does not own, the rest of
// the walk and `act` continue in a child that has taken its owner's identity (ForkAsUser),
// from the descriptor already open. Then `act(place, out)` runs. Returns act's result (0 or
// an error number) or the walk's error: EPERM for a refused component, ENOENT, ENOTDIR,
// ELOOP, ETIMEDOUT for a child that did not answer in time, ENOMEM. `out` carries what act
// produced (a few bytes at most) back from the child. Nothing thrown escapes.
int WithRights(const std::string& path, const Act& act, std::string* out) noexcept;

}  // namespace tavrel::profile
