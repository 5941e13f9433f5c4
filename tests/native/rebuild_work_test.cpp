// The estimate of a stream's rebuilding work: what packer and extractor must agree on.
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <vector>

#include "lib/recompress/deflate_recipe.h"
#include "lib/recompress/rebuild_work.h"

using namespace uha;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes Random(std::size_t size, unsigned letters, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes out(size);
  for (std::uint8_t& b : out) b = static_cast<std::uint8_t>('a' + rng() % letters);
  return out;
}

std::uint64_t Work(WorkMeter& meter, const WorkShape& shape, const Bytes& data,
                   std::size_t piece = ~std::size_t{0}) {
  meter.Start(shape);
  std::uint64_t work = 0;
  for (std::size_t at = 0; at < data.size(); at += piece)
    work += meter.Feed(data.data() + at, std::min(piece, data.size() - at));
  return work + meter.Finish();
}

WorkShape Zlib(int level, int strategy = Z_DEFAULT_STRATEGY, int mem_level = 8) {
  return ZlibWork(DeflateParams{static_cast<std::uint8_t>(level),
                                static_cast<std::uint8_t>(mem_level), 15,
                                static_cast<std::uint8_t>(strategy)});
}

TEST(RebuildWorkTest, UnitsABytePerDataAndSettings) {
  const Bytes zeros(300000, 0), text = Random(300000, 26, 1), two = Random(300000, 2, 2);
  struct Case {
    const char* name;
    const Bytes& data;
    WorkShape shape;
    double low, high;  // units a byte
  } cases[] = {
      {"zeros at -9: one nice match after another", zeros, Zlib(9), 16, 17},
      {"letters at -9", text, Zlib(9), 16, 40},
      {"two letters at -1: 4 entries at most", two, Zlib(1), 16, 21},
      {"two letters at -9: the whole chain", two, Zlib(9), 3800, 4112},
      {"two letters, Huffman only", two, Zlib(9, Z_HUFFMAN_ONLY), 16, 16},
      {"two letters, memory level 1: the same chains", two, Zlib(9, 0, 1), 3800, 4112},
      {"the optimal parse: a flat rate", two, ModelWork(deflate::ParamSet(11)), 304, 304},
  };
  WorkMeter meter;
  for (const Case& c : cases) {
    const double per_byte = double(Work(meter, c.shape, c.data)) / c.data.size();
    EXPECT_GE(per_byte, c.low) << c.name;
    EXPECT_LE(per_byte, c.high) << c.name;
  }
}

// The extractor meters pieces as they arrive, one meter for stream after stream; the packer
// meters a whole stream at once with a fresh one. Both must come to the same units.
TEST(RebuildWorkTest, PiecesAndEarlierStreamsDoNotChangeTheCount) {
  Bytes data = Random(200000, 4, 3);
  const Bytes text = Random(50000, 26, 4);
  data.insert(data.end(), text.begin(), text.end());
  data.insert(data.end(), 70000, 'z');
  WorkMeter fresh;
  const std::uint64_t whole = Work(fresh, Zlib(6), data);
  WorkMeter reused;
  for (const std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{300},
                                  std::size_t{65536}, std::size_t{1} << 20}) {
    EXPECT_EQ(Work(reused, Zlib(6), data, piece), whole) << piece;
    Work(reused, Zlib(9, 0, 9), text);  // another stream, other sizes, between
  }
  // A stream cut off before its end leaves nothing behind either.
  reused.Start(Zlib(6));
  reused.Feed(data.data(), 100000);
  EXPECT_EQ(Work(reused, Zlib(6), data), whole);
}

TEST(RebuildWorkTest, BudgetGrowsWithTheArchiveAndIsSpentOnce) {
  EXPECT_LT(ArchiveWorkBudget(64 << 10), 800ull << 20);  // about a second for a 64 KB archive
  EXPECT_GT(ArchiveWorkBudget(1 << 20), ArchiveWorkBudget(64 << 10) + (50ull << 30));
  EXPECT_GT(ArchiveWorkBudget(~0ull), ArchiveWorkBudget(1ull << 40));  // no overflow
  // Only archives that pack tighter than about 16 to 1 can ask for more than their budget.
  EXPECT_FALSE(NeedsWorkMeter(10u << 20, 1u << 20));
  EXPECT_TRUE(NeedsWorkMeter(20u << 20, 1u << 20));
  EXPECT_TRUE(NeedsWorkMeter(1u << 20, 64u << 10));
  WorkBudget budget(100);
  EXPECT_TRUE(budget.Spend(60));
  EXPECT_FALSE(budget.Spend(41));
  EXPECT_FALSE(budget.Spend(1));  // an exhausted budget stays so
}

}  // namespace
