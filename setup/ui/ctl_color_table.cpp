#include "setup/ui/ctl_color_table.h"

#include <algorithm>

#include "setup/res/resource.h"

namespace kelvamo {

namespace {

constexpr int kAnyOtherControl = -1;  // not a control id: the bitmap statics report 0xFFFF
constexpr FontChoice kNoFont{0, 0};

struct Rule {
  int dialogId;
  int controlId;
  bool white;
  FontChoice font;
  bool fontForStaticOnly;
};

constexpr Rule kRules[] = {
    {IDD_WELCOME_PAGE, IDC_WELCOME_TITLE, true, {17, kFontSemibold}, true},
    {IDD_WELCOME_PAGE, IDC_WELCOME_TEXT, true, {13, kFontNormal}, true},
    {IDD_WELCOME_PAGE, kAnyOtherControl, true, kNoFont, false},
    {IDD_FOLDER_PAGE, IDC_HEADING, true, {14, kFontSemibold}, false},
    {IDD_FOLDER_PAGE, IDC_SUBHEADING, true, {13, kFontNormal}, false},
    {IDD_FOLDER_PAGE, IDC_FOLDER_TEXT, false, {13, kFontNormal}, false},
    {IDD_FOLDER_PAGE, IDC_FOLDER_GROUP, false, {13, kFontExtraLight}, false},
    {IDD_FOLDER_PAGE, IDC_BROWSE, false, {13, kFontExtraLight}, false},
    {IDD_PROGRESS_PAGE, IDC_HEADING, true, {14, kFontSemibold}, false},
    {IDD_PROGRESS_PAGE, IDC_SUBHEADING, true, {13, kFontNormal}, false},
    {IDD_FINISH_PAGE, IDC_FINISH_TITLE, true, {17, kFontSemibold}, false},
    {IDD_FINISH_PAGE, IDC_FINISH_TEXT, true, {14, kFontNormal}, false},
    {IDD_FINISH_PAGE, IDC_START_MENU, true, {14, kFontNormal}, false},
    {IDD_FINISH_PAGE, IDC_STARTUP, true, {14, kFontNormal}, false},
    {IDD_FINISH_PAGE, IDC_DESKTOP, true, {14, kFontNormal}, false},
    {IDD_FINISH_PAGE, IDC_RUN_NOW, true, {14, kFontNormal}, false},
    {IDD_FINISH_PAGE, kAnyOtherControl, true, kNoFont, false},
    {IDD_EXIT_CONFIRM, IDC_QUESTION_TEXT, true, kNoFont, false},
};

// The dialogs set fonts only on controls in the styled range: a rule outside it would go unseen.
constexpr bool EveryRuleInStyledRange() {
  for (const Rule& rule : kRules) {
    const bool styled =
        rule.controlId >= kFirstStyledControlId && rule.controlId <= kLastStyledControlId;
    if (!styled && rule.controlId != kAnyOtherControl) return false;
  }
  return true;
}
static_assert(EveryRuleInStyledRange());

const Rule* FindRule(int dialogId, int controlId) {
  const Rule* anyOther = nullptr;
  for (const Rule& rule : kRules) {
    if (rule.dialogId != dialogId) continue;
    if (rule.controlId == controlId) return &rule;
    if (rule.controlId == kAnyOtherControl) anyOther = &rule;
  }
  return anyOther;
}

}  // namespace

CtlColorStyle CtlColorStyleFor(int dialogId, int controlId, unsigned requestKind) {
  const Rule* rule = FindRule(dialogId, controlId);
  if (!rule) return {false, kNoFont};
  const bool fontApplies = !rule->fontForStaticOnly || requestKind == kCtlColorStatic;
  return {rule->white, fontApplies ? rule->font : kNoFont};
}

std::vector<FontChoice> FontsOfDialog(int dialogId) {
  std::vector<FontChoice> fonts;
  for (const Rule& rule : kRules) {
    if (rule.dialogId != dialogId || rule.font.height == 0) continue;
    if (std::find(fonts.begin(), fonts.end(), rule.font) == fonts.end()) fonts.push_back(rule.font);
  }
  return fonts;
}

}  // namespace kelvamo
