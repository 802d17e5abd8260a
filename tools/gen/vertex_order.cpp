#include "vertex_order.h"

#include <algorithm>
#include <numeric>

#include "command_line.h"

namespace {

// A new number for every vertex of each side, 1-based; old numbers index
// them from 0.
struct Numbering {
  std::vector<int> left;
  std::vector<int> right;
};

void renumber(Bipartite& graph, const Numbering& numbering) {
  for (Edge& e : graph.edges) e = {numbering.left[e.tail - 1], numbering.right[e.head - 1]};
}

std::vector<int> identity(int size) {
  std::vector<int> numbers(size);
  std::iota(numbers.begin(), numbers.end(), 1);
  return numbers;
}

void randomOrder(Bipartite& graph, Random& random) {
  Numbering numbering{identity(graph.left), identity(graph.right)};
  shuffle(numbering.left, random);
  shuffle(numbering.right, random);
  renumber(graph, numbering);
  shuffle(graph.edges, random);
}

// Neighbour lists of both sides in one array: vertex v of the first side is
// node v, vertex w of the second side node left + w (0-based), each list in
// edge order.
struct Adjacency {
  std::vector<int> start;
  std::vector<int> nodes;
};

Adjacency adjacency(const Bipartite& graph) {
  const int n = graph.left + graph.right;
  Adjacency lists{std::vector<int>(n + 1, 0), std::vector<int>(2 * graph.edges.size())};
  for (const Edge& e : graph.edges) {
    ++lists.start[e.tail];
    ++lists.start[graph.left + e.head];
  }
  for (int v = 0; v < n; ++v) lists.start[v + 1] += lists.start[v];
  std::vector<int> next(lists.start.begin(), lists.start.end() - 1);
  for (const Edge& e : graph.edges) {
    lists.nodes[next[e.tail - 1]++] = graph.left + e.head - 1;
    lists.nodes[next[graph.left + e.head - 1]++] = e.tail - 1;
  }
  return lists;
}

// Searches from each first-side vertex not yet reached, in old order; each
// side is numbered in the order the searches reach it, and second-side
// vertices without edges come last.
void breadthFirstOrder(Bipartite& graph) {
  const Adjacency lists = adjacency(graph);
  Numbering numbering{std::vector<int>(graph.left, 0), std::vector<int>(graph.right, 0)};
  int leftCount = 0, rightCount = 0;
  auto reach = [&](int node) {
    int& number = node < graph.left ? numbering.left[node] : numbering.right[node - graph.left];
    if (number != 0) return false;
    number = node < graph.left ? ++leftCount : ++rightCount;
    return true;
  };
  std::vector<int> queue;
  queue.reserve(graph.left + graph.right);
  for (int root = 0; root < graph.left; ++root) {
    if (!reach(root)) continue;
    queue.assign(1, root);
    for (std::size_t head = 0; head < queue.size(); ++head) {
      const int node = queue[head];
      for (int k = lists.start[node]; k < lists.start[node + 1]; ++k) {
        if (reach(lists.nodes[k])) queue.push_back(lists.nodes[k]);
      }
    }
  }
  for (int& number : numbering.right) {
    if (number == 0) number = ++rightCount;
  }
  renumber(graph, numbering);
  sortByRows(graph);
}

// New numbers by increasing degree, ties in old order.
std::vector<int> byDegree(const std::vector<int>& degree) {
  std::vector<int> order(degree.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return degree[a] < degree[b]; });
  std::vector<int> numbers(degree.size());
  for (std::size_t rank = 0; rank < order.size(); ++rank) {
    numbers[order[rank]] = static_cast<int>(rank) + 1;
  }
  return numbers;
}

void degreeOrder(Bipartite& graph) {
  std::vector<int> left(graph.left, 0), right(graph.right, 0);
  for (const Edge& e : graph.edges) {
    ++left[e.tail - 1];
    ++right[e.head - 1];
  }
  renumber(graph, {byDegree(left), byDegree(right)});
  sortByRows(graph);
}

void reversedOrder(Bipartite& graph) {
  for (Edge& e : graph.edges) e = {graph.left + 1 - e.tail, graph.right + 1 - e.head};
  std::reverse(graph.edges.begin(), graph.edges.end());
}

}  // namespace

const std::vector<const char*>& vertexOrderNames() {
  static const std::vector<const char*> names{"random", "breadth-first", "degree", "reversed"};
  return names;
}

void reorder(Bipartite& graph, const std::string& order, Random& random) {
  if (order == "random") {
    randomOrder(graph, random);
  } else if (order == "breadth-first") {
    breadthFirstOrder(graph);
  } else if (order == "degree") {
    degreeOrder(graph);
  } else if (order == "reversed") {
    reversedOrder(graph);
  } else {
    throw UsageError("unknown order '" + order + "'");
  }
}
