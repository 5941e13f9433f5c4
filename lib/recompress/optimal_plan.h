// The optimal parse the model predicts for encoders that choose tokens by their cost in bits
// (docs/recompress.md, "The optimal parser"): the matches found at each position, and the cheapest
// way from each position to a horizon under the block's own code lengths.
#pragma once

#include <cstdint>
#include <memory>

#include "lib/recompress/deflate_parse.h"

namespace uha {
namespace deflate {

class OptimalPlan {
 public:
  // Positions planned at once, and how far before their end the plan stops being trusted.
  static constexpr std::uint32_t kHorizon = 8192;
  static constexpr std::uint32_t kMargin = 1024;
  // Matches kept a position: the nearest for each longer length, the last one replaced beyond.
  static constexpr unsigned kMaxPairs = 32;

  // Begins a stream of `total` bytes: the plans of a stream may cover at most about four times its
  // bytes, so that a record of many small blocks cannot make the rebuild plan without end. The
  // first start takes the plan's memory (about 1.1 MiB), once.
  void Start(std::uint32_t total);
  // Forgets every position; the next listed one is `at`.
  void Reset(std::uint32_t at);
  // Bit costs from a block's code lengths (zero: the symbol cannot occur); the plan is redone.
  void SetCodes(const std::uint8_t* literal, const std::uint8_t* distance);
  // `nice`: a match at least this long is taken whatever it costs.
  void SetNice(unsigned nice) { m_nice = nice; }

  // Listing: positions are added in order, each with its matches (length rising, distance rising).
  std::uint32_t ListedEnd() const { return m_base + static_cast<std::uint32_t>(m_listed); }
  void BeginPosition(std::uint8_t byte);
  void AddMatch(unsigned length, unsigned distance);

  // Drops the positions before `at` and whether the plan still holds there.
  bool Covers(std::uint32_t at) const { return at >= m_base && at < m_trusted_end; }
  void DropBefore(std::uint32_t at);
  // Plans every listed position from the first; trusted up to `trusted_end`. False when the
  // stream's planning budget is spent.
  bool Plan(std::uint32_t trusted_end);
  Token Choice(std::uint32_t at) const {
    const std::uint32_t c = m_choice[at - m_base];
    Token t;
    t.length = static_cast<std::uint16_t>(c >> 16);
    t.distance = static_cast<std::uint16_t>(c);
    return t;
  }

  // The listed matches at `at` at least `length` long, nearest first (for the record's ranks).
  template <class Visit>
  void VisitMatches(std::uint32_t at, unsigned length, Visit visit) const {
    if (at < m_base || at >= ListedEnd()) return;
    const std::size_t i = at - m_base;
    const std::uint32_t* pair = m_pairs;
    for (std::size_t k = FirstPair(i), end = EndPair(i); k < end; ++k) {
      if (PairLength(pair[k]) >= length && !visit(PairDistance(pair[k]))) return;
    }
  }

 private:
  static unsigned PairLength(std::uint32_t pair) { return pair >> 16; }
  static unsigned PairDistance(std::uint32_t pair) { return pair & 0xffff; }
  // A listed position: its byte in the top bits, its first pair below.
  std::size_t FirstPair(std::size_t i) const { return m_first[i] & 0xffffff; }
  std::size_t EndPair(std::size_t i) const { return i + 1 < m_listed ? FirstPair(i + 1) : m_pair_count; }

  std::uint32_t m_base = 0, m_trusted_end = 0;
  std::uint64_t m_budget = 0;  // positions the stream's plans may still cover
  // Fixed arrays in one allocation: at most kHorizon positions are listed at once.
  std::unique_ptr<std::uint32_t[]> m_store;
  std::uint32_t* m_first = nullptr;   // per listed position: byte << 24 | first pair
  std::uint32_t* m_cost = nullptr;    // per listed position and one more: bits to the horizon
  std::uint32_t* m_choice = nullptr;  // per listed position: the token, length << 16 | distance
  std::uint32_t* m_pairs = nullptr;   // length << 16 | distance
  std::size_t m_listed = 0, m_pair_count = 0;
  std::uint32_t m_literal_bits[256] = {};
  std::uint32_t m_length_bits[259] = {};
  std::uint32_t m_distance_bits[kDistanceCodes] = {};
  unsigned m_nice = 258;
};

}  // namespace deflate
}  // namespace uha
