// A team of threads for the parallel steps: one job at a time, run by every
// member together, the caller being member 0. The others are started once
// and sleep between jobs, so a solve pays for starting threads before its
// clock, not during it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace fast::internal {

// The processors this process may run on (its affinity mask), at least 1.
int AvailableCores();

// Relaxed atomic access to the plain int32 arrays the parallel steps share
// (the mates, the visited marks): each slot is read and changed atomically,
// and no step orders one slot's change after another's within a job (the
// end of a job, and Team::Sync(), make everything before them visible).
template <class T>
T Load(const T* slot) {
  return __atomic_load_n(slot, __ATOMIC_RELAXED);
}
template <class T>
void Store(T* slot, T value) {
  __atomic_store_n(slot, value, __ATOMIC_RELAXED);
}
// Sets the slot to `desired` when it holds *expected; else reads it into *expected.
template <class T>
bool Exchange(T* slot, T* expected, T desired) {
  return __atomic_compare_exchange_n(slot, expected, desired, false, __ATOMIC_RELAXED,
                                     __ATOMIC_RELAXED);
}

class Team {
 public:
  // Starts members - 1 threads. Throws std::system_error when the system
  // refuses a thread, std::bad_alloc.
  explicit Team(int members);
  ~Team();
  Team(const Team&) = delete;
  Team& operator=(const Team&) = delete;

  int size() const { return static_cast<int>(threads_.size()) + 1; }

  // Runs job(member) on every member, the caller as member 0, and returns
  // once all have returned. Jobs must not throw.
  template <class Job>
  void Run(Job& job) {
    Start(&Call<Job>, &job);
    job(0);
    Finish();
  }

  // Within a job, for every member: returns once all members have called
  // it; what each did before is then visible to all.
  void Sync();

 private:
  template <class Job>
  static void Call(void* job, int member) {
    (*static_cast<Job*>(job))(member);
  }
  void Start(void (*call)(void*, int), void* job);
  void Finish();
  void Serve(int member);
  // Stops and joins the threads.
  void Close();

  std::mutex mutex_;
  std::condition_variable wake_;      // a job is posted, or the team closes
  std::condition_variable finished_;  // the last member left the job
  std::condition_variable synced_;    // the last member reached Sync()
  // The posted job, guarded by mutex_; `generation` counts the jobs posted.
  void (*call_)(void*, int) = nullptr;
  void* job_ = nullptr;
  uint64_t generation_ = 0;
  int running_ = 0;  // members other than 0 still in the current job
  bool closing_ = false;
  // Sync(): the members arrived in the current round, and the rounds done.
  int arrived_ = 0;
  uint64_t rounds_ = 0;
  std::vector<std::thread> threads_;
};

}  // namespace fast::internal
