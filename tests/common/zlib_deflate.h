// zlib's deflate of a whole buffer in one call, for tests that need streams of known settings.
#pragma once
#include <zlib.h>

#include <cstdint>
#include <vector>

// `window_bits` as deflateInit2 takes it: negative for raw deflate, +16 for a gzip member.
inline std::vector<std::uint8_t> ZlibDeflate(const std::vector<std::uint8_t>& data, int level,
                                             int window_bits, int mem_level = 8,
                                             int strategy = Z_DEFAULT_STRATEGY) {
  z_stream z{};
  if (deflateInit2(&z, level, Z_DEFLATED, window_bits, mem_level, strategy) != Z_OK) return {};
  std::vector<std::uint8_t> out(deflateBound(&z, static_cast<uLong>(data.size())) + 32);
  z.next_in = const_cast<Bytef*>(data.data());
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  const int result = deflate(&z, Z_FINISH);
  out.resize(result == Z_STREAM_END ? z.total_out : 0);
  deflateEnd(&z);
  return out;
}
