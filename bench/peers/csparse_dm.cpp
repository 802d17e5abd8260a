// peer-csparse-dm: CSparse's Dulmage-Mendelsohn decomposition (cs_dmperm)
// of the biadjacency matrix of a bipartite problem, first side as rows and
// second side as columns. The timed part is cs_dmperm alone, its maximum
// transversal included; the matrix is built in compressed-column form
// before, parallel edges made one entry. The report line gives the structural rank as the result
// and the number of fine blocks as the first counter.
//
//     peer-csparse-dm [-d FILE] < PROBLEM
//
// -d writes the decomposition in fastmatch's -d format, rows and columns
// numbered 1 ... N in the order of the problem's sides.
#include <suitesparse/cs.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "csparse_matrix.h"
#include "fileio/safe_writer.h"
#include "peer_report.h"

namespace {

void entries(fileio::SafeWriter& out, char letter, const int* values, int count) {
  for (int k = 0; k < count; ++k) {
    out.Char(letter);
    out.Char(' ');
    out.Number(values[k] + 1);
    out.Char('\n');
  }
}

// "c LABEL" and the 1-based boundaries.
void boundaries(fileio::SafeWriter& out, const char* label, const int* values) {
  out.Text(label);
  for (int k = 0; k < 5; ++k) {
    out.Char(' ');
    out.Number(values[k] + 1);
  }
  out.Char('\n');
}

// Empty, or why the file could not be written.
std::string write(const char* path, const Bipartite& graph, const csd* dm) {
  fileio::SafeWriter out(path);
  if (!out.Open()) return out.error();
  out.Text("c dulmage-mendelsohn ");
  out.Number(graph.left);
  out.Char(' ');
  out.Number(graph.right);
  out.Text("\nc structural rank ");
  out.Number(dm->rr[3]);
  out.Text("\nc blocks ");
  out.Number(dm->nb);
  out.Char('\n');
  boundaries(out, "c coarse rows", dm->rr);
  boundaries(out, "c coarse columns", dm->cc);
  entries(out, 'p', dm->p, graph.left);
  entries(out, 'q', dm->q, graph.right);
  entries(out, 'r', dm->r, dm->nb + 1);
  entries(out, 's', dm->s, dm->nb + 1);
  out.Commit();
  return out.error();
}

}  // namespace

int main(int argc, char** argv) {
  const char* path = argc == 3 && std::strcmp(argv[1], "-d") == 0 ? argv[2] : nullptr;
  if (argc != 1 && path == nullptr) {
    std::fprintf(stderr, "usage: peer-csparse-dm [-d FILE] < PROBLEM\n");
    return 2;
  }
  if (path != nullptr) {
    const fileio::RunFiles files{true, true, {}, {{"-d", path}}};
    if (std::optional<fileio::Refusal> refusal = fileio::CheckOutputs(files)) {
      std::fprintf(stderr, "peer-csparse-dm: %s\n", refusal->message.c_str());
      return 1;
    }
  }
  const Bipartite graph = matchingOf(readProblem(stdin));
  cs* matrix = biadjacency(graph);
  const double start = cpuSeconds();
  csd* dm = matrix == nullptr ? nullptr : cs_dmperm(matrix, 0);
  const double seconds = cpuSeconds() - start;
  if (dm == nullptr) {
    std::fprintf(stderr, "out of memory\n");
    return 1;
  }
  const std::string error = path != nullptr ? write(path, graph, dm) : "";
  if (!error.empty()) {
    std::fprintf(stderr, "peer-csparse-dm: %s\n", error.c_str());
    return 1;
  }
  reportCounted(graph, dm->rr[3], dm->nb, seconds);
  cs_dfree(dm);
  cs_spfree(matrix);
}
