// Karp-Sipser's start on a team of threads (karp_sipser.h): each member
// takes rows in chunks and matches the degree-one vertices its own pairs
// make, the slots shared by all.
//
// A pair is made by claims on the slots. A member first claims the vertex
// it matches, turning its slot from a degree to kBusy; then it claims a
// free neighbour, turning that slot from a degree straight to its mate;
// a claim is a compare-and-swap, so every vertex is matched once. A
// degree is taken down by a compare-and-swap too, and not while its
// vertex is busy: degrees may end too high (a vertex missed by the
// degree-one rule), never too low but for a vertex that found no free
// neighbour to claim, which is then set to none. Either costs a pair the
// start could have made, never a wrong pair; the search that follows
// finds it.
#include <algorithm>
#include <atomic>
#include <climits>
#include <thread>
#include <vector>

#include "karp_sipser.h"

namespace fast::internal {

namespace {

// The slot of a free vertex that a member is matching.
constexpr int32_t kBusy = INT32_MIN;

class ParallelKarpSipser : KarpSipserReads<Adjacency> {
 public:
  ParallelKarpSipser(const Adjacency& rows, const Adjacency& cols, Mates mates, Team* team,
                     int32_t* stacks)
      : KarpSipserReads<Adjacency>(rows, cols, mates),
        team_(team),
        members_(team->size()),
        stack_size_(static_cast<int32_t>((int64_t{rows.count} + cols.count) / team->size())) {
    for (int m = 0; m < team->size(); ++m) members_[m].stack = stacks + int64_t{m} * stack_size_;
  }

  void operator()(int m) {
    Member& me = members_[m];
    const int n = team_->size();
    const int32_t row_end = Share(rows_.count, m + 1, n), col_end = Share(cols_.count, m + 1, n);
    for (int32_t r = Share(rows_.count, m, n); r < row_end; ++r)
      Count(&me, r, rows_.end(r) - rows_.begin(r));
    for (int32_t c = Share(cols_.count, m, n); c < col_end; ++c)
      Count(&me, ~c, cols_.end(c) - cols_.begin(c));
    team_->Sync();
    // The degree-one vertices first, and all their consequences, before
    // any first-free choice is made: on the shuffled long paths they match
    // everything, one block of the chain after the other, and a row that
    // chose first ahead of them would take a column the chain needs.
    MatchDegreeOne(&me);
    team_->Sync();
    for (;;) {
      const int32_t first = next_row_.fetch_add(kChunk, std::memory_order_relaxed);
      if (first >= rows_.count) break;
      MatchRows(&me, first, std::min(first + kChunk, rows_.count));
    }
    MatchDegreeOne(&me);
    team_->Sync();
    // Degrees left too high read as none from here on.
    for (int32_t r = Share(rows_.count, m, n); r < row_end; ++r)
      mates_.row[r] = std::max(mates_.row[r], -1);
    for (int32_t c = Share(cols_.count, m, n); c < col_end; ++c)
      mates_.col[c] = std::max(mates_.col[c], -1);
  }

  void AddTo(MatchingCounters* counters, int64_t* pairs) const {
    for (const Member& member : members_) {
      counters->arc_scans += member.scans;
      counters->initial_pairs += member.pairs;
      *pairs += member.pairs;
    }
  }

 private:
  // Rows handed out at a time: long enough runs of consecutive rows keep a
  // member's lists and slots near each other on ordered graphs.
  static constexpr int32_t kChunk = 1024;
  // Vertices taken together: more than on one thread, whose order this run
  // need not keep, to keep more cache misses in flight.
  static constexpr int32_t kBatch = 32;

  // One member's part, on a cache line of its own.
  struct alignas(64) Member {
    int32_t* stack = nullptr;  // its degree-one vertices
    int32_t pushed = 0;
    int64_t scans = 0;
    int64_t pairs = 0;
  };

  // Member m's share of count items, [Share(m), Share(m + 1)).
  static int32_t Share(int32_t count, int m, int n) {
    return static_cast<int32_t>(int64_t{count} * m / n);
  }

  void Count(Member* me, int32_t vertex, int64_t degree) {
    const Seen s = Of(vertex);
    s.own_slots[s.v] = static_cast<int32_t>(-1 - degree);
    if (degree == 1) Push(me, vertex);
  }

  // A member's stack holds (rows + cols) / members vertices; one pushed
  // beyond is left to the rows' first-free pass and the search.
  void Push(Member* me, int32_t vertex) {
    if (me->pushed < stack_size_) me->stack[me->pushed++] = vertex;
  }

  // The rows [first, last), and between two rows the degree-one vertices
  // the pairs made.
  void MatchRows(Member* me, int32_t first, int32_t last) {
    int32_t batch[kBatch];
    for (int32_t from = first; from < last; from += kBatch) {
      const int32_t to = std::min(from + kBatch, last);
      int32_t n = 0;
      for (int32_t r = from; r < to; ++r)
        if (Load(mates_.row + r) < -1) batch[n++] = r;
      AskFor(batch, n);
      for (int32_t r = from; r < to; ++r) {
        MatchDegreeOne(me);
        MatchFirstFree(me, r);
      }
    }
  }

  void MatchDegreeOne(Member* me) {
    int32_t batch[kBatch];
    while (me->pushed > 0) {
      const int32_t n = std::min(me->pushed, kBatch);
      me->pushed -= n;
      std::copy(me->stack + me->pushed, me->stack + me->pushed + n, batch);
      AskFor(batch, n);
      for (int32_t i = n; i-- > 0;) {
        const Seen s = Of(batch[i]);
        int32_t slot = -2;
        if (Load(s.own_slots + s.v) != -2 || !Exchange(s.own_slots + s.v, &slot, kBusy)) continue;
        const int32_t partner = Claim(me, s, /*prefer_last=*/false);
        if (partner == kRetry) {
          Store(s.own_slots + s.v, -2);
          Push(me, batch[i]);
          continue;
        }
        Store(s.own_slots + s.v, partner >= 0 ? partner : -1);
        if (partner < 0) continue;
        ++me->pairs;
        // The vertex had no free neighbour but its partner: only the
        // partner's list changes degrees.
        Decrease(me, batch[i] >= 0 ? Of(~partner) : Of(partner));
      }
    }
  }

  // Row r, if still free with a free neighbour, takes its first free column.
  void MatchFirstFree(Member* me, int32_t r) {
    int32_t slot = Load(mates_.row + r);
    do {
      if (slot >= -1 || slot == kBusy) return;  // matched, busy, or no free neighbour
    } while (!Exchange(mates_.row + r, &slot, kBusy));
    const int32_t c = Claim(me, Of(r), /*prefer_last=*/true);
    Store(mates_.row + r, c >= 0 ? c : -1);
    if (c < 0) return;
    ++me->pairs;
    Decrease(me, Of(r));
    Decrease(me, Of(~c));
  }

  // What Claim returns besides a vertex.
  static constexpr int32_t kNone = -1, kRetry = -2;
  enum class Took { kYes, kNo, kBusyRow };

  // Claims a free neighbour of the busy vertex s, setting its slot to s,
  // and returns it, or kNone. With prefer_last, one whose last free
  // neighbour s is comes first: on one thread no vertex of degree one is
  // left when a row makes its first-free choice, but here another member's
  // may be, or the vertex may be busy being matched, and passing it over
  // loses a pair (on the shuffled long paths, one in a hundred, each an
  // augmenting path across the chain for the search).
  //
  // Two busy vertices may each be the other's only free neighbour: a row
  // waits for a busy column to be decided, while a column that meets a busy
  // row gives up at once, returning kRetry to be tried again later. So
  // neither waits for the other, and the row makes the pair.
  int32_t Claim(Member* me, Seen s, bool prefer_last) {
    const bool row = s.side == &rows_;
    const int64_t begin = s.side->begin(s.v), end = s.side->end(s.v);
    if (prefer_last)
      for (int64_t e = begin; e < end; ++e) {
        ++me->scans;
        int32_t* slot = s.neighbour_slots + s.side->targets[e];
        if (Load(slot) == -2 && Take(slot, s.v, row) == Took::kYes) return s.side->targets[e];
      }
    for (int64_t e = begin; e < end; ++e) {
      ++me->scans;
      const Took took = Take(s.neighbour_slots + s.side->targets[e], s.v, row);
      if (took == Took::kYes) return s.side->targets[e];
      if (took == Took::kBusyRow) return kRetry;
    }
    return kNone;
  }

  // Takes a free vertex's slot for `mate`; a row waits while the slot is
  // busy, a column does not.
  static Took Take(int32_t* slot, int32_t mate, bool row) {
    int32_t value = Load(slot);
    for (int spins = 0;; ++spins) {
      if (value == kBusy) {
        if (!row) return Took::kBusyRow;
        if (spins % 64 == 63) std::this_thread::yield();
        value = Load(slot);
        continue;
      }
      if (value >= 0) return Took::kNo;
      if (Exchange(slot, &value, mate)) return Took::kYes;
    }
  }

  // Takes the matched vertex s out of its free neighbours' degrees.
  void Decrease(Member* me, Seen s) {
    const bool row = s.side == &rows_;
    me->scans += s.side->end(s.v) - s.side->begin(s.v);
    for (int64_t e = s.side->begin(s.v); e < s.side->end(s.v); ++e) {
      const int32_t w = s.side->targets[e];
      int32_t* slot = s.neighbour_slots + w;
      int32_t value = Load(slot);
      while (value < -1 && value != kBusy)
        if (Exchange(slot, &value, value + 1)) {
          if (value == -3) Push(me, row ? ~w : w);
          break;
        }
    }
  }

  Team* team_;
  std::vector<Member> members_;
  const int32_t stack_size_;
  std::atomic<int32_t> next_row_{0};  // the first row not yet handed out
};

}  // namespace

void ParallelKarpSipserMatch(const Adjacency& rows, const Adjacency& cols, Mates mates,
                             MatchingCounters* counters, Workspace* work) {
  ParallelKarpSipser run(rows, cols, mates, work->team.get(), work->degree_one.data());
  work->team->Run(run);
  run.AddTo(counters, mates.pairs);
}

}  // namespace fast::internal
