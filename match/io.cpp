#include "io.h"

#include "manip.h"
#include "utility.h"

namespace {

constexpr int WordCapacity = 100;  // the problem word: 99 characters and the NUL

// What the reader gathers before it can judge the edges: the last problem
// record and the extremes of all vertex numbers read.
struct ReadState {
  bool problemSeen = false;
  int nU = 0;
  int nV = 0;
  int nE = 0;
  int lowest = 1;    // the smallest vertex number on either side, or 1
  int highestU = 0;  // the largest U vertex number, or 0
  int highestV = 0;  // the largest V vertex number, or 0
};

void ReadProblem(FILE* stream, ReadState& read) {
  char word[WordCapacity];
  GetString(stream, word, WordCapacity);
  read.problemSeen = true;
  read.nU = GetInt(stream);
  read.nV = GetInt(stream);
  read.nE = GetInt(stream);
}

// Edges on their way to AddEdge. Each waits behind a few later ones, and the
// U vertex record it goes to is fetched from memory when it enters, so that
// storing an edge rarely waits for memory. Edges leave in input order, so
// the lists are exactly those of storing each edge at once; nothing reads
// the lists before the queue is emptied at the end of input.
class EdgeQueue {
 public:
  void Push(int u, int v, UTable& U, VTable& V) {
#if defined(__GNUC__)
    __builtin_prefetch(&U.vertex[u]);
#endif
    if (count == Depth) {
      AddEdge(us[head], vs[head], U, V);
      head = (head + 1) % Depth;
      --count;
    }
    const int tail = (head + count) % Depth;
    us[tail] = u;
    vs[tail] = v;
    ++count;
  }
  void Flush(UTable& U, VTable& V) {
    for (; count > 0; --count, head = (head + 1) % Depth) AddEdge(us[head], vs[head], U, V);
  }

 private:
  static constexpr int Depth = 16;
  int us[Depth];
  int vs[Depth];
  int head = 0;   // the oldest edge
  int count = 0;  // edges waiting
};

// Stores the edge when both numbers lie inside the tables. One that does not
// can never be accepted, since the sides are smaller than the tables, so the
// judgement after the input rejects it.
void ReadEdge(FILE* stream, ReadState& read, EdgeQueue& edges, UTable& U, VTable& V) {
  const int u = GetInt(stream);
  const int v = GetInt(stream);
  read.lowest = Min(read.lowest, Min(u, v));
  read.highestU = Max(read.highestU, u);
  read.highestV = Max(read.highestV, v);
  if (u >= 1 && u < VertexCapacity && v >= 1 && v < VertexCapacity) edges.Push(u, v, U, V);
}

[[noreturn]] void RejectRecord(int first) {
  std::printf("first char in a line = %c\n", first);
  Barf("Unexpected case in InputBipartiteGraph\n");
}

bool FitsTable(int count) { return count >= 0 && count < VertexCapacity; }

// Judges what was read, once the input has ended, and only then sets the
// counts.
void AcceptCounts(FILE* stream, const ReadState& read, UTable& U, VTable& V) {
  if (std::ferror(stream)) Barf("Read error in InputBipartiteGraph");
  if (!read.problemSeen) Barf("No problem line in InputBipartiteGraph");
  if (!FitsTable(read.nU) || !FitsTable(read.nV) || read.nE < 0) {
    Barf("Bad problem line in InputBipartiteGraph");
  }
  if (read.lowest < 1 || read.highestU > read.nU || read.highestV > read.nV) {
    Barf("Vertex out of range in InputBipartiteGraph");
  }
  U.nU = read.nU;
  V.nV = read.nV;
  U.nE = read.nE;
}

}  // namespace

void InputBipartiteGraph(FILE* stream, UTable& U, VTable& V) {
  Init_U(U);
  Init_V(V);
  ReadState read;
  EdgeQueue edges;
  while (!EOF_Test(stream)) {
    const int first = ReadChar(stream);
    switch (first) {
      case 'c':
        SkipLine(stream);
        break;
      case 'p':
        ReadProblem(stream, read);
        break;
      case 'a':
        ReadEdge(stream, read, edges, U, V);
        break;
      default:
        RejectRecord(first);
    }
  }
  edges.Flush(U, V);
  AcceptCounts(stream, read, U, V);
}

void OutputBipartiteGraph(FILE* stream, const UTable& U, const VTable& V) {
  std::fprintf(stream, "p bipartite-matching %d %d %d\n", U.nU, V.nV, U.nE);
  for (int u = 1; u <= U.nU; ++u) {
    for (const Edge* e = U.vertex[u].first; e != nullptr; e = e->next) {
      std::fprintf(stream, "a %d %d\n", u, e->v);
    }
  }
}

void OutputMatching(FILE* stream, const UTable& U, const VTable& V) {
  std::fprintf(stream, "Bipartite Matching; Results for |U|=%d, |V|=%d, |E|=%d\n\n", U.nU, V.nV,
               U.nE);
  for (int u = 1; u <= U.nU; ++u) {
    if (U.vertex[u].mate != 0) std::fprintf(stream, "%d matched to %d\n", u, U.vertex[u].mate);
  }
}
