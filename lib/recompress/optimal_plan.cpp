// The optimal parse of docs/recompress.md ("The optimal parser"): a backward pass over the listed
// positions finds, for each, the token that starts the cheapest way to the horizon, counting each
// token in the bits the block's codes give it.
#include "lib/recompress/optimal_plan.h"

#include <algorithm>
#include <cstring>

namespace uha {
namespace deflate {
namespace {

// A token whose code has no length cannot occur: it costs more than any way around it.
constexpr std::uint32_t kImpossible = 1u << 16;

std::uint32_t CodeBits(std::uint8_t length, int extra) {
  return length == 0 ? kImpossible : length + static_cast<std::uint32_t>(extra);
}

}  // namespace

void OptimalPlan::Start(std::uint32_t total) {
  if (!m_store) {
    m_store.reset(new std::uint32_t[3 * kHorizon + 1 + kHorizon * kMaxPairs]);
    m_first = m_store.get();
    m_cost = m_first + kHorizon;
    m_choice = m_cost + kHorizon + 1;
    m_pairs = m_choice + kHorizon;
  }
  m_budget = 4ull * total + 2ull * kHorizon;
  Reset(0);
}

void OptimalPlan::Reset(std::uint32_t at) {
  m_base = m_trusted_end = at;
  m_listed = m_pair_count = 0;
}

void OptimalPlan::SetCodes(const std::uint8_t* literal, const std::uint8_t* distance) {
  for (int b = 0; b < 256; ++b) m_literal_bits[b] = CodeBits(literal[b], 0);
  for (unsigned length = 3; length <= 258; ++length) {
    const int index = LengthIndex(length);
    m_length_bits[length] = CodeBits(literal[257 + index], LengthExtraBits(index));
  }
  for (int code = 0; code < kDistanceCodes; ++code)
    m_distance_bits[code] = CodeBits(distance[code], DistanceExtraBits(code));
  m_trusted_end = m_base;
}

void OptimalPlan::BeginPosition(std::uint8_t byte) {
  m_first[m_listed++] = static_cast<std::uint32_t>(byte) << 24 | static_cast<std::uint32_t>(m_pair_count);
}

void OptimalPlan::AddMatch(unsigned length, unsigned distance) {
  const std::uint32_t pair = static_cast<std::uint32_t>(length) << 16 | distance;
  if (m_pair_count - FirstPair(m_listed - 1) == kMaxPairs) {
    m_pairs[m_pair_count - 1] = pair;
  } else {
    m_pairs[m_pair_count++] = pair;
  }
}

void OptimalPlan::DropBefore(std::uint32_t at) {
  if (at <= m_base) return;
  const std::size_t drop = std::min<std::size_t>(at - m_base, m_listed);
  const std::size_t kept = m_listed - drop;
  const std::size_t first_pair = kept > 0 ? FirstPair(drop) : m_pair_count;
  for (std::size_t i = 0; i < kept; ++i)
    m_first[i] = m_first[i + drop] - static_cast<std::uint32_t>(first_pair);
  m_listed = kept;
  m_pair_count -= first_pair;
  std::memmove(m_pairs, m_pairs + first_pair, m_pair_count * sizeof *m_pairs);
  m_base += static_cast<std::uint32_t>(drop);
  m_trusted_end = std::max(m_trusted_end, m_base);
}

bool OptimalPlan::Plan(std::uint32_t trusted_end) {
  const std::size_t n = m_listed;
  if (n > m_budget) return false;
  m_budget -= n;
  std::uint32_t* cost = m_cost;
  const std::uint32_t* pairs = m_pairs;
  cost[n] = 0;
  for (std::size_t i = n; i-- > 0;) {
    const std::uint8_t byte = static_cast<std::uint8_t>(m_first[i] >> 24);
    std::uint32_t best = byte, best_cost = m_literal_bits[byte] + cost[i + 1];
    const std::size_t first = FirstPair(i), end = EndPair(i);
    const unsigned longest = first < end ? PairLength(pairs[end - 1]) : 0;
    if (longest >= m_nice) {
      // A long enough match is taken as it is.
      best = pairs[end - 1];
      best_cost = m_length_bits[longest] + m_distance_bits[DistanceCode(PairDistance(best))] +
                  cost[std::min(i + longest, n)];
    } else {
      unsigned shorter = 2;
      for (std::size_t k = first; k < end; ++k) {
        const unsigned up_to = PairLength(pairs[k]), distance = PairDistance(pairs[k]);
        const std::uint32_t distance_bits = m_distance_bits[DistanceCode(distance)];
        for (unsigned length = shorter + 1; length <= up_to; ++length) {
          const std::uint32_t c = m_length_bits[length] + distance_bits + cost[std::min(i + length, n)];
          if (c < best_cost) {  // on a tie the literal, then the shorter match
            best_cost = c;
            best = static_cast<std::uint32_t>(length) << 16 | distance;
          }
        }
        shorter = up_to;
      }
    }
    cost[i] = best_cost;
    m_choice[i] = best;
  }
  m_trusted_end = trusted_end;
  return true;
}

}  // namespace deflate
}  // namespace uha
