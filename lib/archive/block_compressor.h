// Compresses the archive's solid blocks on both cores. A block that would leave one core idle is
// cut into pieces compressed at once: each piece after the first is given the bytes before it as
// LZMA2's preset dictionary and starts with a state reset, and the pieces are joined into one
// LZMA2 stream, so the extractor decodes the block as any other.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "lib/archive/archive_writer.h"

namespace uha {

// Consecutive files of one group that make one block.
struct BlockPlan {
  std::vector<PackInput>* group;
  std::size_t first, count;
  bool code;
  Block block;
  std::vector<std::uint8_t> packed;
};

// Runs `work(0)` here and `work(1)` on a second thread: packing keeps both cores busy.
void OnBothCores(const std::function<void(std::size_t)>& work);

// How many pieces each block of these stored sizes is cut into: only a block larger than an even
// share of all the work is cut, into equal pieces no larger than that share, and never into pieces
// below a few MiB.
std::vector<std::uint32_t> PieceCounts(const std::vector<std::uint64_t>& block_sizes,
                                       unsigned workers);

// Compresses every block, filling in its sizes and dictionary, and each plain file's checksum.
Status CompressBlocks(std::vector<BlockPlan>& plans, const PackOptions& options);

}  // namespace uha
