#include <gtest/gtest.h>

#include "setup/res/resource.h"
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

TEST(AccessibleRules, EachControlKindAndNameSource) {
  constexpr unsigned long kPush = 0x50010000, kOwnerDraw = 0x5001000B, kCheck = 0x50010003,
                          kGroup = 0x50000007, kText = 0x50020000, kBitmap = 0x5000000E,
                          kLine = 0x50000010, kEdit = 0x50810080, kReadOnlyEdit = 0x50810880,
                          kBar = 0x50800001, kPage = 0x40000040;
  using R = AccessibleRole;
  using N = NameSource;
  const struct {
    int dialog, control;
    ControlClass windowClass;
    unsigned long style;
    R role;
    N name;
    int nameFrom;
    bool focusable, readOnly, checkable, hidden, percent;
  } cases[] = {
      {IDD_SETUP_DIALOG, IDC_NEXT, ControlClass::Button, kOwnerDraw, R::PushButton, N::OwnButton, 0, true, false, false, false, false},
      {IDD_SETUP_DIALOG, -1, ControlClass::Static, kText, R::StaticText, N::OwnText, 0, false, true, false, true, false},
      {IDD_SETUP_DIALOG, -1, ControlClass::Static, kLine, R::Separator, N::System, 0, false, false, false, false, false},
      {IDD_WELCOME_PAGE, IDD_WELCOME_PAGE, ControlClass::Dialog, kPage, R::PropertyPage, N::OtherText, IDC_WELCOME_TITLE, false, false, false, false, false},
      {IDD_WELCOME_PAGE, -1, ControlClass::Static, kBitmap, R::Graphic, N::System, 0, false, false, false, false, false},
      {IDD_FOLDER_PAGE, IDD_FOLDER_PAGE, ControlClass::Dialog, kPage, R::PropertyPage, N::OtherText, IDC_HEADING, false, false, false, false, false},
      {IDD_FOLDER_PAGE, IDC_FOLDER_EDIT, ControlClass::Edit, kEdit, R::Text, N::OtherText, IDC_FOLDER_GROUP, true, false, false, false, false},
      {IDD_FOLDER_PAGE, IDC_FOLDER_GROUP, ControlClass::Button, kGroup, R::Grouping, N::OwnText, 0, false, false, false, false, false},
      {IDD_FOLDER_PAGE, IDC_BROWSE, ControlClass::Button, kPush, R::PushButton, N::OwnButton, 0, true, false, false, false, false},
      {IDD_PROGRESS_PAGE, IDC_PROGRESS, ControlClass::Progress, kBar, R::ProgressBar, N::OtherText, IDC_HEADING, false, true, false, false, true},
      {IDD_PROGRESS_PAGE, IDC_STATUS_EDIT, ControlClass::Edit, kReadOnlyEdit, R::Text, N::OwnText, 0, true, true, false, false, false},
      {IDD_FINISH_PAGE, IDD_FINISH_PAGE, ControlClass::Dialog, kPage, R::PropertyPage, N::OtherText, IDC_FINISH_TITLE, false, false, false, false, false},
      {IDD_FINISH_PAGE, IDC_RUN_NOW, ControlClass::Button, kCheck, R::CheckButton, N::OwnText, 0, true, false, true, false, false},
      {IDD_EXIT_CONFIRM, IDC_QUESTION_TEXT, ControlClass::Static, kText, R::StaticText, N::OwnText, 0, false, true, false, false, false},
      {IDD_EXIT_CONFIRM, IDC_YES_BUTTON, ControlClass::Button, kOwnerDraw, R::PushButton, N::OwnButton, 0, true, false, false, false, false},
      {IDD_EXIT_CONFIRM, -1, ControlClass::Other, 0, R::Client, N::System, 0, false, false, false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "dialog " << c.dialog << " control " << c.control);
    const AccessibleRule rule = AccessibleRuleFor(c.dialog, c.control, c.windowClass, c.style);
    EXPECT_EQ(rule.role, c.role);
    EXPECT_EQ(rule.name, c.name);
    if (c.name == N::OtherText) {
      EXPECT_EQ(rule.nameFromId, c.nameFrom);
    }
    EXPECT_EQ(rule.focusable, c.focusable);
    EXPECT_EQ(rule.readOnly, c.readOnly);
    EXPECT_EQ(rule.checkable, c.checkable);
    EXPECT_EQ(rule.hidden, c.hidden);
    EXPECT_EQ(rule.percentValue, c.percent);
  }
  EXPECT_EQ(ControlClassOf(L"BUTTON"), ControlClass::Button);
  EXPECT_EQ(ControlClassOf(L"msctls_progress32"), ControlClass::Progress);
  EXPECT_EQ(ControlClassOf(L"#32770"), ControlClass::Dialog);
  EXPECT_EQ(ControlClassOf(L"ComboBox"), ControlClass::Other);
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

TEST(HighContrast, StoredFlagsAndButtonColours) {
  const struct {
    const char* flags;
    bool on;
  } cases[] = {{"127", true}, {"126", false}, {"1", true},      {"0", false},
               {"", false},   {"12x", false}, {" 127", false}, {"99999999999", false}};
  for (const auto& c : cases) EXPECT_EQ(StoredFlagsSayHighContrast(c.flags), c.on) << c.flags;

  const ButtonContrast enabled = ButtonContrastFor(false), disabled = ButtonContrastFor(true);
  EXPECT_EQ(enabled.face, SystemColour::ButtonFace);
  EXPECT_EQ(enabled.outline, SystemColour::ButtonText);
  EXPECT_EQ(enabled.frame, SystemColour::Highlight);
  EXPECT_EQ(enabled.text, SystemColour::ButtonText);
  EXPECT_EQ(disabled.text, SystemColour::GrayText);
  EXPECT_EQ(kContrastWhiteArea.background, SystemColour::Window);
  EXPECT_EQ(kContrastWhiteArea.text, SystemColour::WindowText);
}
