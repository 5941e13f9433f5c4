// The LZ77 predictor: hash chains over the inflated bytes and the greedy or lazy parse of the
// gzip/zlib family, or a parse of least cost in bits, with parameters per stream
// (docs/recompress.md, "The matcher", "The optimal parser"). It predicts each token from the bytes
// and the tokens so far, and follows the actual token after a miss.
#pragma once

#include <cstdint>
#include <vector>

#include "lib/recompress/deflate_parse.h"
#include "lib/recompress/optimal_plan.h"

namespace uha {
namespace deflate {

struct ModelParams {
  enum Flags : std::uint8_t {
    kTooFar = 1,        // a 3-byte match farther than 4096 is no match
    kZeroTail = 2,      // bytes past the input's end compare as zeros (then the match is cut)
    kNoFirstByte = 4,   // position 0 is never a candidate
  };
  enum Parser : std::uint8_t { kGreedy = 0, kLazy = 1, kOptimal = 2 };
  std::uint8_t parser = kLazy;
  std::uint16_t good = 32, lazy = 258, nice = 258, chain = 4096, max_dist = 32506;
  std::uint8_t flags = kTooFar | kNoFirstByte;
  bool Valid() const;
};

constexpr std::uint16_t kMaxChain = 4096;

// The sets tried on every stream, in trial order: gzip/zlib levels 6, 9, 1..5, 7, 8, then the deep
// greedy, deep lazy and optimal sets (docs/recompress.md, "Parameter sets"). A record names one by index.
constexpr int kParamSetCount = 12;
const ModelParams& ParamSet(int index);
// Bytes the model must see past a position before predicting there.
constexpr std::uint32_t kLookahead = 262;

class TokenModel {
 public:
  TokenModel();
  // Begins a stream of `total` bytes; the chains of the last stream are dropped without clearing.
  void Start(const ModelParams& params, std::uint32_t total);
  // The bytes [base, end) of the stream are at `bytes`.
  void View(const std::uint8_t* bytes, std::uint32_t base, std::uint32_t end) {
    m_bytes = bytes;
    m_base = base;
    m_end = end;
  }
  // The token the encoder is predicted to write at `at` (needs the bytes up to at + kLookahead).
  Token Predict(std::uint32_t at);
  // The encoder wrote `actual` at `at`, where `predicted` was predicted.
  void Follow(std::uint32_t at, const Token& actual, const Token& predicted);
  // A fixed or dynamic block begins with these code lengths (the optimal parse costs by them).
  void SetBlockCodes(const std::uint8_t* literal, const std::uint8_t* distance);
  // Bytes past a position the model must see before predicting there.
  std::uint32_t Lookahead() const;
  // Bytes [at, at + count) went out in a stored block.
  void Skip(std::uint32_t at, std::uint32_t count);
  // A match's distance as its rank + 1 among the candidates at `at` that match `length` bytes, or
  // 0 when it is none of them; and back.
  std::uint32_t Rank(std::uint32_t at, unsigned length, unsigned distance);
  unsigned DistanceOfRank(std::uint32_t at, unsigned length, std::uint32_t rank);
  // True when the `length` bytes at `at` repeat those `distance` back.
  bool Repeats(std::uint32_t at, unsigned distance, unsigned length) const;
  // True once the optimal parse has spent its planning budget: the stream is not modelled.
  bool OverBudget() const { return m_over_budget; }
  // The oldest position the model still reads.
  std::uint32_t OldestNeeded() const;

 private:
  struct Match {
    unsigned length = 0, distance = 0;
  };
  std::uint8_t Byte(std::uint32_t at) const { return m_bytes[at - m_base]; }
  std::uint32_t Hash(std::uint32_t at) const;
  void InsertUpTo(std::uint32_t limit);
  Match Search(std::uint32_t at, unsigned in_hand);
  unsigned Common(std::uint32_t candidate, std::uint32_t at, unsigned cap, bool zero_tail) const;
  template <class Visit> void WalkCandidates(std::uint32_t at, Visit visit);
  template <class Visit> void VisitCandidates(std::uint32_t at, unsigned length, Visit visit);
  Token PredictOptimal(std::uint32_t at);
  void ListMatches(std::uint32_t at);

  ModelParams m_params;
  std::vector<std::uint32_t> m_head;  // stamped positions (position + m_stamp), 0 = none
  std::vector<std::uint32_t> m_prev;   // chains; for the optimal parse, the smaller subtrees
  std::vector<std::uint32_t> m_right;  // the optimal parse's larger subtrees
  std::uint32_t m_stamp = 1;
  std::uint32_t m_total = 0;
  std::uint32_t m_next_insert = 0;
  bool m_pending = false;  // lazy parse: the search at m_pending_at is done
  std::uint32_t m_pending_at = 0;
  Match m_pending_match;
  OptimalPlan m_plan;
  bool m_over_budget = false;
  const std::uint8_t* m_bytes = nullptr;
  std::uint32_t m_base = 0, m_end = 0;
};

}  // namespace deflate
}  // namespace uha
