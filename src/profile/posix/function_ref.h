// A callable passed down without copying it or allocating (the walk's act, a child's task).
#pragma once

#include <utility>

namespace tavrel::profile {

template <class Signature>
class FunctionRef;

template <class R, class... Args>
class FunctionRef<R(Args...)> {
 public:
  template <class F>
  FunctionRef(const F& f)  // NOLINT(google-explicit-constructor): a lambda converts
      : f_(&f), call_([](const void* g, Args... args) {
          return (*static_cast<const F*>(g))(std::forward<Args>(args)...);
        }) {}
  R operator()(Args... args) const { return call_(f_, std::forward<Args>(args)...); }

 private:
  const void* f_;
  R (*call_)(const void*, Args...);
};

}  // namespace tavrel::profile
