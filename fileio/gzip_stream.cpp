#include "fileio/gzip_stream.h"

#include <zlib.h>

#include <algorithm>
#include <vector>

#include "fileio/input_error.h"

namespace fileio {

namespace {

constexpr std::size_t kRawBytes = std::size_t{1} << 20;

}  // namespace

struct GzipStream::State {
  z_stream zip{};
  RawReader readRaw;
  std::vector<char> raw;   // compressed bytes; the unread ones at zip.next_in
  bool rawEnd = false;     // readRaw has nothing more
  bool memberOpen = true;  // a member has begun and not yet ended

  // Reads the next compressed bytes; false at the end.
  bool fill() {
    const std::size_t got = rawEnd ? 0 : readRaw(raw.data(), raw.size());
    rawEnd = got == 0;
    zip.next_in = reinterpret_cast<Bytef*>(raw.data());
    zip.avail_in = static_cast<uInt>(got);
    return got > 0;
  }

  // At the end of a member: true when another follows, false when only
  // zero bytes are left (a member's first byte is never 0).
  bool anotherMember() {
    if (*zip.next_in != 0) return true;
    do {
      const auto* bytes = reinterpret_cast<const char*>(zip.next_in);
      if (std::any_of(bytes, bytes + zip.avail_in, [](char c) { return c != 0; })) {
        throw InputError(0, "bytes other than zeros after the gzip data");
      }
    } while (fill());
    return false;
  }
};

GzipStream::GzipStream(std::string_view first, RawReader read) : state_(new State) {
  State& s = *state_;
  if (inflateInit2(&s.zip, 15 + 16) != Z_OK) throw SystemError("cannot start zlib");
  s.readRaw = std::move(read);
  s.raw.assign(first.begin(), first.end());
  s.raw.resize(std::max(s.raw.size(), kRawBytes));
  s.zip.next_in = reinterpret_cast<Bytef*>(s.raw.data());
  s.zip.avail_in = static_cast<uInt>(first.size());
}

GzipStream::~GzipStream() { inflateEnd(&state_->zip); }

std::size_t GzipStream::read(char* into, std::size_t size) {
  State& s = *state_;
  s.zip.next_out = reinterpret_cast<Bytef*>(into);
  s.zip.avail_out = static_cast<uInt>(size);
  while (s.zip.avail_out == size) {
    if (s.zip.avail_in == 0 && !s.fill()) {
      if (s.memberOpen) throw InputError(0, "the gzip data ends early (a truncated file?)");
      break;
    }
    if (!s.memberOpen && !s.anotherMember()) break;
    s.memberOpen = true;
    const int status = inflate(&s.zip, Z_NO_FLUSH);
    if (status == Z_STREAM_END) {
      inflateReset(&s.zip);
      s.memberOpen = false;
    } else if (status != Z_OK && status != Z_BUF_ERROR) {
      throw InputError(0, std::string("corrupt gzip data: ") + (s.zip.msg ? s.zip.msg : "unknown"));
    }
  }
  return size - s.zip.avail_out;
}

std::uint32_t crc32Update(std::uint32_t crc, const char* bytes, std::size_t size) {
  return static_cast<std::uint32_t>(
      crc32(crc, reinterpret_cast<const Bytef*>(bytes), static_cast<uInt>(size)));
}

}  // namespace fileio
