#include "setup/ui/accessible_rules.h"

#include "setup/res/resource.h"

namespace kelvamo {

namespace {

constexpr unsigned long kButtonTypeMask = 0x0F;
constexpr unsigned long kCheckBox = 0x02;
constexpr unsigned long kAutoCheckBox = 0x03;
constexpr unsigned long kGroupBox = 0x07;
constexpr unsigned long kStaticTypeMask = 0x1F;
constexpr unsigned long kStaticBitmap = 0x0E;
constexpr unsigned long kStaticEtchedHorizontal = 0x10;
constexpr unsigned long kStaticEtchedFrame = 0x12;
constexpr unsigned long kEditReadOnly = 0x0800;
constexpr int kPlaceholderId = -1;

bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    wchar_t x = a[i], y = b[i];
    if (x >= L'A' && x <= L'Z') x = static_cast<wchar_t>(x - L'A' + L'a');
    if (y >= L'A' && y <= L'Z') y = static_cast<wchar_t>(y - L'A' + L'a');
    if (x != y) return false;
  }
  return true;
}

// Controls named by another one: the folder edit by its group's label, the progress bar by the
// page's heading, each page by its heading or title.
struct NamedBy {
  int dialogId, controlId, nameFromId;
};
constexpr NamedBy kNamedByOthers[] = {
    {IDD_FOLDER_PAGE, IDC_FOLDER_EDIT, IDC_FOLDER_GROUP},
    {IDD_PROGRESS_PAGE, IDC_PROGRESS, IDC_HEADING},
    {IDD_WELCOME_PAGE, IDD_WELCOME_PAGE, IDC_WELCOME_TITLE},
    {IDD_FOLDER_PAGE, IDD_FOLDER_PAGE, IDC_HEADING},
    {IDD_PROGRESS_PAGE, IDD_PROGRESS_PAGE, IDC_HEADING},
    {IDD_FINISH_PAGE, IDD_FINISH_PAGE, IDC_FINISH_TITLE},
};

AccessibleRule Plain(AccessibleRole role, NameSource name) {
  return {role, name, 0, false, false, false, false, false};
}

AccessibleRule RuleByClass(ControlClass windowClass, unsigned long style) {
  switch (windowClass) {
    case ControlClass::Button: {
      const unsigned long type = style & kButtonTypeMask;
      if (type == kGroupBox) return Plain(AccessibleRole::Grouping, NameSource::OwnText);
      if (type == kCheckBox || type == kAutoCheckBox) {
        AccessibleRule rule = Plain(AccessibleRole::CheckButton, NameSource::OwnText);
        rule.focusable = rule.checkable = true;
        return rule;
      }
      AccessibleRule rule = Plain(AccessibleRole::PushButton, NameSource::OwnButton);
      rule.focusable = true;
      return rule;
    }
    case ControlClass::Static: {
      const unsigned long type = style & kStaticTypeMask;
      if (type == kStaticBitmap) return Plain(AccessibleRole::Graphic, NameSource::System);
      if (type >= kStaticEtchedHorizontal && type <= kStaticEtchedFrame) {
        return Plain(AccessibleRole::Separator, NameSource::System);
      }
      AccessibleRule rule = Plain(AccessibleRole::StaticText, NameSource::OwnText);
      rule.readOnly = true;
      return rule;
    }
    case ControlClass::Edit: {
      // A read-only edit (the status line) speaks what it shows.
      const bool readOnly = (style & kEditReadOnly) != 0;
      AccessibleRule rule = Plain(AccessibleRole::Text, readOnly ? NameSource::OwnText : NameSource::System);
      rule.focusable = true;
      rule.readOnly = readOnly;
      return rule;
    }
    case ControlClass::Progress: {
      AccessibleRule rule = Plain(AccessibleRole::ProgressBar, NameSource::System);
      rule.readOnly = rule.percentValue = true;
      return rule;
    }
    case ControlClass::Dialog: return Plain(AccessibleRole::PropertyPage, NameSource::System);
    case ControlClass::Other: break;
  }
  return Plain(AccessibleRole::Client, NameSource::System);
}

}  // namespace

ControlClass ControlClassOf(std::wstring_view className) {
  if (EqualsIgnoringCase(className, L"Button")) return ControlClass::Button;
  if (EqualsIgnoringCase(className, L"Static")) return ControlClass::Static;
  if (EqualsIgnoringCase(className, L"Edit")) return ControlClass::Edit;
  if (EqualsIgnoringCase(className, L"msctls_progress32")) return ControlClass::Progress;
  if (className == L"#32770") return ControlClass::Dialog;
  return ControlClass::Other;
}

AccessibleRule AccessibleRuleFor(int dialogId, int controlId, ControlClass windowClass,
                                 unsigned long style) {
  AccessibleRule rule = RuleByClass(windowClass, style);
  for (const NamedBy& named : kNamedByOthers) {
    if (named.dialogId == dialogId && named.controlId == controlId) {
      rule.name = NameSource::OtherText;
      rule.nameFromId = named.nameFromId;
    }
  }
  // The wizard's placeholder lies beneath the pages and is never seen.
  if (dialogId == IDD_SETUP_DIALOG && controlId == kPlaceholderId &&
      rule.role == AccessibleRole::StaticText) {
    rule.hidden = true;
  }
  return rule;
}

std::wstring PercentText(int position, int low, int high) {
  if (high <= low) return L"0%";
  if (position < low) position = low;
  if (position > high) position = high;
  const long long percent = (static_cast<long long>(position) - low) * 100 / (high - low);
  return std::to_wstring(percent) + L"%";
}

}  // namespace kelvamo
