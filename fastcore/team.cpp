#include "team.h"

#include <sched.h>

namespace fast::internal {

int AvailableCores() {
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) != 0) return 1;
  return CPU_COUNT(&set) > 0 ? CPU_COUNT(&set) : 1;
}

Team::Team(int members) {
  threads_.reserve(members > 1 ? members - 1 : 0);
  try {
    for (int member = 1; member < members; ++member)
      threads_.emplace_back(&Team::Serve, this, member);
  } catch (...) {
    Close();
    throw;
  }
}

Team::~Team() { Close(); }

void Team::Close() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
  }
  wake_.notify_all();
  for (std::thread& thread : threads_) thread.join();
  threads_.clear();
}

void Team::Start(void (*call)(void*, int), void* job) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    call_ = call;
    job_ = job;
    running_ = static_cast<int>(threads_.size());
    ++generation_;
  }
  wake_.notify_all();
}

void Team::Finish() {
  std::unique_lock<std::mutex> lock(mutex_);
  finished_.wait(lock, [this] { return running_ == 0; });
}

void Team::Serve(int member) {
  uint64_t seen = 0;
  for (;;) {
    void (*call)(void*, int);
    void* job;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [&] { return closing_ || generation_ != seen; });
      if (closing_) return;
      seen = generation_;
      call = call_;
      job = job_;
    }
    call(job, member);
    std::lock_guard<std::mutex> lock(mutex_);
    if (--running_ == 0) finished_.notify_one();
  }
}

void Team::Sync() {
  std::unique_lock<std::mutex> lock(mutex_);
  const uint64_t round = rounds_;
  if (++arrived_ == size()) {
    arrived_ = 0;
    ++rounds_;
    synced_.notify_all();
    return;
  }
  synced_.wait(lock, [&] { return rounds_ != round; });
}

}  // namespace fast::internal
