#pragma once
#include <windows.h>

// Drawing wrappers. CGdiObject owns its handle (deleted with the object) unless it is a temporary
// from FromHandle. CDC wraps a device context it does not own; CPaintDC begins and ends a paint.

class CGdiObject {
public:
  CGdiObject() = default;
  virtual ~CGdiObject() { DeleteObject(); }
  CGdiObject(const CGdiObject&) = delete;
  CGdiObject& operator=(const CGdiObject&) = delete;

  // Takes ownership of `object`, deleting any object held before.
  bool Attach(HGDIOBJ object);
  HGDIOBJ Detach();
  bool DeleteObject();
  HGDIOBJ GetSafeHandle() const { return m_hObject; }

  // A temporary, non-owning wrapper (see afx_temp.h).
  static CGdiObject* FromHandle(HGDIOBJ object);
  void AttachTemporary(HGDIOBJ object) { m_hObject = object; }
  void DetachTemporary() { m_hObject = nullptr; }

  HGDIOBJ m_hObject = nullptr;
};

class CPen : public CGdiObject {
public:
  CPen() = default;
  CPen(int style, int width, COLORREF colour) { Attach(CreatePen(style, width, colour)); }
  operator HPEN() const { return static_cast<HPEN>(m_hObject); }
};

class CBrush : public CGdiObject {
public:
  CBrush() = default;
  explicit CBrush(COLORREF colour) { CreateSolidBrush(colour); }
  bool CreateSolidBrush(COLORREF colour) { return Attach(::CreateSolidBrush(colour)); }
  operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
};

class CFont : public CGdiObject {
public:
  static CFont* FromHandle(HFONT font);
  operator HFONT() const { return static_cast<HFONT>(m_hObject); }
};

class CDC {
public:
  CDC() = default;
  virtual ~CDC() = default;
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;

  static CDC* FromHandle(HDC dc);
  void AttachTemporary(HDC dc) { m_hDC = dc; }
  void DetachTemporary() { m_hDC = nullptr; }
  HDC GetSafeHdc() const { return m_hDC; }

  int SaveDC() { return ::SaveDC(m_hDC); }
  bool RestoreDC(int saved) { return ::RestoreDC(m_hDC, saved) != 0; }

  // Each returns the previously selected object as a temporary wrapper.
  CPen* SelectObject(CPen* pen);
  CBrush* SelectObject(CBrush* brush);
  CFont* SelectObject(CFont* font);
  CGdiObject* SelectObject(CGdiObject* object);

  POINT MoveTo(int x, int y);
  bool LineTo(int x, int y) { return ::LineTo(m_hDC, x, y) != 0; }
  bool RoundRect(const RECT& rect, POINT corner);
  void FillRect(const RECT& rect, CBrush* brush) { ::FillRect(m_hDC, &rect, *brush); }
  void DrawFocusRect(const RECT& rect) { ::DrawFocusRect(m_hDC, &rect); }
  bool DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(m_hDC, x, y, icon) != 0; }
  bool DrawState(POINT position, SIZE size, const char* text, UINT flags);

  int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
  COLORREF SetBkColor(COLORREF colour) { return ::SetBkColor(m_hDC, colour); }
  COLORREF SetTextColor(COLORREF colour) { return ::SetTextColor(m_hDC, colour); }
  SIZE GetTextExtent(const char* text, int length) const;

  HDC m_hDC = nullptr;

private:
  HGDIOBJ Select(HGDIOBJ object) { return ::SelectObject(m_hDC, object); }
};

class CPaintDC : public CDC {
public:
  explicit CPaintDC(HWND window);
  ~CPaintDC() override;
  const PAINTSTRUCT& Paint() const { return m_paint; }

private:
  HWND m_hWnd;
  PAINTSTRUCT m_paint = {};
};
