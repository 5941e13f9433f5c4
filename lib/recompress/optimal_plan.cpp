// The optimal parse of docs/recompress.md ("The optimal parser"): a backward pass over the listed
// positions finds, for each, the token that starts the cheapest way to the horizon, counting each
// token in the bits the block's codes give it.
#include "lib/recompress/optimal_plan.h"

#include <algorithm>

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
  m_budget = 4ull * total + 2ull * kHorizon;
  Reset(0);
}

void OptimalPlan::Reset(std::uint32_t at) {
  m_base = m_trusted_end = at;
  m_first.clear();
  m_byte.clear();
  m_pairs.clear();
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
  m_first.push_back(static_cast<std::uint32_t>(m_pairs.size()));
  m_byte.push_back(byte);
}

void OptimalPlan::AddMatch(unsigned length, unsigned distance) {
  const std::uint32_t pair = static_cast<std::uint32_t>(length) << 16 | distance;
  if (m_pairs.size() - m_first.back() == kMaxPairs) {
    m_pairs.back() = pair;
  } else {
    m_pairs.push_back(pair);
  }
}

void OptimalPlan::DropBefore(std::uint32_t at) {
  if (at <= m_base) return;
  const std::size_t drop = std::min<std::size_t>(at - m_base, m_first.size());
  const std::uint32_t first_pair = drop < m_first.size() ? m_first[drop] : static_cast<std::uint32_t>(m_pairs.size());
  m_pairs.erase(m_pairs.begin(), m_pairs.begin() + first_pair);
  m_first.erase(m_first.begin(), m_first.begin() + static_cast<std::ptrdiff_t>(drop));
  m_byte.erase(m_byte.begin(), m_byte.begin() + static_cast<std::ptrdiff_t>(drop));
  for (std::uint32_t& f : m_first) f -= first_pair;
  m_base += static_cast<std::uint32_t>(drop);
  m_trusted_end = std::max(m_trusted_end, m_base);
}

bool OptimalPlan::Plan(std::uint32_t trusted_end) {
  const std::size_t n = m_first.size();
  if (n > m_budget) return false;
  m_budget -= n;
  m_cost.assign(n + 1, 0);
  m_choice.resize(n);
  for (std::size_t i = n; i-- > 0;) {
    Token best;
    best.distance = m_byte[i];
    std::uint32_t best_cost = m_literal_bits[m_byte[i]] + m_cost[i + 1];
    const std::size_t first = m_first[i], end = i + 1 < n ? m_first[i + 1] : m_pairs.size();
    const unsigned longest = first < end ? PairLength(m_pairs[end - 1]) : 0;
    if (longest >= m_nice) {
      // A long enough match is taken as it is.
      best.length = static_cast<std::uint16_t>(longest);
      best.distance = static_cast<std::uint16_t>(PairDistance(m_pairs[end - 1]));
      best_cost = m_length_bits[longest] + m_distance_bits[DistanceCode(best.distance)] +
                  m_cost[std::min(i + longest, n)];
    } else {
      unsigned shorter = 2;
      for (std::size_t k = first; k < end; ++k) {
        const unsigned length_k = PairLength(m_pairs[k]), distance = PairDistance(m_pairs[k]);
        const std::uint32_t distance_bits = m_distance_bits[DistanceCode(distance)];
        for (unsigned length = shorter + 1; length <= length_k; ++length) {
          const std::uint32_t cost =
              m_length_bits[length] + distance_bits + m_cost[std::min(i + length, n)];
          if (cost < best_cost) {  // on a tie the literal, then the shorter match
            best_cost = cost;
            best.length = static_cast<std::uint16_t>(length);
            best.distance = static_cast<std::uint16_t>(distance);
          }
        }
        shorter = length_k;
      }
    }
    m_cost[i] = best_cost;
    m_choice[i] = best;
  }
  m_trusted_end = trusted_end;
  return true;
}

}  // namespace deflate
}  // namespace uha
