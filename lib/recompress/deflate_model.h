// Deflate streams of any encoder kept as their inflated bytes plus a record, and rebuilt from
// them bit for bit (docs/recompress.md).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "lib/archive/byte_io.h"

namespace uha {

// The longest block the rebuild holds, in tokens, and the largest stream it models.
constexpr std::uint32_t kModelMaxBlockTokens = 1u << 20;
constexpr std::uint64_t kModelMaxInflated = 256ull << 20;

struct ModelledStream {
  std::size_t deflated_size = 0;       // bytes of the raw deflate stream taken from data[0]
  std::vector<std::uint8_t> inflated;  // what it inflates to
  std::vector<std::uint8_t> record;    // everything else that rebuilds the stream exactly
};

// Inflates the raw deflate stream at `data` (bytes may follow it) and models it: nullopt when it
// does not inflate or exceeds the model's limits. The caller decides whether the record pays.
std::optional<ModelledStream> ModelDeflateStream(const std::uint8_t* data, std::size_t size);

class RebuildState;
namespace deflate {
struct ModelParams;
}

class ModelRebuilder {  // reusable: Start may be called again after Finish, no per-stream heap churn
 public:
  ModelRebuilder();
  ~ModelRebuilder();
  ModelRebuilder(const ModelRebuilder&) = delete;
  ModelRebuilder& operator=(const ModelRebuilder&) = delete;

  Status Start(const std::uint8_t* record, std::size_t record_size, std::uint64_t inflated_size,
               ByteSink& out);
  Status Feed(const std::uint8_t* data, std::size_t size);  // inflated bytes, pieces of any size
  Status Finish();  // error when the bytes or the record do not add up
  // The model's parameters, once Start has read them.
  const deflate::ModelParams& params() const;

 private:
  std::unique_ptr<RebuildState> m_state;
};

}  // namespace uha
