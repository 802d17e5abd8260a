// Cancelling a solve: the caller sets an atomic flag (from another thread
// or a signal handler); the solvers poll it at phase boundaries, never in
// their inner loops, and stop.
#pragma once

#include <atomic>

namespace fast::internal {

// The caller's flag, or none. Once a poll has seen it set, every later poll
// answers true as well, so that each step on the way out of a solve stops
// at its next boundary whatever the flag does meanwhile.
class CancelPoll {
 public:
  explicit CancelPoll(const std::atomic<bool>* flag = nullptr) : flag_(flag) {}

  bool operator()() {
    seen_ = seen_ || (flag_ != nullptr && flag_->load(std::memory_order_relaxed));
    return seen_;
  }
  bool seen() const { return seen_; }

 private:
  const std::atomic<bool>* flag_;
  bool seen_ = false;
};

}  // namespace fast::internal
