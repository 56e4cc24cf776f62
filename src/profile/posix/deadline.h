// The one bound of a run: a read or a write, with every child, retry and wait it makes,
// ends within 60 seconds of its start, whatever another user does to it.
#pragma once

#include <chrono>

namespace tavrel::profile {

class Deadline {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::seconds kRunBound{60};

  static Deadline FromNow() { return Deadline(Clock::now() + kRunBound); }

  // A child's own waits (a lock, a lease) end first, so that it can still say why; root
  // waits for its answer until one second before the end, then for it to end.
  Clock::time_point work() const { return end_ - std::chrono::seconds(2); }
  Clock::time_point answer() const { return end_ - std::chrono::seconds(1); }
  Clock::time_point end() const { return end_; }

  // Milliseconds left until `when`, 0 once it has passed.
  static int MsUntil(Clock::time_point when) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(when - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
  }

 private:
  explicit Deadline(Clock::time_point end) : end_(end) {}
  Clock::time_point end_;
};

}  // namespace tavrel::profile
