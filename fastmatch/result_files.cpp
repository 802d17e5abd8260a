#include "result_files.h"

#include <array>
#include <vector>

#include "fileio/safe_writer.h"

namespace {

void Header(fileio::SafeWriter& file, const char* what, const MatchingProblemFile& problem,
            long size) {
  file.Text("c ");
  file.Text(what);
  file.Text(" of ");
  file.Number(problem.rows);
  file.Text(" + ");
  file.Number(problem.cols);
  file.Text(" vertices, ");
  file.Number(problem.edges);
  file.Text(" edges\nc size ");
  file.Number(size);
  file.Char('\n');
}

void Line(fileio::SafeWriter& file, long first, long second) {
  file.Number(first);
  file.Char(' ');
  file.Number(second);
  file.Char('\n');
}

void Line(fileio::SafeWriter& file, std::string_view first, std::string_view second) {
  file.Text(first);
  file.Char(' ');
  file.Text(second);
  file.Char('\n');
}

void Entry(fileio::SafeWriter& file, char letter, long value) {
  file.Char(letter);
  file.Char(' ');
  file.Number(value);
  file.Char('\n');
}

// "c LABEL" and the 1-based boundaries.
void Boundaries(fileio::SafeWriter& file, const char* label,
                const std::array<int32_t, 5>& boundaries) {
  file.Text("c ");
  file.Text(label);
  for (int32_t boundary : boundaries) {
    file.Char(' ');
    file.Number(boundary + 1L);
  }
  file.Char('\n');
}

}  // namespace

std::string WriteMatchingFile(const std::string& path, const MatchingProblemFile& problem,
                              const fast::MaximumMatching& matching) {
  fileio::SafeWriter file(path);
  if (!file.Open()) return file.error();
  Header(file, "matching", problem, matching.size());
  const std::vector<int32_t>& mates = matching.row_mates();
  const bool named = !problem.names.empty();
  for (int32_t r = 0; r < problem.rows; ++r) {
    if (mates[r] < 0) continue;
    if (named) {
      Line(file, problem.RowName(r), problem.ColName(mates[r]));
    } else {
      Line(file, problem.RowNumber(r), problem.ColNumber(mates[r]));
    }
  }
  file.Commit();
  return file.error();
}

std::string WriteCoverFile(const std::string& path, const MatchingProblemFile& problem,
                           const fast::MaximumMatching& matching) {
  std::vector<uint8_t> row_in_cover, col_in_cover;
  matching.MinimumVertexCover(&row_in_cover, &col_in_cover);
  fileio::SafeWriter file(path);
  if (!file.Open()) return file.error();
  Header(file, "vertex cover", problem, matching.size());
  const bool named = !problem.names.empty();
  for (int32_t r = 0; r < problem.rows; ++r) {
    if (!row_in_cover[r]) continue;
    if (named) {
      Line(file, "1", problem.RowName(r));
    } else {
      Line(file, 1, problem.RowNumber(r));
    }
  }
  for (int32_t c = 0; c < problem.cols; ++c) {
    if (!col_in_cover[c]) continue;
    if (named) {
      Line(file, "2", problem.ColName(c));
    } else {
      Line(file, 2, problem.ColNumber(c));
    }
  }
  file.Commit();
  return file.error();
}

std::string WriteDecompositionFile(const std::string& path, const MatchingProblemFile& problem,
                                   const fast::DulmageMendelsohn& dm) {
  fileio::SafeWriter file(path);
  if (!file.Open()) return file.error();
  file.Text("c dulmage-mendelsohn ");
  Line(file, problem.rows, problem.cols);
  file.Text("c structural rank ");
  file.Number(dm.structural_rank());
  file.Text("\nc blocks ");
  file.Number(dm.blocks());
  file.Char('\n');
  Boundaries(file, "coarse rows", dm.coarse_rows());
  Boundaries(file, "coarse columns", dm.coarse_cols());
  for (int32_t r : dm.row_order()) Entry(file, 'p', problem.RowNumber(r));
  for (int32_t c : dm.col_order()) Entry(file, 'q', problem.ColNumber(c));
  for (int32_t b : dm.row_blocks()) Entry(file, 'r', b + 1L);
  for (int32_t b : dm.col_blocks()) Entry(file, 's', b + 1L);
  file.Commit();
  return file.error();
}
