// The outcome of a solver in the fast library.
#pragma once

#include <string_view>

namespace fast {

enum class Status {
  kOptimal,       // the solver finished; its results are optimal
  kInvalidInput,  // an id out of range or inconsistent sizes; nothing was solved
  kOutOfMemory,   // the working arrays could not be obtained
  // a flow network's capacities out of the source or into the sink add up
  // to more than 2^62 (fastcore/max_flow.h); nothing was solved
  kCapacityOverflow,
  kCancelled,  // the caller's cancel flag was seen set; the results are not to be used
};

// A short English description of `status`.
constexpr std::string_view StatusMessage(Status status) {
  switch (status) {
    case Status::kOptimal:
      return "optimal";
    case Status::kInvalidInput:
      return "invalid input";
    case Status::kOutOfMemory:
      return "out of memory";
    case Status::kCapacityOverflow:
      return "the capacities out of the source or into the sink add up to more than 2^62";
    case Status::kCancelled:
      return "cancelled";
  }
  return "unknown status";
}

}  // namespace fast
