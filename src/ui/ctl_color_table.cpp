#include "ui/ctl_color_table.h"

#include <algorithm>

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
    {kWelcomePageId, 1008, true, {17, kFontSemibold}, true},
    {kWelcomePageId, 1007, true, {13, kFontNormal}, true},
    {kWelcomePageId, kAnyOtherControl, true, kNoFont, false},
    {kFolderPageId, 1007, true, {14, kFontSemibold}, false},
    {kFolderPageId, 1008, true, {13, kFontNormal}, false},
    {kFolderPageId, 1009, false, {13, kFontNormal}, false},
    {kFolderPageId, 1010, false, {13, kFontExtraLight}, false},
    {kFolderPageId, 1000, false, {13, kFontExtraLight}, false},
    {kProgressPageId, 1007, true, {14, kFontSemibold}, false},
    {kProgressPageId, 1008, true, {13, kFontNormal}, false},
    {kFinishPageId, 1011, true, {17, kFontSemibold}, false},
    {kFinishPageId, 1012, true, {14, kFontNormal}, false},
    {kFinishPageId, 1006, true, {14, kFontNormal}, false},
    {kFinishPageId, 1007, true, {14, kFontNormal}, false},
    {kFinishPageId, 1008, true, {14, kFontNormal}, false},
    {kFinishPageId, 1009, true, {14, kFontNormal}, false},
    {kFinishPageId, kAnyOtherControl, true, kNoFont, false},
    {kExitConfirmId, 1008, true, kNoFont, false},
};

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
