// The one boundary where an exception becomes an error number: nothing thrown leaves the
// profile code (in a child of root's, nothing may unwind into the parent's code).
#pragma once

#include <cerrno>
#include <new>

namespace tavrel::profile {

template <class F>
int Contained(const F& f) noexcept {
  try {
    return f();
  } catch (const std::bad_alloc&) {
    return ENOMEM;
  } catch (...) {
    return EIO;
  }
}

}  // namespace tavrel::profile
