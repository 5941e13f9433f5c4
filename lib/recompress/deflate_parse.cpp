// Parses a raw deflate stream as RFC 1951 defines it, recording the choices an encoder made that
// the inflated bytes alone do not show.
#include "lib/recompress/deflate_parse.h"

namespace uha {
namespace deflate {

void BitWriter::Put(std::uint32_t bits, int count) {
  m_acc |= static_cast<std::uint64_t>(bits) << m_used;
  m_used += count;
  while (m_used >= 8) {
    m_out.push_back(static_cast<std::uint8_t>(m_acc));
    m_acc >>= 8;
    m_used -= 8;
  }
}

void FixedLengths(std::uint8_t* literal_lengths, std::uint8_t* distance_lengths) {
  for (int i = 0; i < kLiteralCodes; ++i) literal_lengths[i] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
  for (int i = 0; i < kDistanceCodes; ++i) distance_lengths[i] = 5;
}

bool CanonicalCodes(const std::uint8_t* lengths, int count, std::uint16_t* codes) {
  std::uint32_t per_length[16] = {};
  for (int i = 0; i < count; ++i) ++per_length[lengths[i]];
  per_length[0] = 0;
  std::uint32_t next[16] = {};
  std::uint32_t code = 0;
  for (int bits = 1; bits < 16; ++bits) {
    code = (code + per_length[bits - 1]) << 1;
    next[bits] = code;
    if (code + per_length[bits] > (1u << bits)) return false;
  }
  for (int i = 0; i < count; ++i) {
    const int len = lengths[i];
    if (len == 0) { codes[i] = 0; continue; }
    std::uint32_t c = next[len]++, reversed = 0;
    for (int b = 0; b < len; ++b, c >>= 1) reversed = (reversed << 1) | (c & 1);
    codes[i] = static_cast<std::uint16_t>(reversed);
  }
  return true;
}

bool PrefixDecoder::Init(const std::uint8_t* lengths, int count) {
  for (auto& c : m_count) c = 0;
  for (int i = 0; i < count; ++i) ++m_count[lengths[i]];
  m_count[0] = 0;
  std::int32_t room = 1;
  for (int bits = 1; bits < 16; ++bits) {
    room = room * 2 - m_count[bits];
    if (room < 0) return false;
  }
  std::uint16_t start[16] = {};
  for (int bits = 1; bits < 15; ++bits) start[bits + 1] = start[bits] + m_count[bits];
  for (int i = 0; i < count; ++i)
    if (lengths[i] != 0) m_symbol[start[lengths[i]]++] = static_cast<std::uint16_t>(i);
  return true;
}

int PrefixDecoder::Decode(BitReader& in) const {
  // Codes of one length are consecutive: `first` is the first code of the current length and
  // `index` the place of its first symbol.
  std::int32_t code = 0, first = 0, index = 0;
  for (int bits = 1; bits < 16; ++bits) {
    std::uint32_t bit;
    if (!in.Bits(1, bit)) return -1;
    code |= static_cast<std::int32_t>(bit);
    const std::int32_t count = m_count[bits];
    if (code - first < count) return m_symbol[index + code - first];
    index += count;
    first = (first + count) << 1;
    code <<= 1;
  }
  return -1;
}

bool ReadDynamicHeader(BitReader& in, std::uint8_t* literal, std::uint8_t* distance) {
  std::uint32_t hlit, hdist, hclen;
  if (!in.Bits(5, hlit) || !in.Bits(5, hdist) || !in.Bits(4, hclen)) return false;
  const unsigned nlit = hlit + 257, ndist = hdist + 1;
  if (nlit > 286 || ndist > 30) return false;
  std::uint8_t code_lengths[19] = {};
  for (unsigned i = 0; i < hclen + 4; ++i) {
    std::uint32_t v;
    if (!in.Bits(3, v)) return false;
    code_lengths[kCodeLengthOrder[i]] = static_cast<std::uint8_t>(v);
  }
  PrefixDecoder lengths_code;
  if (!lengths_code.Init(code_lengths, 19)) return false;
  std::uint8_t all[286 + 30] = {};
  unsigned n = 0;
  while (n < nlit + ndist) {
    const int sym = lengths_code.Decode(in);
    if (sym < 0) return false;
    if (sym < 16) { all[n++] = static_cast<std::uint8_t>(sym); continue; }
    std::uint32_t extra;
    unsigned repeat;
    std::uint8_t value = 0;
    if (sym == 16) {
      if (n == 0 || !in.Bits(2, extra)) return false;
      value = all[n - 1];
      repeat = 3 + extra;
    } else if (sym == 17) {
      if (!in.Bits(3, extra)) return false;
      repeat = 3 + extra;
    } else {
      if (!in.Bits(7, extra)) return false;
      repeat = 11 + extra;
    }
    if (n + repeat > nlit + ndist) return false;
    while (repeat-- > 0) all[n++] = value;
  }
  for (int i = 0; i < kLiteralCodes; ++i) literal[i] = i < static_cast<int>(nlit) ? all[i] : 0;
  for (int i = 0; i < kDistanceCodes; ++i) distance[i] = i < static_cast<int>(ndist) ? all[nlit + i] : 0;
  return literal[kEndOfBlock] != 0;
}

namespace {

bool ReadTokens(BitReader& in, const std::uint8_t* lit_lengths, const std::uint8_t* dist_lengths,
                ParsedStream& s, std::size_t max_inflated, std::uint32_t max_block_tokens,
                std::uint32_t& count) {
  PrefixDecoder lit, dist;
  if (!lit.Init(lit_lengths, kLiteralCodes) || !dist.Init(dist_lengths, kDistanceCodes)) return false;
  count = 0;
  for (;;) {
    const int sym = lit.Decode(in);
    if (sym < 0 || sym > 285) return false;
    if (sym == kEndOfBlock) return true;
    if (++count > max_block_tokens) return false;
    Token t;
    if (sym < 256) {
      if (s.inflated.size() >= max_inflated) return false;
      t.distance = static_cast<std::uint16_t>(sym);
      s.inflated.push_back(static_cast<std::uint8_t>(sym));
      s.tokens.push_back(t);
      continue;
    }
    const int li = sym - 257;
    std::uint32_t extra = 0, dextra = 0;
    if (!in.Bits(LengthExtraBits(li), extra)) return false;
    unsigned length = LengthBase(li) + extra;
    t.length = static_cast<std::uint16_t>(length == 258 && li == 27 ? kLength258Long : length);
    const int dc = dist.Decode(in);
    if (dc < 0 || dc > 29 || !in.Bits(DistanceExtraBits(dc), dextra)) return false;
    const unsigned distance = DistanceBase(dc) + dextra;
    const std::size_t at = s.inflated.size();
    if (distance > at || length > max_inflated - at) return false;
    t.distance = static_cast<std::uint16_t>(distance);  // 32768 is kept as 0x8000
    for (unsigned i = 0; i < length; ++i) s.inflated.push_back(s.inflated[at - distance + i]);
    s.tokens.push_back(t);
  }
}

}  // namespace

std::optional<ParsedStream> ParseDeflate(const std::uint8_t* data, std::size_t size,
                                         std::size_t max_inflated, std::uint32_t max_block_tokens) {
  ParsedStream s;
  BitReader in(data, size);
  for (;;) {
    ParsedBlock b;
    std::uint32_t final, kind;
    if (!in.Bits(1, final) || !in.Bits(2, kind) || kind == 3) return std::nullopt;
    b.final = final != 0;
    b.kind = static_cast<BlockKind>(kind);
    if (b.kind == BlockKind::Stored) {
      b.pad_bits = static_cast<std::uint8_t>((8 - in.Position() % 8) % 8);
      std::uint32_t pad, len, nlen;
      if (!in.Bits(b.pad_bits, pad) || !in.Bits(16, len) || !in.Bits(16, nlen)) return std::nullopt;
      if ((len ^ 0xffff) != nlen || len > max_inflated - s.inflated.size()) return std::nullopt;
      b.pad_value = static_cast<std::uint8_t>(pad);
      b.stored_length = len;
      const std::size_t at = static_cast<std::size_t>(in.Position() / 8);
      if (len > size - at) return std::nullopt;
      s.inflated.insert(s.inflated.end(), data + at, data + at + len);
      std::uint32_t skipped;
      for (std::uint32_t i = 0; i < len; ++i) in.Bits(8, skipped);
    } else {
      std::uint8_t lit[kLiteralCodes], dist[kDistanceCodes];
      if (b.kind == BlockKind::Fixed) {
        FixedLengths(lit, dist);
      } else {
        b.header_begin = in.Position();
        if (!ReadDynamicHeader(in, lit, dist)) return std::nullopt;
        b.header_end = in.Position();
      }
      if (!ReadTokens(in, lit, dist, s, max_inflated, max_block_tokens, b.token_count))
        return std::nullopt;
    }
    s.blocks.push_back(b);
    if (b.final) break;
  }
  s.tail_bits = static_cast<std::uint8_t>((8 - in.Position() % 8) % 8);
  std::uint32_t tail = 0;
  in.Bits(s.tail_bits, tail);
  s.tail_value = static_cast<std::uint8_t>(tail);
  s.size = static_cast<std::size_t>(in.Position() / 8);
  return s;
}

}  // namespace deflate
}  // namespace uha
