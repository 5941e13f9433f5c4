// Where the raw deflate streams of a gzip file or a zip archive start: the bench probe and the
// model's tests run real encoders and look for their streams this way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace uha_bench {

// gzip: the first member's stream; zip: every local entry stored with method 8.
inline std::vector<std::size_t> FindDeflateStreams(const std::vector<std::uint8_t>& f) {
  std::vector<std::size_t> starts;
  if (f.size() > 18 && f[0] == 0x1f && f[1] == 0x8b && f[2] == 8) {
    std::size_t at = 10;
    const int flags = f[3];
    if (flags & 4) at += 2 + (f[10] | f[11] << 8);
    if (flags & 8) while (at < f.size() && f[at++] != 0) {}
    if (flags & 16) while (at < f.size() && f[at++] != 0) {}
    if (flags & 2) at += 2;
    if (at < f.size()) starts.push_back(at);
    return starts;
  }
  for (std::size_t at = 0; at + 30 <= f.size(); ++at) {
    if (f[at] != 'P' || f[at + 1] != 'K' || f[at + 2] != 3 || f[at + 3] != 4) continue;
    if ((f[at + 8] | f[at + 9] << 8) != 8) continue;
    const std::size_t start = at + 30 + (f[at + 26] | f[at + 27] << 8) + (f[at + 28] | f[at + 29] << 8);
    if (start < f.size()) starts.push_back(start);
  }
  return starts;
}

}  // namespace uha_bench
