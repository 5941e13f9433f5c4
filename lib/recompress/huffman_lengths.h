// Our Huffman builder: code lengths from symbol counts as the gzip/zlib family chooses them, and
// the run-length coded header of a dynamic block (docs/recompress.md, "The Huffman builder").
#pragma once

#include <cstdint>

#include "lib/recompress/deflate_bits.h"

namespace uha {
namespace deflate {

// Lengths (at most `limit` bits) for `count` symbols (count <= 288) from their counts.
void BuildLengths(const std::uint32_t* counts, int count, int limit, std::uint8_t* lengths);

// Writes a dynamic block's header (HLIT onwards) for these lengths, as the builder predicts the
// encoder wrote it. False when the lengths form no code.
bool WriteDynamicHeader(const std::uint8_t* literal, const std::uint8_t* distance, BitWriter& out);

}  // namespace deflate
}  // namespace uha
