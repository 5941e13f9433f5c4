// Our Huffman builder: code lengths from symbol counts as the gzip/zlib family chooses them, and
// the run-length coded header of a dynamic block (docs/recompress.md, "The Huffman builder").
#pragma once

#include <cstdint>

#include <cstddef>

#include "lib/recompress/deflate_bits.h"
#include "lib/recompress/deflate_parse.h"

namespace uha {
namespace deflate {

// Lengths (at most `limit` bits) for `count` symbols (count <= 288) from their counts.
void BuildLengths(const std::uint32_t* counts, int count, int limit, std::uint8_t* lengths);

// The literal/length and distance code lengths the builder gives a block of these tokens (its
// end-of-block code counted).
void PredictBlockLengths(const Token* tokens, std::size_t count, std::uint8_t* literal,
                         std::uint8_t* distance);

// Writes a dynamic block's header (HLIT onwards) for these lengths, as the builder predicts the
// encoder wrote it. False when the lengths form no code.
bool WriteDynamicHeader(const std::uint8_t* literal, const std::uint8_t* distance, BitWriter& out);

}  // namespace deflate
}  // namespace uha
