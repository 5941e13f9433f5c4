// Reads a raw deflate stream (RFC 1951) into its blocks, its tokens and the bytes it inflates to,
// keeping everything a bit-exact rewrite needs: each block's kind and end, stored blocks' padding
// bits, where a dynamic header lies, which spelling of length 258 a token used, and the bits after
// the final block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "lib/recompress/deflate_bits.h"

namespace uha {
namespace deflate {

// A literal (length 0, the byte in `distance`) or a match. Length kLength258Long is 258 written as
// code 284 with all extra bits set, a spelling some encoders use.
struct Token {
  std::uint16_t length = 0;
  std::uint16_t distance = 0;
  bool operator==(const Token& o) const { return length == o.length && distance == o.distance; }
  bool operator!=(const Token& o) const { return !(*this == o); }
  bool IsMatch() const { return length != 0; }
  unsigned Span() const { return length == 0 ? 1u : length > 258 ? 258u : length; }
};
constexpr std::uint16_t kLength258Long = 259;

enum class BlockKind : std::uint8_t { Stored = 0, Fixed = 1, Dynamic = 2 };

struct ParsedBlock {
  BlockKind kind = BlockKind::Stored;
  bool final = false;
  std::uint32_t token_count = 0;  // fixed and dynamic blocks
  std::uint32_t stored_length = 0;
  std::uint8_t pad_bits = 0, pad_value = 0;  // stored blocks: the bits skipped to the byte boundary
  std::uint64_t header_begin = 0, header_end = 0;  // dynamic blocks: bit range from HLIT on
};

struct ParsedStream {
  std::vector<ParsedBlock> blocks;
  std::vector<Token> tokens;
  std::vector<std::uint8_t> inflated;
  std::size_t size = 0;  // bytes of the stream
  std::uint8_t tail_bits = 0, tail_value = 0;  // unused high bits of the last byte
};

// Code lengths of a dynamic block's header read from `in` (positioned at HLIT). False when they do
// not form a valid header. `literal` holds 288 entries, `distance` 32; unused ones are zero.
bool ReadDynamicHeader(BitReader& in, std::uint8_t* literal, std::uint8_t* distance);

// nullopt when the stream does not inflate, or inflates past `max_inflated` bytes or holds a block
// of more than `max_block_tokens` tokens.
std::optional<ParsedStream> ParseDeflate(const std::uint8_t* data, std::size_t size,
                                         std::size_t max_inflated, std::uint32_t max_block_tokens);

}  // namespace deflate
}  // namespace uha
