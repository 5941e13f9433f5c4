// The predictor of docs/recompress.md ("The matcher", "Parameter sets", "The optimal parser"):
// gzip/zlib's 3-byte hash and chains, their greedy and lazy parses and level parameters, or the
// matches each position has for a parse by cost, with positions counted from the start of the
// stream and comparisons stopped at its end.
#include "lib/recompress/token_model.h"

#include <algorithm>
#include <cstring>

namespace uha {
namespace deflate {
namespace {

constexpr std::uint32_t kHashSize = 1u << 15;
constexpr std::uint32_t kWindowMask = kMaxDistance - 1;

}  // namespace

bool ModelParams::Valid() const {
  return parser <= kOptimal && good >= 3 && good <= 258 && lazy >= 3 && lazy <= 258 && nice >= 3 &&
         nice <= 258 && chain >= 1 && chain <= kMaxChain && max_dist >= 1 &&
         max_dist <= kMaxDistance && flags <= 7;
}

const ModelParams& ParamSet(int index) {
  constexpr std::uint8_t kGzip = ModelParams::kNoFirstByte, kGzipLazy = kGzip | ModelParams::kTooFar;
  static const ModelParams kSets[kParamSetCount] = {
      {1, 8, 16, 128, 128, 32506, kGzipLazy},     {1, 32, 258, 258, 4096, 32506, kGzipLazy},
      {0, 4, 4, 8, 4, 32506, kGzip},              {0, 4, 5, 16, 8, 32506, kGzip},
      {0, 4, 6, 32, 32, 32506, kGzip},            {1, 4, 4, 16, 16, 32506, kGzipLazy},
      {1, 8, 16, 32, 32, 32506, kGzipLazy},       {1, 8, 32, 128, 256, 32506, kGzipLazy},
      {1, 32, 128, 258, 1024, 32506, kGzipLazy},  {0, 258, 258, 258, 4096, 32768, 0},
      {1, 258, 258, 258, 4096, 32768, 0},         {2, 258, 258, 258, 256, 32768, 0},
  };
  return kSets[index];
}

TokenModel::TokenModel() : m_head(kHashSize, 0), m_prev(kMaxDistance, 0), m_right(kMaxDistance, 0) {}

void TokenModel::Start(const ModelParams& params, std::uint32_t total) {
  m_params = params;
  // Stamps keep the last stream's chains out of this one; the table is cleared only when they
  // would wrap.
  const std::uint64_t next = std::uint64_t{m_stamp} + m_total + 1;
  if (next + total + 1 >= 0xffffffffull) {
    std::fill(m_head.begin(), m_head.end(), 0u);
    m_stamp = 1;
  } else {
    m_stamp = static_cast<std::uint32_t>(next);
  }
  m_total = total;
  m_next_insert = 0;
  m_pending = false;
  m_bytes = nullptr;
  m_base = m_end = 0;
  if (params.parser == ModelParams::kOptimal) m_plan.Start(total);
  m_plan.SetNice(params.nice);
  m_over_budget = false;
}

void TokenModel::SetBlockCodes(const std::uint8_t* literal, const std::uint8_t* distance) {
  if (m_params.parser == ModelParams::kOptimal) m_plan.SetCodes(literal, distance);
}

std::uint32_t TokenModel::Lookahead() const {
  return m_params.parser == ModelParams::kOptimal ? OptimalPlan::kHorizon + kLookahead : kLookahead;
}

std::uint32_t TokenModel::Hash(std::uint32_t at) const {
  return ((std::uint32_t{Byte(at)} << 10) ^ (std::uint32_t{Byte(at + 1)} << 5) ^ Byte(at + 2)) &
         (kHashSize - 1);
}

void TokenModel::InsertUpTo(std::uint32_t limit) {
  while (m_next_insert < limit) {
    const std::uint32_t at = m_next_insert;
    if (at + 3 > m_total) {
      m_next_insert = limit;
      return;
    }
    if (at + 3 > m_end) return;  // the rest once their bytes are here
    const std::uint32_t h = Hash(at);
    m_prev[at & kWindowMask] = m_head[h];
    m_head[h] = at + m_stamp;
    ++m_next_insert;
  }
}

unsigned TokenModel::Common(std::uint32_t candidate, std::uint32_t at, unsigned cap,
                            bool zero_tail) const {
  const unsigned real = std::min<std::uint32_t>(cap, m_total - at);
  const std::uint8_t* a = m_bytes + (at - m_base);
  const std::uint8_t* b = m_bytes + (candidate - m_base);
  unsigned n = 0;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  // Eight bytes at a time: the first differing byte is the lowest set byte of the difference.
  for (; n + 8 <= real; n += 8) {
    std::uint64_t x, y;
    std::memcpy(&x, a + n, 8);
    std::memcpy(&y, b + n, 8);
    if (x != y) return n + static_cast<unsigned>(__builtin_ctzll(x ^ y) >> 3);
  }
#endif
  while (n < real && a[n] == b[n]) ++n;
  if (n < real || !zero_tail) return n;
  // Past the end the encoder compares its cleared window: zeros against the candidate's bytes
  // until those run past the end too.
  while (n < cap) {
    const std::uint8_t theirs = candidate + n < m_total ? b[n] : 0;
    if (theirs != 0) break;
    ++n;
  }
  return n;
}

TokenModel::Match TokenModel::Search(std::uint32_t at, unsigned in_hand) {
  Match best;
  if (at + 3 > m_total) return best;
  unsigned chain = m_params.chain;
  if (in_hand >= m_params.good) chain = std::max(1u, chain >> 2);
  const bool zero_tail = (m_params.flags & ModelParams::kZeroTail) != 0;
  const unsigned cap = zero_tail ? 258u : std::min<std::uint32_t>(258, m_total - at);
  unsigned best_length = in_hand;
  const std::uint32_t limit = m_total - at;  // bytes left in the stream
  if (!zero_tail && best_length >= limit) return best;
  bool first = true;
  std::uint32_t stamped = m_prev[at & kWindowMask];  // `at` itself heads its chain
  std::uint32_t last = at;
  while (stamped >= m_stamp) {
    const std::uint32_t candidate = stamped - m_stamp;
    if (candidate >= last) break;
    last = candidate;
    const std::uint32_t distance = at - candidate;
    if (first ? distance > m_params.max_dist : distance >= m_params.max_dist) break;
    if (candidate == 0 && (m_params.flags & ModelParams::kNoFirstByte)) break;
    // Only a longer match counts: one byte tells most candidates apart.
    if (best_length < limit && Byte(candidate + best_length) != Byte(at + best_length)) {
      if (--chain == 0) break;
      stamped = m_prev[candidate & kWindowMask];
      first = false;
      continue;
    }
    const unsigned length = Common(candidate, at, cap, zero_tail);
    if (length > best_length) {
      best_length = length;
      best.distance = distance;
      if (length >= m_params.nice) break;
    }
    if (--chain == 0) break;
    stamped = m_prev[candidate & kWindowMask];
    first = false;
  }
  best_length = std::min<std::uint32_t>(best_length, m_total - at);
  if (best.distance == 0 || best_length <= in_hand) return Match{};
  if ((m_params.flags & ModelParams::kTooFar) && best_length == 3 && best.distance > 4096)
    return Match{};
  best.length = best_length;
  return best;
}

// A binary tree of the window's strings per hash, newest at the root: the search for `at` walks
// from newer to older strings, so each longer match it meets is the nearest of its length, and it
// makes `at` the new root, splitting the old tree into the strings below and above it.
void TokenModel::ListMatches(std::uint32_t at) {
  m_plan.BeginPosition(Byte(at));
  if (at + 3 > m_total) return;
  const unsigned cap = std::min<std::uint32_t>(258, m_total - at);
  const std::uint32_t h = Hash(at);
  std::uint32_t stamped = m_head[h];
  m_head[h] = at + m_stamp;
  std::uint32_t* below = &m_prev[at & kWindowMask];  // where the next smaller string goes
  std::uint32_t* above = &m_right[at & kWindowMask];
  unsigned below_length = 0, above_length = 0, best_length = 2, depth = m_params.chain;
  while (stamped >= m_stamp) {
    const std::uint32_t candidate = stamped - m_stamp;
    if (candidate >= at || at - candidate > m_params.max_dist || depth-- == 0) break;
    unsigned length = std::min(below_length, above_length);
    while (length < cap && Byte(candidate + length) == Byte(at + length)) ++length;
    if (length > best_length) {
      best_length = length;
      m_plan.AddMatch(length, at - candidate);
    }
    const std::uint32_t slot = candidate & kWindowMask;
    if (length == cap) {  // the candidate leaves the tree; its subtrees take its place
      *below = m_prev[slot];
      *above = m_right[slot];
      return;
    }
    if (Byte(candidate + length) < Byte(at + length)) {
      *below = stamped;
      below = &m_right[slot];
      below_length = length;
      stamped = *below;
    } else {
      *above = stamped;
      above = &m_prev[slot];
      above_length = length;
      stamped = *above;
    }
  }
  *below = 0;
  *above = 0;
}

Token TokenModel::PredictOptimal(std::uint32_t at) {
  if (!m_plan.Covers(at)) {
    if (m_plan.ListedEnd() <= at) {
      m_plan.Reset(at);
    } else {
      m_plan.DropBefore(at);
    }
    const std::uint32_t end = std::min(m_total, at + OptimalPlan::kHorizon);
    while (m_plan.ListedEnd() < end) ListMatches(m_plan.ListedEnd());
    if (!m_plan.Plan(end == m_total ? end : end - OptimalPlan::kMargin)) {
      m_over_budget = true;
      Token literal;
      literal.distance = Byte(at);
      return literal;
    }
  }
  return m_plan.Choice(at);
}

Token TokenModel::Predict(std::uint32_t at) {
  if (m_params.parser == ModelParams::kOptimal) return PredictOptimal(at);
  Token literal;
  literal.distance = Byte(at);
  const bool lazy = m_params.parser == ModelParams::kLazy;
  Match here;
  if (lazy && m_pending && m_pending_at == at) {
    here = m_pending_match;
  } else {
    InsertUpTo(at + 1);
    here = Search(at, 2);
  }
  m_pending = false;
  if (here.length < 3) return literal;
  if (lazy && here.length < m_params.lazy) {
    InsertUpTo(at + 2);
    const Match next = Search(at + 1, here.length);
    if (next.length > here.length) {
      m_pending = true;
      m_pending_at = at + 1;
      m_pending_match = next;
      return literal;
    }
  }
  Token match;
  match.length = static_cast<std::uint16_t>(here.length);
  match.distance = static_cast<std::uint16_t>(here.distance);
  return match;
}

void TokenModel::Follow(std::uint32_t at, const Token& actual, const Token& predicted) {
  if (m_params.parser == ModelParams::kOptimal) return;  // the plan lists every position itself
  if (!actual.IsMatch()) {
    if (predicted.IsMatch()) m_pending = false;
    return;
  }
  m_pending = false;
  const std::uint32_t end = at + actual.Span();
  if (m_params.parser == ModelParams::kGreedy && actual.Span() > m_params.lazy) {
    InsertUpTo(at + 1);
    m_next_insert = std::max(m_next_insert, end);  // a long match is stepped over unhashed
  } else {
    InsertUpTo(end);
  }
}

void TokenModel::Skip(std::uint32_t at, std::uint32_t count) {
  m_pending = false;
  if (m_params.parser == ModelParams::kOptimal) return;  // the plan lists every position itself
  InsertUpTo(at + count);
}

template <class Visit>
void TokenModel::WalkCandidates(std::uint32_t at, Visit visit) {
  if (at + 3 > m_total) return;
  std::uint32_t stamped = m_head[Hash(at)];
  std::uint32_t last = 0xffffffffu;
  // Two more steps for `at` and `at + 1`, which may head the chain already.
  for (unsigned step = 0; stamped >= m_stamp && step < kMaxChain + 2u; ++step) {
    const std::uint32_t candidate = stamped - m_stamp;
    if (candidate >= last) return;
    last = candidate;
    if (candidate < at) {
      if (at - candidate > kMaxDistance || !visit(at - candidate)) return;
    }
    stamped = m_prev[candidate & kWindowMask];
  }
}

// Candidates at `at` that match at least `length` bytes, nearest first.
template <class Visit>
void TokenModel::VisitCandidates(std::uint32_t at, unsigned length, Visit visit) {
  if (m_params.parser == ModelParams::kOptimal) {
    m_plan.VisitMatches(at, length, visit);
    return;
  }
  WalkCandidates(at, [&](std::uint32_t d) { return Common(at - d, at, length, false) < length || visit(d); });
}

std::uint32_t TokenModel::Rank(std::uint32_t at, unsigned length, unsigned distance) {
  std::uint32_t rank = 0, found = 0;
  VisitCandidates(at, length, [&](std::uint32_t d) {
    ++rank;
    if (d != distance) return true;
    found = rank;
    return false;
  });
  return found;
}

unsigned TokenModel::DistanceOfRank(std::uint32_t at, unsigned length, std::uint32_t rank) {
  std::uint32_t seen = 0;
  unsigned found = 0;
  VisitCandidates(at, length, [&](std::uint32_t d) {
    if (++seen < rank) return true;
    found = d;
    return false;
  });
  return found;
}

bool TokenModel::Repeats(std::uint32_t at, unsigned distance, unsigned length) const {
  if (distance == 0 || distance > at || distance > kMaxDistance || at - distance < m_base ||
      length > m_total - at || at + length > m_end)
    return false;
  const std::uint8_t* a = m_bytes + (at - m_base);
  for (unsigned i = 0; i < length; ++i)
    if (a[i] != a[static_cast<std::ptrdiff_t>(i) - static_cast<std::ptrdiff_t>(distance)]) return false;
  return true;
}

std::uint32_t TokenModel::OldestNeeded() const {
  return m_params.parser == ModelParams::kOptimal ? m_plan.ListedEnd() : m_next_insert;
}

}  // namespace deflate
}  // namespace uha
