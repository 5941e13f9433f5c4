// Bench probe for the deflate model: finds the deflate streams of gzip files and zip archives,
// models each, rebuilds it and reports one line a file: deflate bytes, bytes rebuilt, record bytes,
// and the rebuild's and liblzma's decoding times of the inflated bytes. A file's streams count as
// rebuilt when xz -9 of their records and inflated bytes is smaller than xz -9 of the streams as
// they are: the archive compresses a file's pieces together, in one LZMA2 block.
// Usage: deflate_probe FILE...   (prints: file deflated paid record inflated rebuild_s xz_d_s)
#include <lzma.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "bench/deflate_streams.h"
#include "lib/recompress/deflate_model.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

std::size_t XzSize(const Bytes& data, Bytes* out = nullptr) {
  Bytes buffer(lzma_stream_buffer_bound(data.size()));
  std::size_t pos = 0;
  if (lzma_easy_buffer_encode(9, LZMA_CHECK_NONE, nullptr, data.data(), data.size(), buffer.data(),
                              &pos, buffer.size()) != LZMA_OK)
    return data.size();
  if (out) *out = Bytes(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(pos));
  return pos;
}

class CountSink : public uha::ByteSink {
 public:
  uha::Status Put(const std::uint8_t*, std::size_t size) override {
    bytes += size;
    return {};
  }
  std::size_t bytes = 0;
};

}  // namespace

int main(int argc, char** argv) {
  uha::ModelRebuilder rebuilder;
  for (int i = 1; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    const Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t deflated = 0, record = 0, inflated = 0;
    Bytes modelled, kept;
    double rebuild_s = 0, xz_s = 0;
    for (std::size_t start : uha_bench::FindDeflateStreams(file)) {
      if (start >= file.size()) continue;
      auto m = uha::ModelDeflateStream(file.data() + start, file.size() - start);
      if (!m) {
        std::fprintf(stderr, "%s: a stream at %zu does not model\n", argv[i], start);
        continue;
      }
      deflated += m->deflated_size;
      inflated += m->inflated.size();
      record += m->record.size();
      modelled.insert(modelled.end(), m->record.begin(), m->record.end());
      modelled.insert(modelled.end(), m->inflated.begin(), m->inflated.end());
      kept.insert(kept.end(), file.begin() + static_cast<std::ptrdiff_t>(start),
                  file.begin() + static_cast<std::ptrdiff_t>(start + m->deflated_size));
      // Rebuild in 64 KiB pieces, as the extractor hands them on.
      CountSink sink;
      const auto t0 = std::chrono::steady_clock::now();
      bool ok = rebuilder.Start(m->record.data(), m->record.size(), m->inflated.size(), sink).ok();
      for (std::size_t at = 0; ok && at < m->inflated.size(); at += 65536)
        ok = rebuilder.Feed(m->inflated.data() + at, std::min<std::size_t>(65536, m->inflated.size() - at)).ok();
      ok = ok && rebuilder.Finish().ok();
      const auto t1 = std::chrono::steady_clock::now();
      rebuild_s += std::chrono::duration<double>(t1 - t0).count();
      if (!ok) std::fprintf(stderr, "%s: a stream at %zu does not rebuild\n", argv[i], start);
      // liblzma decoding the same inflated bytes, the peer the extractor must keep up with.
      Bytes packed, back(m->inflated.size() + 1);
      XzSize(m->inflated, &packed);
      std::uint64_t limit = UINT64_MAX;
      std::size_t in_pos = 0, out_pos = 0;
      const auto t2 = std::chrono::steady_clock::now();
      if (lzma_stream_buffer_decode(&limit, 0, nullptr, packed.data(), &in_pos, packed.size(), back.data(), &out_pos, back.size()) != LZMA_OK)
        std::fprintf(stderr, "%s: liblzma failed\n", argv[i]);
      xz_s += std::chrono::duration<double>(std::chrono::steady_clock::now() - t2).count();
    }
    const std::size_t paid = !kept.empty() && XzSize(modelled) < XzSize(kept) ? deflated : 0;
    std::printf("%s %zu %zu %zu %zu %.6f %.6f\n", argv[i], deflated, paid, record, inflated, rebuild_s, xz_s);
  }
  return 0;
}
