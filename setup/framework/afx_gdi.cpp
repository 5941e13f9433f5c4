#include "setup/framework/afx_gdi.h"

#include "setup/framework/afx_temp.h"

bool CGdiObject::Attach(HGDIOBJ object) {
  DeleteObject();
  m_hObject = object;
  return object != nullptr;
}

HGDIOBJ CGdiObject::Detach() {
  HGDIOBJ object = m_hObject;
  m_hObject = nullptr;
  return object;
}

bool CGdiObject::DeleteObject() {
  if (!m_hObject) return false;
  return ::DeleteObject(Detach()) != 0;
}

CGdiObject* CGdiObject::FromHandle(HGDIOBJ object) {
  return object ? afx_temp::For<CGdiObject>(object) : nullptr;
}

CFont* CFont::FromHandle(HFONT font) { return font ? afx_temp::For<CFont>(font) : nullptr; }

CDC* CDC::FromHandle(HDC dc) { return dc ? afx_temp::For<CDC>(dc) : nullptr; }

CPen* CDC::SelectObject(CPen* pen) {
  HGDIOBJ old = Select(pen->m_hObject);
  return old ? afx_temp::For<CPen>(old) : nullptr;
}

CBrush* CDC::SelectObject(CBrush* brush) {
  HGDIOBJ old = Select(brush->m_hObject);
  return old ? afx_temp::For<CBrush>(old) : nullptr;
}

CFont* CDC::SelectObject(CFont* font) {
  HGDIOBJ old = Select(font->m_hObject);
  return old ? afx_temp::For<CFont>(old) : nullptr;
}

CGdiObject* CDC::SelectObject(CGdiObject* object) {
  return CGdiObject::FromHandle(Select(object->m_hObject));
}

POINT CDC::MoveTo(int x, int y) {
  POINT previous = {};
  ::MoveToEx(m_hDC, x, y, &previous);
  return previous;
}

bool CDC::RoundRect(const RECT& rect, POINT corner) {
  return ::RoundRect(m_hDC, rect.left, rect.top, rect.right, rect.bottom, corner.x, corner.y) != 0;
}

bool CDC::DrawState(POINT position, SIZE size, const char* text, UINT flags) {
  return ::DrawStateA(m_hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(text), 0, position.x,
                      position.y, size.cx, size.cy, flags) != 0;
}

SIZE CDC::GetTextExtent(const char* text, int length) const {
  SIZE size = {};
  ::GetTextExtentPoint32A(m_hDC, text, length, &size);
  return size;
}

CPaintDC::CPaintDC(HWND window) : m_hWnd(window) { m_hDC = ::BeginPaint(window, &m_paint); }

CPaintDC::~CPaintDC() {
  ::EndPaint(m_hWnd, &m_paint);
  m_hDC = nullptr;
}
