#include "result_files.h"

#include <vector>

#include "fileio/safe_writer.h"

std::string WriteFlowFile(const std::string& path, const ReadNetwork& network,
                          const fast::MaxFlow& flow, long offset) {
  fileio::SafeWriter file(path);
  if (!file.Open()) return file.error();
  const bool unit = network.capacities.empty();
  file.Text("c flow value ");
  file.Number(flow.value());
  file.Char('\n');
  if (unit) file.Text("c every arc counted as one unit\n");
  const std::vector<int64_t>& carries = flow.arc_flow();
  for (size_t i = 0; i < carries.size(); ++i) {
    if (carries[i] == 0) continue;
    file.Number(network.tails[i] + int64_t(offset));
    file.Char(' ');
    file.Number(network.heads[i] + int64_t(offset));
    if (!unit) {
      file.Char(' ');
      file.Number(carries[i]);
    }
    file.Char('\n');
  }
  file.Commit();
  return file.error();
}

std::string WriteCutFile(const std::string& path, const fast::MaxFlow& flow, long offset) {
  fileio::SafeWriter file(path);
  if (!file.Open()) return file.error();
  file.Text("c minimum cut capacity ");
  file.Number(flow.value());
  file.Text("\nc source side\n");
  const std::vector<uint8_t>& side = flow.source_side();
  for (size_t u = 0; u < side.size(); ++u) {
    if (!side[u]) continue;
    file.Number(int64_t(u) + offset);
    file.Char('\n');
  }
  file.Commit();
  return file.error();
}
