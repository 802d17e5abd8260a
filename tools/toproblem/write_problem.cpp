#include "write_problem.h"

void writeProblem(Output& out, const std::vector<std::string>& header,
                  const fileio::Problem& problem, bool nameComments) {
  for (const std::string& line : header) out.comment(line);
  for (const std::string& line : problem.notes) out.comment(line);
  if (nameComments) {
    fileio::forEachNameLine(problem.names,
                            [&](const std::string& line) { out.comment("name " + line); });
  }
  out.text(fileio::problemLine(problem) + "\n");
  if (problem.isNetwork) {
    out.text("n " + std::to_string(problem.source + 1) + " s\n");
    out.text("n " + std::to_string(problem.sink + 1) + " t\n");
  }
  const int capacity = problem.isNetwork ? 1 : -1;
  for (const fileio::Edge& e : problem.edges)
    out.arc(e.tail + std::uint64_t{1}, e.head + std::uint64_t{1}, capacity);
}
