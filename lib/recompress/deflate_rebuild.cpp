// Rebuilds a deflate stream from its inflated bytes and its record: replays the predictor over
// the bytes as they arrive, applies the record's corrections, and writes each block with the
// stream's own codes. It holds the window and one block's tokens, whatever the stream's size, and
// checks every field of the record (docs/recompress.md, "The record").
#include <algorithm>
#include <cstring>

#include "lib/recompress/correction_record.h"
#include "lib/recompress/deflate_model.h"
#include "lib/recompress/huffman_lengths.h"
#include "lib/recompress/token_model.h"

namespace uha {

using deflate::BlockKind;
using deflate::RecordReader;
using deflate::Token;

class RebuildState {
 public:
  RebuildState() : m_window(kWindowBytes) {}

  Status Start(const std::uint8_t* record, std::size_t size, std::uint64_t inflated, ByteSink& out);
  Status Feed(const std::uint8_t* data, std::size_t size);
  Status Finish();
  const deflate::ModelParams& params() const { return m_head.params; }

 private:
  static constexpr std::size_t kWindowBytes = 2 * deflate::kMaxDistance + 2048;
  // What stays when the window slides (32 KiB behind, the model's lookahead) leaves room to fill.
  static_assert(kWindowBytes >= deflate::kMaxDistance + deflate::OptimalPlan::kHorizon +
                                    deflate::kLookahead + (16u << 10));
  static constexpr std::size_t kFlushBytes = 1 << 16;
  static constexpr std::uint64_t kNoCorrection = ~0ull;

  Status Run();
  Status Fail(const char* why) {
    m_failed = Status::Fail(std::string("deflate record: ") + why);
    return m_failed;
  }
  Status BeginBlock();
  Status ReadRawHeader();
  Status NextToken();
  Status ReadCorrection(const Token& predicted, Token& actual);
  Status WriteBlock();
  Status Flush(bool all);
  void Slide();

  deflate::TokenModel m_model;
  std::vector<std::uint8_t> m_window;
  std::vector<Token> m_tokens;
  deflate::BitWriter m_bits;
  ByteSink* m_out = nullptr;
  Status m_failed;
  deflate::RecordHead m_head;
  RecordReader m_record, m_blocks, m_headers, m_corrections;
  std::uint32_t m_total = 0, m_base = 0, m_end = 0, m_at = 0;
  std::uint64_t m_blocks_done = 0, m_token_index = 0, m_next_fix = kNoCorrection;
  std::uint32_t m_crc = 0;
  // The block being rebuilt.
  bool m_in_block = false, m_raw_header = false;
  BlockKind m_kind = BlockKind::Stored;
  std::uint8_t m_lit[deflate::kLiteralCodes] = {}, m_dist[deflate::kDistanceCodes] = {};
  std::uint32_t m_block_size = 0, m_block_done = 0;
};

Status RebuildState::Start(const std::uint8_t* record, std::size_t size, std::uint64_t inflated,
                           ByteSink& out) {
  m_failed = {};
  m_out = &out;
  m_record = RecordReader(record, size);
  if (inflated > kModelMaxInflated) return Fail("the stream is larger than the model takes");
  if (!deflate::ReadHead(m_record, m_head) || !m_record.Section(m_blocks) ||
      !m_record.Section(m_headers) || !m_record.Section(m_corrections))
    return Fail("its head is damaged");
  if (m_head.block_count == 0) return Fail("it has no blocks");
  m_total = static_cast<std::uint32_t>(inflated);
  m_model.Start(m_head.params, m_total);
  m_base = m_end = m_at = 0;
  m_model.View(m_window.data(), 0, 0);
  m_blocks_done = m_token_index = 0;
  m_crc = 0;
  m_in_block = false;
  m_tokens.clear();
  m_bits.Clear();
  std::uint64_t gap;
  m_next_fix = kNoCorrection;
  if (!m_corrections.Empty()) {
    if (!m_corrections.Varint(gap, ~0ull >> 8)) return Fail("a correction is damaged");
    m_next_fix = gap;
  }
  return {};
}

void RebuildState::Slide() {
  std::uint32_t keep = std::min(m_at, m_model.OldestNeeded());
  keep = keep > deflate::kMaxDistance ? keep - deflate::kMaxDistance : 0;
  keep = std::max(keep, m_base);
  std::memmove(m_window.data(), m_window.data() + (keep - m_base), m_end - keep);
  m_base = keep;
}

Status RebuildState::Feed(const std::uint8_t* data, std::size_t size) {
  if (!m_failed.ok()) return m_failed;
  while (size > 0) {
    if (m_end - m_base == m_window.size()) Slide();
    const std::size_t room = m_window.size() - (m_end - m_base);
    if (room == 0) return Fail("the window is full");
    if (size > m_total - m_end) return Fail("there are more bytes than it says");
    const std::size_t n = std::min(room, size);
    std::memcpy(m_window.data() + (m_end - m_base), data, n);
    m_end += static_cast<std::uint32_t>(n);
    data += n;
    size -= n;
    m_model.View(m_window.data(), m_base, m_end);
    Status s = Run();
    if (!s.ok()) return s;
  }
  return {};
}

Status RebuildState::BeginBlock() {
  std::uint8_t flags, pad = 0;
  std::uint64_t count;
  if (!m_blocks.Byte(flags) || (flags & 3) == 3 || flags > 15) return Fail("a block is damaged");
  m_kind = static_cast<BlockKind>(flags & 3);
  const bool final = (flags & 4) != 0;
  m_raw_header = (flags & 8) != 0;
  if (final != (m_blocks_done + 1 == m_head.block_count)) return Fail("the final block is misplaced");
  if (m_raw_header && m_kind != BlockKind::Dynamic) return Fail("a block is damaged");
  const std::uint64_t limit = m_kind == BlockKind::Stored ? 0xffff : kModelMaxBlockTokens;
  if (!m_blocks.Varint(count, limit)) return Fail("a block is too large");
  if (m_kind == BlockKind::Stored && !m_blocks.Byte(pad)) return Fail("a block is damaged");
  m_block_size = static_cast<std::uint32_t>(count);
  m_block_done = 0;
  m_bits.Put((final ? 1 : 0) | static_cast<unsigned>(m_kind) << 1, 3);
  if (m_kind == BlockKind::Stored) {
    const int pad_bits = (8 - m_bits.PendingBits()) % 8;
    if (pad >> pad_bits) return Fail("a stored block's padding is damaged");
    m_bits.Put(pad, pad_bits);
    m_bits.Put(m_block_size, 16);
    m_bits.Put(m_block_size ^ 0xffff, 16);
  }
  std::fill(std::begin(m_lit), std::end(m_lit), 0);
  std::fill(std::begin(m_dist), std::end(m_dist), 0);
  if (m_kind == BlockKind::Fixed) {
    deflate::FixedLengths(m_lit, m_dist);
  } else if (m_raw_header) {
    Status s = ReadRawHeader();
    if (!s.ok()) return s;
  } else if (m_kind == BlockKind::Dynamic && m_head.params.parser == deflate::ModelParams::kOptimal) {
    return Fail("a block's header is missing");  // the parse by cost needs the codes first
  }
  if (m_kind != BlockKind::Stored) m_model.SetBlockCodes(m_lit, m_dist);
  m_tokens.clear();
  m_in_block = true;
  return {};
}

// A header kept as it is: its code lengths, and its bits written as they are.
Status RebuildState::ReadRawHeader() {
  std::uint64_t bit_count;
  const std::uint8_t* bytes;
  if (!m_headers.Varint(bit_count, 8 * 400) || !m_headers.Bytes((bit_count + 7) / 8, bytes))
    return Fail("a block's header is damaged");
  deflate::BitReader in(bytes, (bit_count + 7) / 8);
  if (!deflate::ReadDynamicHeader(in, m_lit, m_dist) || in.Position() != bit_count)
    return Fail("a block's header forms no code");
  deflate::BitReader copy(bytes, (bit_count + 7) / 8);
  std::uint32_t v;
  for (std::uint64_t i = 0; i < bit_count; i += 16) {
    const int n = static_cast<int>(std::min<std::uint64_t>(16, bit_count - i));
    copy.Bits(n, v);
    m_bits.Put(v, n);
  }
  return {};
}

Status RebuildState::ReadCorrection(const Token& predicted, Token& actual) {
  std::uint8_t what, length_byte;
  if (!m_corrections.Byte(what)) return Fail("a correction is damaged");
  actual = Token{};
  if (what == deflate::kActualLiteral) {
    actual.distance = m_window[m_at - m_base];
  } else {
    unsigned length = predicted.length;
    if (what == deflate::kOtherDistance) {
      if (!predicted.IsMatch()) return Fail("a correction names no length");
    } else if (what == deflate::kLong258) {
      length = 258;
    } else if (what == deflate::kOtherLength) {
      if (!m_corrections.Byte(length_byte)) return Fail("a correction is damaged");
      length = length_byte + 3u;
    } else {
      length = what - deflate::kLengthBias;
    }
    if (length > m_total - m_at) return Fail("a match runs past the stream");
    std::uint64_t rank, distance = 0;
    if (!m_corrections.Varint(rank, deflate::kMaxChain + 2)) return Fail("a correction is damaged");
    if (rank != 0) {
      distance = m_model.DistanceOfRank(m_at, length, static_cast<std::uint32_t>(rank));
      if (distance == 0) return Fail("a correction names no candidate");
    } else if (!m_corrections.Varint(distance, deflate::kMaxDistance) ||
               !m_model.Repeats(m_at, static_cast<unsigned>(distance), length)) {
      return Fail("a correction's match does not repeat");
    }
    actual.length = static_cast<std::uint16_t>(what == deflate::kLong258 ? deflate::kLength258Long : length);
    actual.distance = static_cast<std::uint16_t>(distance);
  }
  std::uint64_t gap;
  m_next_fix = kNoCorrection;
  if (!m_corrections.Empty()) {
    if (!m_corrections.Varint(gap, ~0ull >> 8)) return Fail("a correction is damaged");
    m_next_fix = m_token_index + 1 + gap;
  }
  return {};
}

Status RebuildState::NextToken() {
  if (m_at >= m_total) return Fail("a block runs past the stream");
  const Token predicted = m_model.Predict(m_at);
  if (m_model.OverBudget()) return Fail("it takes more work than its stream");
  Token actual = predicted;
  if (m_token_index == m_next_fix) {
    Status s = ReadCorrection(predicted, actual);
    if (!s.ok()) return s;
  }
  m_model.Follow(m_at, actual, predicted);
  m_tokens.push_back(actual);
  m_at += actual.Span();
  ++m_token_index;
  ++m_block_done;
  return {};
}

Status RebuildState::WriteBlock() {
  std::uint8_t* lit = m_lit;
  std::uint8_t* dist = m_dist;
  if (m_kind == BlockKind::Dynamic && !m_raw_header) {
    deflate::PredictBlockLengths(m_tokens.data(), m_tokens.size(), lit, dist);
    if (!deflate::WriteDynamicHeader(lit, dist, m_bits)) return Fail("a block's codes are damaged");
  }
  std::uint16_t lit_codes[deflate::kLiteralCodes], dist_codes[deflate::kDistanceCodes];
  if (!deflate::CanonicalCodes(lit, deflate::kLiteralCodes, lit_codes) ||
      !deflate::CanonicalCodes(dist, deflate::kDistanceCodes, dist_codes))
    return Fail("a block's header forms no code");
  std::size_t since_flush = 0;
  for (const Token& t : m_tokens) {
    if (!t.IsMatch()) {
      if (lit[t.distance] == 0) return Fail("a literal has no code");
      m_bits.Put(lit_codes[t.distance], lit[t.distance]);
    } else {
      const int li = t.length == deflate::kLength258Long ? 27 : deflate::LengthIndex(t.length);
      const int dc = deflate::DistanceCode(t.distance);
      if (lit[257 + li] == 0 || dist[dc] == 0) return Fail("a match has no code");
      m_bits.Put(lit_codes[257 + li], lit[257 + li]);
      m_bits.Put(t.Span() - deflate::LengthBase(li), deflate::LengthExtraBits(li));
      m_bits.Put(dist_codes[dc], dist[dc]);
      m_bits.Put(t.distance - deflate::DistanceBase(dc), deflate::DistanceExtraBits(dc));
    }
    if (++since_flush == 4096) {
      since_flush = 0;
      Status s = Flush(false);
      if (!s.ok()) return s;
    }
  }
  m_bits.Put(lit_codes[deflate::kEndOfBlock], lit[deflate::kEndOfBlock]);
  m_tokens.clear();
  return {};
}

Status RebuildState::Flush(bool all) {
  auto& bytes = m_bits.Bytes();
  if (bytes.empty() || (!all && bytes.size() < kFlushBytes)) return {};
  m_crc = deflate::Crc32(m_crc, bytes.data(), bytes.size());
  Status s = m_out->Put(bytes.data(), bytes.size());
  bytes.clear();
  if (!s.ok()) m_failed = s;
  return s;
}

Status RebuildState::Run() {
  for (;;) {
    if (!m_in_block) {
      if (m_blocks_done == m_head.block_count) return {};
      Status s = BeginBlock();
      if (!s.ok()) return s;
    }
    if (m_kind == BlockKind::Stored) {
      const std::uint32_t n = std::min(m_end - m_at, m_block_size - m_block_done);
      for (std::uint32_t i = 0; i < n; ++i) m_bits.Put(m_window[m_at - m_base + i], 8);
      m_model.Skip(m_at, n);
      m_at += n;
      m_block_done += n;
      if (m_block_done < m_block_size) {
        if (m_end == m_total) return Fail("a stored block runs past the stream");
        return Flush(false);
      }
    } else {
      while (m_block_done < m_block_size) {
        if (m_end < m_total && m_at + m_model.Lookahead() > m_end) return Flush(false);
        Status s = NextToken();
        if (!s.ok()) return s;
      }
      Status s = WriteBlock();
      if (!s.ok()) return s;
    }
    m_in_block = false;
    ++m_blocks_done;
    Status s = Flush(false);
    if (!s.ok()) return s;
  }
}

Status RebuildState::Finish() {
  if (!m_failed.ok()) return m_failed;
  if (m_end != m_total) return Fail("there are fewer bytes than it says");
  Status s = Run();
  if (!s.ok()) return s;
  if (m_blocks_done != m_head.block_count || m_at != m_total)
    return Fail("its blocks do not cover the stream");
  if (m_next_fix != kNoCorrection || !m_corrections.Empty())
    return Fail("a correction lies past the stream");
  std::uint8_t tail;
  if (!m_record.Byte(tail) || !m_record.Empty() || !m_blocks.Empty() || !m_headers.Empty())
    return Fail("it has bytes left over");
  const int room = (8 - m_bits.PendingBits()) % 8;
  if (tail >> room) return Fail("its last bits are damaged");
  m_bits.Put(tail, room);
  s = Flush(true);
  if (!s.ok()) return s;
  if (m_crc != m_head.crc)
    return Fail("the rebuilt stream differs from the original");
  return {};
}

ModelRebuilder::ModelRebuilder() : m_state(new RebuildState) {}
ModelRebuilder::~ModelRebuilder() = default;

Status ModelRebuilder::Start(const std::uint8_t* record, std::size_t record_size,
                             std::uint64_t inflated_size, ByteSink& out) {
  return m_state->Start(record, record_size, inflated_size, out);
}
Status ModelRebuilder::Feed(const std::uint8_t* data, std::size_t size) { return m_state->Feed(data, size); }
Status ModelRebuilder::Finish() { return m_state->Finish(); }
const deflate::ModelParams& ModelRebuilder::params() const { return m_state->params(); }

}  // namespace uha
