// The optimal parse's planning, by hand-made positions and codes: the cheapest way wins over the
// locally cheapest token, ties go to the literal and then to the shorter match, a symbol without a
// code is never chosen, a long enough match is taken whatever it costs, and planning stops when the
// stream's budget is spent.
#include "lib/recompress/optimal_plan.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using uha::deflate::OptimalPlan;
using uha::deflate::Token;

struct Match {
  unsigned length, distance;
};

// Every literal costs `literal_bits`, every length code `length_bits` and every distance code
// `distance_bits` (plus the extra bits of lengths and distances, none below length 11 and
// distance 5).
struct Codes {
  unsigned literal_bits = 8, length_bits = 7, distance_bits = 5;
  std::vector<std::pair<int, std::uint8_t>> literal_changes = {};  // symbol, code length
};

Token Plan(OptimalPlan& plan, const Codes& codes, const std::vector<std::vector<Match>>& positions,
           std::uint32_t at, unsigned nice = 258) {
  std::uint8_t literal[288], distance[32];
  for (int s = 0; s < 288; ++s)
    literal[s] = static_cast<std::uint8_t>(s < 256 ? codes.literal_bits : codes.length_bits);
  for (const auto& [symbol, bits] : codes.literal_changes) literal[symbol] = bits;
  for (auto& d : distance) d = static_cast<std::uint8_t>(codes.distance_bits);
  plan.Start(static_cast<std::uint32_t>(positions.size()));
  plan.SetCodes(literal, distance);
  plan.SetNice(nice);
  for (const auto& matches : positions) {
    plan.BeginPosition('a');
    for (const Match& m : matches) plan.AddMatch(m.length, m.distance);
  }
  EXPECT_TRUE(plan.Plan(static_cast<std::uint32_t>(positions.size())));
  return plan.Choice(at);
}

TEST(OptimalPlan, ChoosesTheCheapestWayToTheEnd) {
  Token literal;  // the byte of every position
  literal.distance = 'a';
  auto match = [](unsigned length, unsigned distance) {
    Token t;
    t.length = static_cast<std::uint16_t>(length);
    t.distance = static_cast<std::uint16_t>(distance);
    return t;
  };
  const std::vector<Match> none;
  const struct {
    const char* name;
    Codes codes;
    std::vector<std::vector<Match>> positions;
    std::uint32_t at;
    unsigned nice;
    Token want;
  } cases[] = {
      {"a match beats its literals", {}, {{{4, 1}}, none, none, none}, 0, 258, match(4, 1)},
      // Taking 3 at once would leave eight literals; a literal first reaches the long match.
      {"a literal first when it leads to a longer match",
       {},
       {{{3, 1}}, {{10, 1}}, none, none, none, none, none, none, none, none, none},
       0,
       258,
       literal},
      {"then that match",
       {},
       {{{3, 1}}, {{10, 1}}, none, none, none, none, none, none, none, none, none},
       1,
       258,
       match(10, 1)},
      // 3 literals of 8 bits against a match of 14 + 10 bits.
      {"the literal wins a tie", {8, 14, 10}, {{{3, 1}}, none, none}, 0, 258, literal},
      // Lengths 3 and 4 reach the end at the same cost: the shorter is taken.
      {"the shorter match wins a tie",
       {8, 7, 5, {{256 + 2, 15}}},
       {{{4, 1}}, {}, {}, {}},
       0,
       258,
       match(3, 1)},
      {"a literal without a code is never chosen",
       {8, 7, 5, {{'a', 0}}},
       {{{3, 2}}, {{3, 2}}, {{3, 2}}, {{3, 2}}, none, none},
       0,
       258,
       match(3, 2)},
      // Four literals are cheaper than a match of distance code 15 bits, but the match is long
      // enough.
      {"a match of nice length is taken whatever it costs",
       {1, 7, 15},
       {{{4, 1}}, none, none, none},
       0,
       4,
       match(4, 1)},
  };
  for (const auto& c : cases) {
    OptimalPlan plan;
    EXPECT_EQ(Plan(plan, c.codes, c.positions, c.at, c.nice), c.want) << c.name;
  }
}

TEST(OptimalPlan, PlanningStopsWhenTheStreamsBudgetIsSpent) {
  OptimalPlan plan;
  std::uint8_t literal[288] = {}, distance[32] = {};
  for (auto& l : literal) l = 8;
  plan.Start(1);  // a one-byte stream may plan twice the horizon and four positions
  plan.SetCodes(literal, distance);
  for (std::uint32_t i = 0; i < OptimalPlan::kHorizon; ++i) plan.BeginPosition('a');
  EXPECT_TRUE(plan.Plan(OptimalPlan::kHorizon));
  EXPECT_TRUE(plan.Plan(OptimalPlan::kHorizon));
  EXPECT_FALSE(plan.Plan(OptimalPlan::kHorizon));
}

TEST(OptimalPlan, DroppedPositionsLeaveTheRestWithTheirOwnMatches) {
  OptimalPlan plan;
  std::uint8_t literal[288], distance[32];
  for (int s = 0; s < 288; ++s) literal[s] = s < 256 ? 15 : 5;  // any match beats a literal
  for (auto& d : distance) d = 5;
  plan.Start(100);
  plan.SetCodes(literal, distance);
  for (unsigned i = 0; i < 5; ++i) {
    plan.BeginPosition('a');
    for (unsigned k = 0; k <= i; ++k) plan.AddMatch(3 + k, 10 * (i + 1) + k);
  }
  plan.DropBefore(3);
  std::vector<unsigned> distances;
  plan.VisitMatches(3, 4, [&](unsigned d) {
    distances.push_back(d);
    return true;
  });
  EXPECT_EQ(distances, (std::vector<unsigned>{41, 42, 43}));
  EXPECT_TRUE(plan.Plan(5));
  EXPECT_TRUE(plan.Covers(4));
  EXPECT_FALSE(plan.Covers(2));
  // The last position's own matches, all as cheap: the shortest, the nearest.
  EXPECT_EQ(plan.Choice(4).length, 3);
  EXPECT_EQ(plan.Choice(4).distance, 50);
}

}  // namespace
