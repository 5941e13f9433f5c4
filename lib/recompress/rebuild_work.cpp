// The estimate of docs/recompress.md, "Work a stream may ask for".
#include "lib/recompress/rebuild_work.h"

#include <algorithm>
#include <cstring>

namespace uha {
namespace {

constexpr std::uint32_t kFeedSlice = 16384;
// What every byte costs beside the search: about zlib's pace on data it finds no match in.
constexpr std::uint32_t kPerByte = 16;
// The optimal parse walks at most 256 steps of its tree a position and lists up to 32 matches.
constexpr std::uint32_t kOptimalPerByte = kPerByte + 256 + 32;

// A budget of a few hundred million steps: a couple of seconds at the slowest rebuild. Our
// packer's trees ask for a few hundred a byte of archive at most.
constexpr std::uint64_t kBaseBudget = 256ull << 20;
constexpr std::uint64_t kSmallArchive = 64u << 10;
constexpr std::uint64_t kBudgetPerSmallByte = 8192;
constexpr std::uint64_t kBudgetPerByte = 65536;

}  // namespace

WorkShape ModelWork(const deflate::ModelParams& params) {
  const bool optimal = params.parser == deflate::ModelParams::kOptimal;
  return {!optimal,     15,         params.max_dist, params.chain,
          params.nice,  optimal ? kOptimalPerByte : kPerByte};
}

void WorkMeter::Start(const WorkShape& shape) {
  if (!m_t) {
    m_t.reset(new Tables());
  } else if (m_open) {  // a stream cut off left its counts behind
    std::memset(m_t.get()->count, 0, sizeof m_t.get()->count);
  }
  m_shape = shape;
  m_shift = (shape.hash_bits + 2u) / 3;
  m_mask = (1u << shape.hash_bits) - 1;
  // Heads are told apart by where each stream starts, and cleared before that could wrap.
  if (m_base >= 1u << 31) {
    std::memset(m_t.get()->head, 0, sizeof m_t.get()->head);
    m_base = 0;
  }
  m_base += m_have + kMaxWindow + 1;
  m_have = m_next = m_skip = 0;
  m_open = true;
}

std::uint32_t WorkMeter::HashAt(std::uint32_t pos) const {
  return ((std::uint32_t{At(pos)} << (2 * m_shift)) ^ (std::uint32_t{At(pos + 1)} << m_shift) ^
          At(pos + 2)) &
         m_mask;
}

// At most a slice and `nice` positions of 4096 + per_byte units: the sum fits 32 bits.
std::uint32_t WorkMeter::Settle(std::uint32_t end, bool final) {
  Tables& t = *m_t.get();
  const std::uint32_t window = m_shape.window;
  std::uint32_t work = 0;
  for (; final ? m_next < end : end - m_next >= m_shape.nice; ++m_next) {
    const std::uint32_t at = m_next;
    work += m_shape.per_byte;
    if (!m_shape.chains) continue;
    if (at >= window) --t.count[t.hashes[(at - window) & (kMaxWindow - 1)]];
    if (end - at < 3) continue;  // the last two positions start no string
    const std::uint32_t h = HashAt(at);
    const std::uint32_t head = t.head[h];
    if (m_skip > 0) {
      --m_skip;
    } else if (head > m_base && m_base + at - head < window) {
      const std::uint32_t from = head - m_base - 1;
      // Near the end, a match that reaches it is as good as `nice`. Most candidates differ
      // within `nice` bytes: the last of them is looked at first.
      const std::uint32_t nice = std::min(m_shape.nice, end - at);
      bool whole = At(from + nice - 1) == At(at + nice - 1);
      for (std::uint32_t i = 0; whole && i + 1 < nice; ++i) whole = At(from + i) == At(at + i);
      if (whole) {
        work += 1;
        m_skip = nice - 1;
      } else {
        work += std::min<std::uint32_t>(t.count[h], m_shape.chain);
      }
    }
    ++t.count[h];
    t.head[h] = m_base + at + 1;
    t.hashes[at & (kMaxWindow - 1)] = static_cast<std::uint16_t>(h);
  }
  return work;
}

std::uint64_t WorkMeter::Feed(const std::uint8_t* data, std::size_t size) {
  std::uint64_t work = 0;
  while (size > 0) {
    const std::uint32_t take = static_cast<std::uint32_t>(std::min<std::size_t>(size, kFeedSlice));
    const std::uint32_t at = m_have & (kRing - 1);
    const std::uint32_t first = std::min(take, kRing - at);
    std::uint8_t* ring = m_t.get()->ring;
    std::memcpy(ring + at, data, first);
    std::memcpy(ring, data + first, take - first);
    m_have += take;
    data += take;
    size -= take;
    work += Settle(m_have, false);
  }
  return work;
}

std::uint64_t WorkMeter::Finish() {
  const std::uint32_t work = Settle(m_have, true);
  // Leave the counts empty for the next stream: only the window's last positions are in them.
  if (m_shape.chains) {
    Tables& t = *m_t.get();
    for (std::uint32_t at = m_have > m_shape.window ? m_have - m_shape.window : 0; at + 3 <= m_have;
         ++at) {
      --t.count[t.hashes[at & (kMaxWindow - 1)]];
    }
  }
  m_open = false;
  return work;
}

std::uint64_t ArchiveWorkBudget(std::uint64_t archive_size) {
  const std::uint64_t small = std::min(archive_size, kSmallArchive);
  const std::uint64_t rest = std::min(archive_size - small, std::uint64_t{1} << 40);
  return kBaseBudget + small * kBudgetPerSmallByte + rest * kBudgetPerByte;
}

bool NeedsWorkMeter(std::uint64_t stored_bytes, std::uint64_t archive_size) {
  constexpr std::uint64_t kMostPerByte = kPerByte + deflate::kMaxChain;  // above the optimal rate
  return stored_bytes > ArchiveWorkBudget(archive_size) / kMostPerByte;
}

// Once overdrawn it stays so: the extraction fails there.
bool WorkBudget::Spend(std::uint64_t units) {
  const auto asked = static_cast<std::int64_t>(units);
  return m_left.fetch_sub(asked, std::memory_order_relaxed) >= asked;
}

}  // namespace uha
