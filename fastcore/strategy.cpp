#include "strategy.h"

#include <algorithm>

namespace fast::internal {

namespace {

Degrees Measure(const Adjacency& side) {
  Degrees d;
  for (int32_t v = 0; v < side.count; ++v) {
    const int64_t degree = side.end(v) - side.begin(v);
    d.non_empty += degree > 0;
    d.most = std::max(d.most, degree);
  }
  d.entries = side.count > 0 ? side.end(side.count - 1) : 0;
  return d;
}

// The side the searches start from: the rows when clearly fewer of them
// have an edge (their lists are longer on average, so each finds a free
// partner sooner), else the columns, as sparse maximum transversals do.
Side StartingSide(const Degrees& rows, const Degrees& cols) {
  return 10 * rows.non_empty <= 9 * cols.non_empty ? Side::kRows : Side::kColumns;
}

// Karp-Sipser pays on sparse graphs without hubs (random sparse graphs,
// grids), where a greedy start leaves many long augmenting paths; its two
// scans of every matched pair's lists cost more than they save once the
// average degree is high (a greedy start then misses few pairs) or a few
// hubs hold most edges (each hub's long list is scanned again).
Initialisation Start(const Degrees& side) {
  constexpr int64_t kSparse = 8;  // average degree at most
  const int64_t n = std::max<int64_t>(side.non_empty, 1);
  const bool sparse = side.entries <= kSparse * n;
  return sparse && !HasHubs(side) ? Initialisation::kKarpSipser : Initialisation::kGreedy;
}

// When one side is clearly smaller, a greedy start from it leaves few of
// its vertices free: each one still has partners to spare on the larger
// side when its turn comes, so the augmenting paths left are short and few.
// Karp-Sipser's care for the last free partners pays only where both sides
// must be matched almost whole. (Uniform 250,000 x 225,000, 1M edges,
// shuffled: 0.009 s against Karp-Sipser's 0.038.)
bool Unequal(const Degrees& rows, const Degrees& cols) {
  const int64_t fewer = std::min(rows.non_empty, cols.non_empty);
  const int64_t more = std::max(rows.non_empty, cols.non_empty);
  return 10 * fewer <= 9 * more;
}

}  // namespace

bool GreedyByDegree(const Degrees& side) {
  constexpr int64_t kShare = 64;  // the largest list holds this share of the entries at least
  return HasHubs(side) && side.most * kShare >= side.entries;
}

bool HasHubs(const Degrees& side) {
  constexpr int64_t kHub = 16;  // times the average degree
  const int64_t n = std::max<int64_t>(side.non_empty, 1);
  return side.most * n > kHub * side.entries;
}

// The automatic plan: a greedy start when one side is clearly smaller, else
// Karp-Sipser or a greedy start by the degrees of the smaller side; then
// PF+. Karp-Sipser comes after a greedy probe; a greedy start is searched
// from the smaller side, and when PF+ does not finish within one pass over
// the adjacency (long augmenting paths) the solve starts over with
// Karp-Sipser.
MatchingPlan ChoosePlan(const Look& look, const MatchingOptions& options) {
  MatchingPlan plan;
  plan.initialisation = options.initialisation;
  plan.search = options.search == Search::kAuto ? Search::kPothenFan : options.search;
  plan.side = options.side;
  if (plan.side != Side::kAuto && plan.initialisation != Initialisation::kAuto) return plan;
  const Side smaller = StartingSide(look.rows, look.cols);
  // The columns' lists are built in row order, so first-free choices made
  // from them crowd onto the low-numbered rows; the rows' lists keep the
  // file's order. Karp-Sipser, which makes such choices for a large share of
  // its pairs, starts from the rows unless the columns are clearly fewer.
  const bool columns_fewer = 10 * look.cols.non_empty <= 9 * look.rows.non_empty;
  const Side karp_sipser_side = columns_fewer ? Side::kColumns : Side::kRows;
  const bool automatic = plan.initialisation == Initialisation::kAuto;
  if (automatic) {
    plan.initialisation = Unequal(look.rows, look.cols)
                              ? Initialisation::kGreedy
                              : Start(smaller == Side::kRows ? look.rows : look.cols);
  }
  const bool karp_sipser = plan.initialisation == Initialisation::kKarpSipser;
  if (plan.side == Side::kAuto) plan.side = karp_sipser ? karp_sipser_side : smaller;
  if (automatic && options.search == Search::kAuto) {
    plan.greedy_probe = karp_sipser;
    if (karp_sipser) plan.search = Search::kPothenFanBothSides;
    if (!karp_sipser) plan.restart_side = karp_sipser_side;
  }
  return plan;
}

// Every vertex left free that stays free costs PF+ a failed search, and
// the failed searches of a phase cut each other short (each tainted by
// the others' marks), so a deficient graph is explored again phase after
// phase before its trees die. Push-relabel's global relabelling proves a
// whole region hopeless in one breadth-first pass. Karp-Sipser leaves few
// vertices free where a nearly perfect matching exists (sparse random
// graphs and grids: 1 to 3% of the bound); a sixteenth of the bound left
// free means a graph whose maximum leaves many vertices free.
Search SearchAfterKarpSipser(const Look& look, int64_t pairs) {
  constexpr int64_t kManyFree = 16;  // free vertices, as a share of the bound
  return (look.bound - pairs) * kManyFree > look.bound ? Search::kPushRelabelEitherSide
                                                       : Search::kPothenFanBothSides;
}

bool NeedsColumnSide(const MatchingOptions& options) {
  return options.side != Side::kRows || options.initialisation == Initialisation::kAuto ||
         options.initialisation == Initialisation::kKarpSipser ||
         (options.search != Search::kAuto && options.search != Search::kPothenFan);
}

Look LookAt(const Adjacency& rows, const Adjacency& cols) {
  Look look;
  look.rows = Measure(rows);
  if (cols.offsets != nullptr) look.cols = Measure(cols);
  const int64_t matchable_cols = cols.offsets != nullptr ? look.cols.non_empty : cols.count;
  look.bound = std::min(look.rows.non_empty, matchable_cols);
  return look;
}

}  // namespace fast::internal

namespace fast {

namespace {

// One table per choice: its names both ways. kAuto is named but not looked
// up, since "auto" stands for the whole plan, not one of its parts.
template <class Choice>
struct Named {
  const char* name;
  Choice choice;
};

constexpr Named<Initialisation> kStarts[] = {{"none", Initialisation::kNone},
                                             {"greedy", Initialisation::kGreedy},
                                             {"ks", Initialisation::kKarpSipser}};
constexpr Named<Search> kSearches[] = {{"pf", Search::kPothenFan},
                                       {"pr", Search::kPushRelabel},
                                       {"pr-either", Search::kPushRelabelEitherSide},
                                       {"pf-pr", Search::kPothenFanThenPushRelabel},
                                       {"pf-both", Search::kPothenFanBothSides}};
constexpr Named<Side> kSides[] = {{"first", Side::kRows}, {"second", Side::kColumns}};

template <class Choice, size_t N>
const char* Lookup(const Named<Choice> (&table)[N], Choice choice) {
  for (const Named<Choice>& entry : table)
    if (entry.choice == choice) return entry.name;
  return "auto";
}

template <class Choice, size_t N>
bool Lookup(const Named<Choice> (&table)[N], const std::string& name, Choice* choice) {
  for (const Named<Choice>& entry : table) {
    if (name != entry.name) continue;
    *choice = entry.choice;
    return true;
  }
  return false;
}

}  // namespace

const char* NameOf(Initialisation start) { return Lookup(kStarts, start); }
const char* NameOf(Search search) { return Lookup(kSearches, search); }
const char* NameOf(Side side) { return Lookup(kSides, side); }
bool FromName(const std::string& name, Initialisation* start) {
  return Lookup(kStarts, name, start);
}
bool FromName(const std::string& name, Search* search) { return Lookup(kSearches, name, search); }
bool FromName(const std::string& name, Side* side) { return Lookup(kSides, name, side); }

}  // namespace fast
