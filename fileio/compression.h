// The compressed formats told by their first bytes: gzip, which the
// readers inflate, and those recognised only to refuse them with a useful
// message.
#pragma once

#include <string>
#include <string_view>

namespace fileio {

struct Compression {
  std::string_view magic, name, tool;  // tool: the command that decompresses it
};

constexpr Compression kGzip = {"\x1f\x8b", "gzip", "gunzip"};
constexpr Compression kCompressions[] = {kGzip,
                                         {"BZh", "bzip2", "bunzip2"},
                                         {"\xfd"
                                          "7zXZ",
                                          "xz", "unxz"},
                                         {"\x28\xb5\x2f\xfd", "zstd", "unzstd"}};

// The compression `start` (the first bytes of a file) begins with, or null.
inline const Compression* compressionOf(std::string_view start) {
  for (const Compression& c : kCompressions)
    if (start.substr(0, c.magic.size()) == c.magic) return &c;
  return nullptr;
}

// "NAME-compressed input is not supported; decompress it first (TOOL)", or
// "... is not read by WHO; ..." when a program is named.
inline std::string refuseCompression(const Compression& c, std::string_view who = {}) {
  return std::string(c.name) + "-compressed input is " +
         (who.empty() ? "not supported" : "not read by " + std::string(who)) +
         "; decompress it first (" + std::string(c.tool) + ")";
}

}  // namespace fileio
