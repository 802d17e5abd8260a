// GzipStream in a build without zlib: gzip input is refused.
#include "fileio/gzip_stream.h"
#include "fileio/input_error.h"

namespace fileio {

struct GzipStream::State {};

GzipStream::GzipStream(std::string_view, RawReader) {
  throw InputError(0,
                   "gzip-compressed input is not supported by this build (it was made without "
                   "zlib); decompress it first (gunzip)");
}

GzipStream::~GzipStream() = default;

std::size_t GzipStream::read(char*, std::size_t) { return 0; }

std::uint32_t crc32Update(std::uint32_t, const char*, std::size_t) { return 0; }

}  // namespace fileio
