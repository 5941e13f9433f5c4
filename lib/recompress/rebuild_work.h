// What rebuilding deflate streams may cost the extractor. An archive can hold a little data that
// inflates to megabytes on which the encoder walks thousands of hash-chain entries a byte; its
// rebuild would take as long as that encoder did, whatever the archive's size. So the work of
// each stream is estimated from its inflated bytes and its settings alone, the same way by packer
// and extractor, and an archive may ask for no more than its size allows (docs/recompress.md,
// "Work a stream may ask for").
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "lib/recompress/token_model.h"

namespace uha {

// How an encoder searches: its hash (3 bytes into `hash_bits` bits, zlib's way), how far back it
// looks, how many chain entries it walks at most, and the match length that ends its search.
// `chains` false: it searches nothing (Huffman-only or run-length strategies).
struct WorkShape {
  bool chains;
  std::uint8_t hash_bits;
  std::uint32_t window;
  std::uint32_t chain;
  std::uint32_t nice;
  std::uint32_t per_byte;  // what every byte costs beside the search
};

WorkShape ModelWork(const deflate::ModelParams& params);

// Counts, for bytes handed over in pieces of any size, the estimated work in chain steps: each
// position costs `per_byte` plus the entries of its hash in the window (at most `chain`), unless
// the newest of them matches `nice` bytes, which the encoder takes at once and skips past.
class WorkMeter {
 public:
  // Begins a stream of at most 512 MiB (one may be cut off by starting the next). The shape is
  // one of ZlibWork or ModelWork for settings found valid.
  void Start(const WorkShape& shape);
  // The work of the positions these bytes settle (a position waits for `nice` bytes after it).
  std::uint64_t Feed(const std::uint8_t* data, std::size_t size);
  // The work of the positions still waiting; the stream has ended.
  std::uint64_t Finish();

 private:
  static constexpr std::uint32_t kRing = 1u << 16;  // window + nice + 3 fit
  static constexpr std::uint32_t kMaxWindow = 1u << 15;
  static constexpr std::uint32_t kHashes = 1u << 16;
  struct Tables {
    std::uint8_t ring[kRing];
    std::uint16_t count[kHashes];     // positions of each hash in the window
    std::uint16_t hashes[kMaxWindow];  // of the window's positions, to take them out
    std::uint32_t head[kHashes];      // newest position + m_base + 1 of each hash
  };
  // get(): the checked operator-> would cost the extractor's size on every byte.
  std::uint8_t At(std::uint32_t pos) const { return m_t.get()->ring[pos & (kRing - 1)]; }
  std::uint32_t HashAt(std::uint32_t pos) const;
  std::uint32_t Settle(std::uint32_t end, bool final);

  WorkShape m_shape;  // these three are set by Start
  unsigned m_shift;
  std::uint32_t m_mask;
  std::unique_ptr<Tables> m_t;  // taken by the first stream
  std::uint32_t m_base = 0;     // where this stream's positions start in `head`
  std::uint32_t m_have = 0;     // bytes handed over
  std::uint32_t m_next = 0;     // next position to settle
  std::uint32_t m_skip = 0;     // positions inside a `nice` match still to pass
  bool m_open = false;          // a stream was started and not finished
};

// Units of work an archive of this many bytes may ask for: enough for any tree our packer writes,
// a couple of seconds for the smallest archives.
std::uint64_t ArchiveWorkBudget(std::uint64_t archive_size);
// False when its stored bytes could not ask for more than the budget even at the most a byte
// can cost: then nothing needs metering (most archives; those that pack tightly are metered).
bool NeedsWorkMeter(std::uint64_t stored_bytes, std::uint64_t archive_size);

// The work left to an extraction, shared by its lanes.
class WorkBudget {
 public:
  explicit WorkBudget(std::uint64_t units) : m_left(static_cast<std::int64_t>(units)) {}
  // False once the archive has asked for more than its budget.
  bool Spend(std::uint64_t units);

 private:
  std::atomic<std::int64_t> m_left;
};

}  // namespace uha
