#include "dfs.h"

#include <cstdio>
#include <vector>

#include "fp.h"

void Match(UTable& U, VTable& V) {
  GreedyMatch(U, V);
  Inits(U, V);
  FindPaths(U, V);
}

void GreedyMatch(UTable& U, VTable& V) {
  for (int u = 1; u <= U.nU; ++u) {
    for (const Edge* e = U.vertex[u].first; e != nullptr; e = e->next) {
      if (V.mate[e->v] == 0) {
        V.mate[e->v] = u;
        U.vertex[u].mate = e->v;
        break;
      }
    }
  }
}

int MeasureMatching(const UTable& U, const VTable&) {
  int size = 0;
  for (int u = 1; u <= U.nU; ++u) {
    if (U.vertex[u].mate != 0) ++size;
  }
  return size;
}

namespace {

// Reports every pair whose two sides disagree, from the U side and then from
// the V side; true when there is none.
bool SidesAgree(const UTable& U, const VTable& V) {
  bool agree = true;
  for (int u = 1; u <= U.nU; ++u) {
    const int v = U.vertex[u].mate;
    if (v != 0 && V.mate[v] != u) {
      std::printf("Inconsistent matching between %d(U) and %d(V)\n", u, v);
      agree = false;
    }
  }
  for (int v = 1; v <= V.nV; ++v) {
    const int u = V.mate[v];
    if (u != 0 && U.vertex[u].mate != v) {
      std::printf("Inconsistent matching between %d(V) and %d(U)\n", v, u);
      agree = false;
    }
  }
  return agree;
}

// Alternating-path search from all free U vertices at once, sharing one set
// of V marks: finds an augmenting path exactly when the matching is not
// maximum. Its working arrays live for this call only.
class PathSearch {
 public:
  PathSearch(const UTable& U, const VTable& V)
      : V(V), marked(VertexCapacity), stack(VertexCapacity), scan(VertexCapacity) {
    for (int u = 1; u <= U.nU; ++u) {
      scan[u] = U.vertex[u].first;
      if (U.vertex[u].mate == 0) stack[++top] = u;
    }
  }

  // Prints the U vertices of the first augmenting path found, root first.
  bool FindAugmentingPath() {
    if (top < 0) return false;
    low = top - 1;
    int x = stack[top];
    for (;;) {
      while (scan[x] != nullptr && marked[scan[x]->v]) scan[x] = scan[x]->next;
      if (scan[x] == nullptr) {
        if (top == 0) return false;
        x = stack[--top];
        if (top == low) {
          low = top - 1;
        } else {
          scan[x] = scan[x]->next;
        }
        continue;
      }
      const int y = scan[x]->v;
      if (V.mate[y] == 0) return PrintPath();
      marked[y] = 1;
      x = stack[++top] = V.mate[y];
    }
  }

 private:
  bool PrintPath() const {
    std::printf("matching NOT maximum; augm. path:\n");
    for (int i = low + 1; i <= top; ++i) std::printf("%d->", stack[i]);
    std::printf("\n");
    return true;
  }

  const VTable& V;
  std::vector<unsigned char> marked;  // per V vertex; never cleared between roots
  // stack[0 … low]: roots still waiting; stack[low+1 … top]: the path from
  // its root, each vertex after the root the mate of a marked V vertex.
  std::vector<int> stack;
  std::vector<const Edge*> scan;  // per U vertex: the next edge to try
  int top = -1;
  int low = -1;
};

}  // namespace

int CheckMatching(const UTable& U, const VTable& V) {
  if (!SidesAgree(U, V)) return 0;
  return PathSearch(U, V).FindAugmentingPath() ? 0 : 1;
}
