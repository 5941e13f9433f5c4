#include <gtest/gtest.h>

#include "setup/ui/accessible_rules.h"
#include "setup/ui/contrast_colours.h"
#include "setup/ui/key_hints.h"

using namespace kelvamo;

TEST(KeyHints, CaptionsGiveTheirLetterAndSpokenName) {
  const struct {
    const wchar_t* caption;
    wchar_t hint;  // 0: none
    const wchar_t* spoken;
  } cases[] = {
      {L"下一步(N) >", L'N', L"下一步"},
      {L"< 上一步(P)", L'P', L"上一步"},
      {L"取消(C)", L'C', L"取消"},
      {L"浏览(B)...", L'B', L"浏览..."},
      {L"完成(F)", L'F', L"完成"},
      {L"是(Y)", L'Y', L"是"},
      {L"否(n)", L'N', L"否"},
      {L"确定", 0, L"确定"},
      {L"(12) 版本(V)", L'V', L"(12) 版本"},  // the first "(letter)" is the hint
      {L"半开(N", 0, L"半开(N"},
      {L"", 0, L""},
      {L"  <  >  ", 0, L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << static_cast<const void*>(c.caption));
    const auto hint = KeyHintOf(c.caption);
    EXPECT_EQ(hint.value_or(0), c.hint);
    EXPECT_EQ(SpokenButtonName(c.caption), c.spoken);
  }
  EXPECT_EQ(ShortcutText(L'N'), L"Alt+N");
  EXPECT_EQ(TrimmedText(L"\r\n\r\n\r        你确实要退出?\r\n"), L"你确实要退出?");
}

TEST(KeyHints, AKeyPressesTheUsableButtonItsLetterNames) {
  // Back hidden on the welcome page, Next, Cancel; the folder page's Browse disabled here.
  const std::vector<HintedButton> wizard = {
      {L'P', false}, {L'N', true}, {L'C', true}, {L'B', false}, {std::nullopt, true}};
  const struct {
    unsigned key;
    bool alt, lettersAlone;
    int pressed;  // -1: none
  } cases[] = {
      {'N', true, false, 1},  {'C', true, false, 2},  {'P', true, false, -1},
      {'B', true, false, -1}, {'N', false, false, -1}, {'N', false, true, 1},
      {'Q', true, true, -1},  {'1', true, true, -1},   {'n', true, false, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.key << " alt " << c.alt << " alone " << c.lettersAlone);
    const auto pressed = ButtonForKey(wizard, c.key, c.alt, c.lettersAlone);
    EXPECT_EQ(pressed ? static_cast<int>(*pressed) : -1, c.pressed);
  }
}

TEST(AccessibleRules, PercentOfTheBar) {
  const struct {
    int position, low, high;
    const wchar_t* text;
  } cases[] = {{0, 0, 100, L"0%"},     {42, 0, 100, L"42%"}, {100, 0, 100, L"100%"},
               {150, 0, 100, L"100%"}, {-3, 0, 100, L"0%"},  {5, 0, 10, L"50%"},
               {7, 7, 7, L"0%"},       {1, 0, 3, L"33%"}};
  for (const auto& c : cases) {
    EXPECT_EQ(PercentText(c.position, c.low, c.high), c.text) << c.position << " of " << c.high;
  }
}

TEST(HighContrast, StoredFlagsSayWhetherItIsOn) {
  const struct {
    const char* flags;
    bool on;
  } cases[] = {{"127", true}, {"126", false}, {"1", true},      {"0", false},
               {"", false},   {"12x", false}, {" 127", false}, {"99999999999", false}};
  for (const auto& c : cases) EXPECT_EQ(StoredFlagsSayHighContrast(c.flags), c.on) << c.flags;
}
