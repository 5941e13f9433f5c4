// libFuzzer target for the deflate model. Input starting with 'S': the rest is a deflate stream;
// when it models, its record must rebuild it exactly. Input starting with 'C': a count n, n edits
// (two bytes of position, one of xor), then a stream; the stream's record is edited before the
// rebuild, which must end in an error or a stream, never a crash, an overflow or a runaway.
// Anything else: a record (two bytes of length first) and the inflated bytes after it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "lib/recompress/deflate_model.h"

namespace {

class CollectSink : public uha::ByteSink {
 public:
  uha::Status Put(const std::uint8_t* data, std::size_t size) override {
    bytes.insert(bytes.end(), data, data + size);
    return {};
  }
  std::vector<std::uint8_t> bytes;
};

uha::ModelRebuilder& Rebuilder() {
  static uha::ModelRebuilder rebuilder;  // reused, as the extractor does
  return rebuilder;
}

bool Rebuild(const std::vector<std::uint8_t>& record, const std::uint8_t* inflated, std::size_t size,
             std::size_t piece, CollectSink& sink) {
  uha::ModelRebuilder& r = Rebuilder();
  uha::Status s = r.Start(record.data(), record.size(), size, sink);
  for (std::size_t at = 0; s.ok() && at < size; at += piece)
    s = r.Feed(inflated + at, size - at < piece ? size - at : piece);
  return s.ok() && r.Finish().ok();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  if (data[0] == 'S' || data[0] == 'C') {
    std::size_t edits = 0, at = 1;
    if (data[0] == 'C') {
      edits = data[1] % 8;
      at = 2 + 3 * edits;
      if (at > size) return 0;
    }
    auto m = uha::ModelDeflateStream(data + at, size - at);
    if (!m) return 0;
    for (std::size_t i = 0; i < edits && !m->record.empty(); ++i) {
      const std::size_t pos = (data[2 + 3 * i] | data[3 + 3 * i] << 8) % m->record.size();
      m->record[pos] ^= data[4 + 3 * i];
    }
    CollectSink sink;
    const bool ok = Rebuild(m->record, m->inflated.data(), m->inflated.size(), 1 + size % 3000, sink);
    const bool same = sink.bytes.size() == m->deflated_size &&
                      std::equal(sink.bytes.begin(), sink.bytes.end(), data + at);
    if (edits == 0 && (!ok || !same)) std::abort();  // a record handed out must rebuild its stream
    return 0;
  }
  const std::size_t record_size = data[0] | data[1] << 8;
  if (record_size > size - 2) return 0;
  const std::vector<std::uint8_t> record(data + 2, data + 2 + record_size);
  CollectSink sink;
  Rebuild(record, data + 2 + record_size, size - 2 - record_size, 1 + record_size % 500, sink);
  return 0;
}
