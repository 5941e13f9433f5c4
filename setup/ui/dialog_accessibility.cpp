#include "setup/ui/dialog_accessibility.h"

#include <oleacc.h>

#include "setup/ui/accessible_object.h"

using namespace kelvamo;

namespace {

// The unnumbered controls (-1) read back as 0xFFFF from a plain dialog template.
int ControlIdOf(HWND control) {
  const int id = ::GetDlgCtrlID(control);
  return id == 0xFFFF ? -1 : id;
}

ControlClass ClassOf(HWND window) {
  wchar_t name[32] = L"";
  ::GetClassNameW(window, name, 32);
  return ControlClassOf(name);
}

}  // namespace

void CDialogAccessibility::Attach(CWnd* dialog) {
  // A page is described with its controls; a top-level dialog keeps the system's own object.
  if (::GetWindowLongW(*dialog, GWL_STYLE) & WS_CHILD) Describe(dialog, *dialog, m_nDialogId);
  for (HWND child = ::GetWindow(*dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    // Pages inside the wizard answer for themselves.
    if (ClassOf(child) == ControlClass::Dialog) continue;
    Describe(dialog, child, ControlIdOf(child));
  }
}

void CDialogAccessibility::Describe(CWnd* dialog, HWND window, int controlId) {
  const auto style = static_cast<unsigned long>(::GetWindowLongW(window, GWL_STYLE));
  const AccessibleRule rule = AccessibleRuleFor(m_nDialogId, controlId, ClassOf(window), style);
  HWND nameFrom = rule.name == NameSource::OtherText ? ::GetDlgItem(*dialog, rule.nameFromId) : nullptr;
  m_described.push_back({window, rule, nameFrom});
  CWnd* object = CWnd::FromHandlePermanent(window);
  if (!object) {
    m_subclassed.push_back(std::make_unique<CWnd>());
    object = m_subclassed.back().get();
    object->SubclassWindow(window);
  }
  object->EnableAccessibility(this);
}

bool CDialogAccessibility::Answer(HWND window, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (static_cast<LONG>(lParam) != OBJID_CLIENT) return false;
  for (const Described& described : m_described) {
    if (described.window != window) continue;
    CAccessibleObject* object = CAccessibleObject::Create(window, described.rule, described.nameFrom);
    if (!object) return false;
    result = ::LresultFromObject(__uuidof(IAccessible), wParam, object);
    object->Release();
    return result > 0;  // a negative answer is an error: the system's proxy then answers
  }
  return false;
}
