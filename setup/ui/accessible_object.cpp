#include "setup/ui/accessible_object.h"

// IID_IAccessible lives both in oleacc's and in uuid's libraries; __uuidof names it without either.

#include <commctrl.h>

#include <string>

#include "setup/ui/key_hints.h"

using namespace kelvamo;

namespace {

static_assert(static_cast<long>(AccessibleRole::PushButton) == ROLE_SYSTEM_PUSHBUTTON);
static_assert(static_cast<long>(AccessibleRole::CheckButton) == ROLE_SYSTEM_CHECKBUTTON);
static_assert(static_cast<long>(AccessibleRole::StaticText) == ROLE_SYSTEM_STATICTEXT);
static_assert(static_cast<long>(AccessibleRole::Text) == ROLE_SYSTEM_TEXT);
static_assert(static_cast<long>(AccessibleRole::Grouping) == ROLE_SYSTEM_GROUPING);
static_assert(static_cast<long>(AccessibleRole::Separator) == ROLE_SYSTEM_SEPARATOR);
static_assert(static_cast<long>(AccessibleRole::Graphic) == ROLE_SYSTEM_GRAPHIC);
static_assert(static_cast<long>(AccessibleRole::ProgressBar) == ROLE_SYSTEM_PROGRESSBAR);
static_assert(static_cast<long>(AccessibleRole::PropertyPage) == ROLE_SYSTEM_PROPERTYPAGE);
static_assert(static_cast<long>(AccessibleRole::Client) == ROLE_SYSTEM_CLIENT);

std::wstring WindowText(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = ::GetWindowTextW(window, &text[0], length + 1);
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

HRESULT Give(const std::wstring& text, BSTR* out) {
  if (!out) return E_INVALIDARG;
  *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

CAccessibleObject* CAccessibleObject::Create(HWND window, const AccessibleRule& rule,
                                             HWND nameFrom) {
  IAccessible* proxy = nullptr;
  if (FAILED(::CreateStdAccessibleObject(window, OBJID_CLIENT, __uuidof(IAccessible),
                                         reinterpret_cast<void**>(&proxy))) || !proxy) {
    return nullptr;
  }
  return new CAccessibleObject(proxy, window, rule, nameFrom);
}

CAccessibleObject::CAccessibleObject(IAccessible* proxy, HWND window, const AccessibleRule& rule,
                                     HWND nameFrom)
    : m_pProxy(proxy), m_hWnd(window), m_rule(rule), m_hNameFrom(nameFrom) {}

CAccessibleObject::~CAccessibleObject() { m_pProxy->Release(); }

bool CAccessibleObject::IsSelf(const VARIANT& child) {
  return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

HRESULT CAccessibleObject::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == __uuidof(IAccessible)) {
    *object = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  // Window and enumeration interfaces are the proxy's, which knows the window's children.
  return m_pProxy->QueryInterface(riid, object);
}

ULONG CAccessibleObject::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&m_nReferences)); }

ULONG CAccessibleObject::Release() {
  const LONG left = ::InterlockedDecrement(&m_nReferences);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT CAccessibleObject::get_accName(VARIANT child, BSTR* name) {
  if (!IsSelf(child) || m_rule.name == NameSource::System) return m_pProxy->get_accName(child, name);
  switch (m_rule.name) {
    case NameSource::OwnButton: return Give(SpokenButtonName(WindowText(m_hWnd)), name);
    case NameSource::OtherText: return Give(TrimmedText(WindowText(m_hNameFrom)), name);
    default: return Give(TrimmedText(WindowText(m_hWnd)), name);
  }
}

HRESULT CAccessibleObject::get_accValue(VARIANT child, BSTR* value) {
  if (!IsSelf(child) || !m_rule.percentValue) return m_pProxy->get_accValue(child, value);
  PBRANGE range = {};
  ::SendMessageW(m_hWnd, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
  const int position = static_cast<int>(::SendMessageW(m_hWnd, PBM_GETPOS, 0, 0));
  return Give(PercentText(position, range.iLow, range.iHigh), value);
}

HRESULT CAccessibleObject::get_accRole(VARIANT child, VARIANT* role) {
  if (!IsSelf(child)) return m_pProxy->get_accRole(child, role);
  if (!role) return E_INVALIDARG;
  role->vt = VT_I4;
  role->lVal = static_cast<LONG>(m_rule.role);
  return S_OK;
}

HRESULT CAccessibleObject::get_accState(VARIANT child, VARIANT* state) {
  const HRESULT asked = m_pProxy->get_accState(child, state);
  if (!IsSelf(child) || FAILED(asked) || state->vt != VT_I4) return asked;
  LONG bits = state->lVal;
  if (!m_rule.focusable) bits &= ~(STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED);
  if (m_rule.readOnly) bits |= STATE_SYSTEM_READONLY;
  if (m_rule.hidden) bits |= STATE_SYSTEM_INVISIBLE;
  if (m_rule.checkable) {
    bits &= ~STATE_SYSTEM_CHECKED;
    if (::SendMessageW(m_hWnd, BM_GETCHECK, 0, 0) == BST_CHECKED) bits |= STATE_SYSTEM_CHECKED;
  }
  state->lVal = bits;
  return S_OK;
}

HRESULT CAccessibleObject::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
  if (!IsSelf(child) || m_rule.name != NameSource::OwnButton) {
    return m_pProxy->get_accKeyboardShortcut(child, shortcut);
  }
  const auto hint = KeyHintOf(WindowText(m_hWnd));
  if (!hint) return m_pProxy->get_accKeyboardShortcut(child, shortcut);
  return Give(ShortcutText(*hint), shortcut);
}

HRESULT CAccessibleObject::GetTypeInfoCount(UINT* count) { return m_pProxy->GetTypeInfoCount(count); }

HRESULT CAccessibleObject::GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) {
  return m_pProxy->GetTypeInfo(index, locale, info);
}

HRESULT CAccessibleObject::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                                         DISPID* ids) {
  return m_pProxy->GetIDsOfNames(riid, names, count, locale, ids);
}

HRESULT CAccessibleObject::Invoke(DISPID id, REFIID riid, LCID locale, WORD flags,
                                  DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                  UINT* argument) {
  return m_pProxy->Invoke(id, riid, locale, flags, params, result, exception, argument);
}

HRESULT CAccessibleObject::get_accParent(IDispatch** parent) { return m_pProxy->get_accParent(parent); }

HRESULT CAccessibleObject::get_accChildCount(LONG* count) { return m_pProxy->get_accChildCount(count); }

HRESULT CAccessibleObject::get_accChild(VARIANT child, IDispatch** object) {
  return m_pProxy->get_accChild(child, object);
}

HRESULT CAccessibleObject::get_accDescription(VARIANT child, BSTR* description) {
  return m_pProxy->get_accDescription(child, description);
}

HRESULT CAccessibleObject::get_accHelp(VARIANT child, BSTR* help) {
  return m_pProxy->get_accHelp(child, help);
}

HRESULT CAccessibleObject::get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) {
  return m_pProxy->get_accHelpTopic(file, child, topic);
}

HRESULT CAccessibleObject::get_accFocus(VARIANT* focus) { return m_pProxy->get_accFocus(focus); }

HRESULT CAccessibleObject::get_accSelection(VARIANT* selection) {
  return m_pProxy->get_accSelection(selection);
}

HRESULT CAccessibleObject::get_accDefaultAction(VARIANT child, BSTR* action) {
  return m_pProxy->get_accDefaultAction(child, action);
}

HRESULT CAccessibleObject::accSelect(LONG flags, VARIANT child) {
  return m_pProxy->accSelect(flags, child);
}

HRESULT CAccessibleObject::accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                       VARIANT child) {
  return m_pProxy->accLocation(left, top, width, height, child);
}

HRESULT CAccessibleObject::accNavigate(LONG direction, VARIANT start, VARIANT* end) {
  return m_pProxy->accNavigate(direction, start, end);
}

HRESULT CAccessibleObject::accHitTest(LONG left, LONG top, VARIANT* child) {
  return m_pProxy->accHitTest(left, top, child);
}

HRESULT CAccessibleObject::accDoDefaultAction(VARIANT child) {
  return m_pProxy->accDoDefaultAction(child);
}

HRESULT CAccessibleObject::put_accName(VARIANT child, BSTR name) {
  return m_pProxy->put_accName(child, name);
}

HRESULT CAccessibleObject::put_accValue(VARIANT child, BSTR value) {
  return m_pProxy->put_accValue(child, value);
}
