// Models a deflate stream: parses it, picks the predictor's parameters by trial, lists the tokens
// the predictor misses and the headers the Huffman builder misses, and checks that the record
// rebuilds the stream before handing it out (docs/recompress.md).
#include "lib/recompress/deflate_model.h"

#include "lib/recompress/correction_record.h"
#include "lib/recompress/deflate_parse.h"
#include "lib/recompress/huffman_lengths.h"
#include "lib/recompress/token_model.h"

namespace uha {
namespace {

using deflate::BlockKind;
using deflate::ModelParams;
using deflate::ParsedStream;
using deflate::RecordWriter;
using deflate::Token;

constexpr std::size_t kTrialTokens = 1 << 16;

// The code lengths a fixed or dynamic block (already parsed, so valid) writes its tokens with.
void BlockCodes(const std::uint8_t* data, std::size_t size, const deflate::ParsedBlock& block,
                std::uint8_t* literal, std::uint8_t* distance) {
  if (block.kind == BlockKind::Fixed) {
    deflate::FixedLengths(literal, distance);
    return;
  }
  deflate::BitReader in(data, size);
  in.Seek(block.header_begin);
  deflate::ReadDynamicHeader(in, literal, distance);
}

class Corrector {
 public:
  Corrector(deflate::TokenModel& model, RecordWriter& out) : m_model(model), m_out(out) {}

  // Runs the predictor over the first `max_tokens` tokens of the stream at `data`; the corrections
  // go to the writer.
  void Run(const std::uint8_t* data, const ParsedStream& s, const ModelParams& params,
           std::size_t max_tokens) {
    const auto total = static_cast<std::uint32_t>(s.inflated.size());
    m_model.Start(params, total);
    m_model.View(s.inflated.data(), 0, total);
    std::uint32_t at = 0;
    std::size_t next = 0;
    for (const auto& block : s.blocks) {
      if (block.kind == BlockKind::Stored) {
        m_model.Skip(at, block.stored_length);
        at += block.stored_length;
        continue;
      }
      std::uint8_t lit[deflate::kLiteralCodes] = {}, dist[deflate::kDistanceCodes] = {};
      BlockCodes(data, s.size, block, lit, dist);
      m_model.SetBlockCodes(lit, dist);
      for (std::uint32_t i = 0; i < block.token_count; ++i, ++next) {
        if (next == max_tokens) return;
        const Token actual = s.tokens[next];
        const Token predicted = m_model.Predict(at);
        if (m_model.OverBudget()) return;
        if (actual != predicted) Correct(at, actual, predicted);
        ++m_gap;
        m_model.Follow(at, actual, predicted);
        at += actual.Span();
      }
    }
  }

 private:
  void Correct(std::uint32_t at, const Token& actual, const Token& predicted) {
    m_out.Varint(m_gap);
    m_gap = static_cast<std::uint64_t>(-1);  // this token counts as the next gap's zero
    if (!actual.IsMatch()) {
      m_out.Byte(deflate::kActualLiteral);
      return;
    }
    const unsigned length = actual.Span();
    if (actual.length == deflate::kLength258Long) {
      m_out.Byte(deflate::kLong258);
    } else if (predicted.length == actual.length) {
      m_out.Byte(deflate::kOtherDistance);
    } else if (length + deflate::kLengthBias <= 255) {
      m_out.Byte(static_cast<std::uint8_t>(length + deflate::kLengthBias));
    } else {
      m_out.Byte(deflate::kOtherLength);
      m_out.Byte(static_cast<std::uint8_t>(length - 3));
    }
    const std::uint32_t rank = m_model.Rank(at, length, actual.distance);
    m_out.Varint(rank);
    if (rank == 0) m_out.Varint(actual.distance);
  }

  deflate::TokenModel& m_model;
  RecordWriter& m_out;
  std::uint64_t m_gap = 0;
};

// Appends bits [begin, end) of `data` to the writer as packed bytes.
void CopyBits(const std::uint8_t* data, std::size_t size, std::uint64_t begin, std::uint64_t end,
              RecordWriter& out) {
  deflate::BitReader in(data, size);
  in.Seek(begin);
  std::uint32_t v;
  deflate::BitWriter bits;
  for (std::uint64_t i = begin; i < end; i += 16) {
    const int n = static_cast<int>(std::min<std::uint64_t>(16, end - i));
    in.Bits(n, v);
    bits.Put(v, n);
  }
  if (bits.PendingBits() > 0) bits.Put(0, 8 - bits.PendingBits());
  out.Varint(end - begin);
  out.Bytes(bits.Bytes().data(), bits.Bytes().size());
}

// True when the builder writes exactly the header the block has.
bool HeaderPredicted(const std::uint8_t* data, std::size_t size, const deflate::ParsedBlock& block,
                     const Token* tokens) {
  std::uint8_t lit[deflate::kLiteralCodes] = {}, dist[deflate::kDistanceCodes] = {};
  deflate::PredictBlockLengths(tokens, block.token_count, lit, dist);
  deflate::BitWriter predicted;
  if (!deflate::WriteDynamicHeader(lit, dist, predicted)) return false;
  if (predicted.BitCount() != block.header_end - block.header_begin) return false;
  deflate::BitReader in(data, size);
  in.Seek(block.header_begin);
  std::uint32_t v;
  for (std::uint8_t byte : predicted.Bytes())
    if (!in.Bits(8, v) || v != byte) return false;
  const int rest = predicted.PendingBits();
  return rest == 0 || (in.Bits(rest, v) && v == (predicted.PendingValue() & ((1u << rest) - 1)));
}

class CompareSink : public ByteSink {
 public:
  CompareSink(const std::uint8_t* expected, std::size_t size) : m_expected(expected), m_size(size) {}
  Status Put(const std::uint8_t* data, std::size_t size) override {
    if (size > m_size - m_at || !std::equal(data, data + size, m_expected + m_at))
      return Status::Fail("the record rebuilds another stream");
    m_at += size;
    return {};
  }
  bool Complete() const { return m_at == m_size; }

 private:
  const std::uint8_t* m_expected;
  std::size_t m_size, m_at = 0;
};

}  // namespace

std::optional<ModelledStream> ModelDeflateStream(const std::uint8_t* data, std::size_t size) {
  auto parsed = deflate::ParseDeflate(data, size, kModelMaxInflated, kModelMaxBlockTokens);
  if (!parsed) return std::nullopt;
  const ParsedStream& s = *parsed;

  deflate::TokenModel model;
  int best = 0;
  std::size_t best_cost = ~std::size_t{0};
  for (int set = 0; set < deflate::kParamSetCount && best_cost > 0; ++set) {
    RecordWriter trial;
    Corrector(model, trial).Run(data, s, deflate::ParamSet(set), kTrialTokens);
    if (!model.OverBudget() && trial.Data().size() < best_cost) {
      best_cost = trial.Data().size();
      best = set;
    }
  }

  RecordWriter blocks, headers, corrections;
  const ModelParams& params = deflate::ParamSet(best);
  Corrector(model, corrections).Run(data, s, params, s.tokens.size());
  if (model.OverBudget()) return std::nullopt;
  std::size_t first_token = 0;
  for (const auto& b : s.blocks) {
    // The optimal parse costs tokens by their block's codes: it needs the header first.
    const bool raw = b.kind == BlockKind::Dynamic &&
                     (params.parser == ModelParams::kOptimal ||
                      !HeaderPredicted(data, s.size, b, s.tokens.data() + first_token));
    blocks.Byte(static_cast<std::uint8_t>(static_cast<unsigned>(b.kind) | (b.final ? 4 : 0) | (raw ? 8 : 0)));
    if (b.kind == BlockKind::Stored) {
      blocks.Varint(b.stored_length);
      blocks.Byte(b.pad_value);
    } else {
      blocks.Varint(b.token_count);
    }
    if (raw) CopyBits(data, s.size, b.header_begin, b.header_end, headers);
    first_token += b.token_count;
  }

  deflate::RecordHead head;
  head.param_set = static_cast<std::uint8_t>(best);
  head.params = params;
  head.crc = deflate::Crc32(0, data, s.size);
  head.block_count = s.blocks.size();
  RecordWriter record;
  deflate::WriteHead(head, record);
  record.Section(blocks);
  record.Section(headers);
  record.Section(corrections);
  record.Byte(s.tail_value);

  ModelledStream out;
  out.deflated_size = s.size;
  out.record = std::move(record.Data());
  out.inflated = std::move(parsed->inflated);

  // A record is handed out only once it has rebuilt the stream.
  CompareSink check(data, out.deflated_size);
  ModelRebuilder rebuild;
  if (!rebuild.Start(out.record.data(), out.record.size(), out.inflated.size(), check).ok() ||
      !rebuild.Feed(out.inflated.data(), out.inflated.size()).ok() || !rebuild.Finish().ok() ||
      !check.Complete())
    return std::nullopt;
  return out;
}

}  // namespace uha
