// Code lengths as the gzip/zlib family builds them, coded from the rules in docs/recompress.md:
// a min-heap keyed by (count, height) built from the leaves in symbol order, two lightest nodes
// joined at a time, depths over the limit cut by moving leaves, lengths dealt lightest-first.
#include "lib/recompress/huffman_lengths.h"

#include <algorithm>

namespace uha {
namespace deflate {
namespace {

constexpr int kMaxNodes = 2 * kLiteralCodes;

struct Forest {
  std::uint32_t weight[kMaxNodes];
  std::uint8_t height[kMaxNodes];
  std::uint16_t parent[kMaxNodes];
  std::uint16_t heap[kMaxNodes + 1];  // 1-based
  int size = 0;

  bool Lighter(int a, int b) const {
    return weight[a] < weight[b] || (weight[a] == weight[b] && height[a] <= height[b]);
  }
  // Moves the node at `slot` down until both children are heavier.
  void SiftDown(int slot) {
    const int node = heap[slot];
    for (int child = slot * 2; child <= size; child = slot * 2) {
      if (child < size && Lighter(heap[child + 1], heap[child])) ++child;
      if (Lighter(node, heap[child])) break;
      heap[slot] = heap[child];
      slot = child;
    }
    heap[slot] = static_cast<std::uint16_t>(node);
  }
};

}  // namespace

void BuildLengths(const std::uint32_t* counts, int count, int limit, std::uint8_t* lengths) {
  Forest f;
  int highest = -1;
  for (int i = 0; i < count; ++i) {
    lengths[i] = 0;
    if (counts[i] == 0) continue;
    f.heap[++f.size] = static_cast<std::uint16_t>(i);
    f.weight[i] = counts[i];
    f.height[i] = 0;
    highest = i;
  }
  // A code needs two symbols: add codes 0 and 1 while the highest used is below 2, else code 0.
  while (f.size < 2) {
    const int added = highest < 2 ? ++highest : 0;
    f.heap[++f.size] = static_cast<std::uint16_t>(added);
    f.weight[added] = 1;
    f.height[added] = 0;
  }
  for (int slot = f.size / 2; slot >= 1; --slot) f.SiftDown(slot);

  // Removal order, lightest first; the root comes last.
  std::uint16_t removed[kMaxNodes];
  int removed_count = 0;
  int next_node = count;
  while (f.size >= 2) {
    const int a = f.heap[1];
    f.heap[1] = f.heap[f.size--];
    f.SiftDown(1);
    const int b = f.heap[1];
    removed[removed_count++] = static_cast<std::uint16_t>(a);
    removed[removed_count++] = static_cast<std::uint16_t>(b);
    const int joined = next_node++;
    f.weight[joined] = f.weight[a] + f.weight[b];
    f.height[joined] = static_cast<std::uint8_t>(std::max(f.height[a], f.height[b]) + 1);
    f.parent[a] = f.parent[b] = static_cast<std::uint16_t>(joined);
    f.heap[1] = static_cast<std::uint16_t>(joined);
    f.SiftDown(1);
  }
  const int root = f.heap[1];

  // Depths from the root down (parents are made after their children), capped at the limit.
  std::uint8_t depth[kMaxNodes];
  depth[root] = 0;
  int per_depth[16] = {};
  int over = 0;
  for (int i = removed_count - 1; i >= 0; --i) {
    const int node = removed[i];
    int d = depth[f.parent[node]] + 1;
    if (d > limit) { d = limit; ++over; }
    depth[node] = static_cast<std::uint8_t>(d);
    if (node < count) ++per_depth[d];
  }
  if (over == 0) {
    for (int i = 0; i < removed_count; ++i)
      if (removed[i] < count) lengths[removed[i]] = depth[removed[i]];
    return;
  }
  // Each round moves a leaf from the deepest level under the limit one level down, where it is
  // joined by a leaf from the limit: two over-limit leaves fewer.
  while (over > 0) {
    int d = limit - 1;
    while (per_depth[d] == 0) --d;
    --per_depth[d];
    per_depth[d + 1] += 2;
    --per_depth[limit];
    over -= 2;
  }
  // Deal the lengths again: the lightest leaves (removed first) take the longest.
  int next = 0;
  for (int d = limit; d >= 1; --d) {
    for (int left = per_depth[d]; left > 0; ++next) {
      if (removed[next] >= count) continue;
      lengths[removed[next]] = static_cast<std::uint8_t>(d);
      --left;
    }
  }
}

namespace {

// One run-length coded symbol of the header: code-length code 0..18 and its extra bits.
struct LengthSymbol {
  std::uint8_t code, extra;
};

// Appends the run-length coding of `lengths`, runs not crossing the end.
int RunLengthCode(const std::uint8_t* lengths, int count, LengthSymbol* out) {
  int n = 0, previous = -1;
  for (int i = 0; i < count;) {
    const int value = lengths[i];
    const int longest = value == 0 ? 138 : value == previous ? 6 : 7;
    const int shortest = value == 0 || value == previous ? 3 : 4;
    int run = 1;
    while (i + run < count && lengths[i + run] == value && run < longest) ++run;
    i += run;
    if (run < shortest) {
      for (int k = 0; k < run; ++k) out[n++] = {static_cast<std::uint8_t>(value), 0};
    } else if (value == 0) {
      out[n++] = run <= 10 ? LengthSymbol{17, static_cast<std::uint8_t>(run - 3)}
                           : LengthSymbol{18, static_cast<std::uint8_t>(run - 11)};
    } else {
      if (value != previous) { out[n++] = {static_cast<std::uint8_t>(value), 0}; --run; }
      out[n++] = {16, static_cast<std::uint8_t>(run - 3)};
    }
    previous = value;
  }
  return n;
}

}  // namespace

bool WriteDynamicHeader(const std::uint8_t* literal, const std::uint8_t* distance, BitWriter& out) {
  static const std::uint8_t kExtraBits[3] = {2, 3, 7};
  int nlit = 286, ndist = 30;
  while (nlit > 257 && literal[nlit - 1] == 0) --nlit;
  while (ndist > 1 && distance[ndist - 1] == 0) --ndist;
  LengthSymbol symbols[286 + 30];
  int n = RunLengthCode(literal, nlit, symbols);
  n += RunLengthCode(distance, ndist, symbols + n);
  std::uint32_t counts[19] = {};
  for (int i = 0; i < n; ++i) ++counts[symbols[i].code];
  std::uint8_t code_lengths[19];
  BuildLengths(counts, 19, 7, code_lengths);
  std::uint16_t codes[19];
  if (!CanonicalCodes(code_lengths, 19, codes)) return false;
  int hclen = 19;
  while (hclen > 4 && code_lengths[kCodeLengthOrder[hclen - 1]] == 0) --hclen;
  out.Put(static_cast<std::uint32_t>(nlit - 257), 5);
  out.Put(static_cast<std::uint32_t>(ndist - 1), 5);
  out.Put(static_cast<std::uint32_t>(hclen - 4), 4);
  for (int i = 0; i < hclen; ++i) out.Put(code_lengths[kCodeLengthOrder[i]], 3);
  for (int i = 0; i < n; ++i) {
    const LengthSymbol s = symbols[i];
    out.Put(codes[s.code], code_lengths[s.code]);
    if (s.code >= 16) out.Put(s.extra, kExtraBits[s.code - 16]);
  }
  return true;
}

}  // namespace deflate
}  // namespace uha
