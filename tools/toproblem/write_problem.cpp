#include "write_problem.h"

void writeProblem(Output& out, const std::vector<std::string>& header,
                  const fileio::Problem& problem) {
  for (const std::string& line : header) out.comment(line);
  for (const std::string& line : problem.notes) out.comment(line);
  const std::string edges = std::to_string(problem.edges.size());
  if (problem.isNetwork) {
    out.text("p max " + std::to_string(problem.nodes) + " " + edges + "\n");
    out.text("n " + std::to_string(problem.source + 1) + " s\n");
    out.text("n " + std::to_string(problem.sink + 1) + " t\n");
  } else {
    out.text("p bipartite-matching " + std::to_string(problem.left) + " " +
             std::to_string(problem.right) + " " + edges + "\n");
  }
  const int capacity = problem.isNetwork ? 1 : -1;
  for (const fileio::Edge& e : problem.edges)
    out.arc(e.tail + std::uint64_t{1}, e.head + std::uint64_t{1}, capacity);
}
