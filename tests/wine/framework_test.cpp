// The framework layer in-process: strings in code page 936, and the window core's subclassing,
// message maps, reflection to control objects and temporary wrappers.
#include <gtest/gtest.h>

#include <string>

#include "setup/framework/afx.h"
#include "setup/framework/afx_temp.h"

TEST(CString, SlicesWithinBounds) {
  CString path = "C:\\a\\b.lnk";
  EXPECT_EQ(std::string(path.Left(path.ReverseFind('\\'))), "C:\\a");
  EXPECT_EQ(std::string(path.Left(-3)), "");
  EXPECT_EQ(std::string(path.Left(100)), "C:\\a\\b.lnk");
  EXPECT_EQ(CString("abc", -1).GetLength(), 0);
}

TEST(CString, SearchesWholeCharactersOfTheAnsiCodePage) {
  ASSERT_EQ(GetACP(), 936u) << "the test bench runs Wine with the Chinese code page";
  // 赲 is DA 5C in GBK: its trail byte is a backslash.
  const CString folder = "D:\\x\\\xDA\x5C";
  EXPECT_EQ(folder.ReverseFind('\\'), 4);
}

TEST(CString, MissingStringResourceLoadsEmpty) {
  CString text = "before";
  EXPECT_FALSE(text.LoadString(54321));
  EXPECT_TRUE(text.IsEmpty());
}

namespace {

class CRecordingButton : public CButton {
public:
  void DrawItem(DRAWITEMSTRUCT* item) override { drawnId = item->CtlID; }
  UINT drawnId = 0;
};

// A top-level window of ours with a small message map.
class CTestFrame : public CWnd {
public:
  HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT kind) {
    lastDc = dc->GetSafeHdc();
    lastControl = control;
    lastKind = kind;
    return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  }
  void OnTimer(UINT_PTR id) { lastTimer = id; }
  // Answers WM_GETTEXTLENGTH through the window's own procedure, doubled.
  LRESULT OnTextLength(WPARAM, LPARAM) { return Default() * 2; }

  HDC lastDc = nullptr;  // wrappers of the request live only while it is handled
  CWnd* lastControl = nullptr;
  UINT lastKind = 99;
  UINT_PTR lastTimer = 0;

  BEGIN_MSG_MAP(CTestFrame, CWnd)
    ON_WM_CTLCOLOR()
    ON_WM_TIMER()
    ON_MESSAGE(WM_GETTEXTLENGTH, OnTextLength)
  END_MSG_MAP()
};

}  // namespace

TEST(CWnd, RoutesMessagesReflectsToControlsAndLetsGoOnDestroy) {
  CTestFrame frame;
  HWND frameWindow = CreateWindowExA(0, "STATIC", "abcd", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr,
                                     nullptr, nullptr);
  ASSERT_TRUE(frame.SubclassWindow(frameWindow));
  CRecordingButton button;
  HWND buttonWindow = CreateWindowExA(0, "BUTTON", "ok", WS_CHILD | BS_OWNERDRAW, 0, 0, 50, 20,
                                      frameWindow, reinterpret_cast<HMENU>(1000), nullptr, nullptr);
  ASSERT_TRUE(button.SubclassWindow(buttonWindow));
  EXPECT_FALSE(CButton().SubclassWindow(buttonWindow)) << "a window has one object";
  HWND plain = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 5, 5, frameWindow, nullptr, nullptr, nullptr);

  EXPECT_EQ(CWnd::FromHandle(buttonWindow), &button);
  EXPECT_EQ(frame.GetDlgItem(1000), &button);
  CWnd* temporary = CWnd::FromHandle(plain);
  ASSERT_NE(temporary, nullptr);
  EXPECT_EQ(temporary->m_hWnd, plain);
  EXPECT_EQ(CWnd::FromHandle(plain), temporary) << "one wrapper per handle";

  // The owner-draw request reaches the button's own DrawItem, not the frame.
  DRAWITEMSTRUCT item = {};
  item.CtlType = ODT_BUTTON;
  item.CtlID = 1000;
  item.hwndItem = buttonWindow;
  EXPECT_EQ(SendMessageA(frameWindow, WM_DRAWITEM, 1000, reinterpret_cast<LPARAM>(&item)), TRUE);
  EXPECT_EQ(button.drawnId, 1000u);

  // Colour requests go to OnCtlColor with the control's object and the request kind.
  HDC dc = GetDC(frameWindow);
  const LRESULT brush = SendMessageA(frameWindow, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc),
                                     reinterpret_cast<LPARAM>(buttonWindow));
  EXPECT_EQ(brush, reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH)));
  EXPECT_EQ(frame.lastControl, &button);
  EXPECT_EQ(frame.lastKind, static_cast<UINT>(CTLCOLOR_BTN));
  EXPECT_EQ(frame.lastDc, dc);
  ReleaseDC(frameWindow, dc);

  SendMessageA(frameWindow, WM_TIMER, 7, 0);
  EXPECT_EQ(frame.lastTimer, 7u);
  EXPECT_EQ(SendMessageA(frameWindow, WM_GETTEXTLENGTH, 0, 0), 8) << "Default() runs the original";

  DestroyWindow(frameWindow);
  EXPECT_EQ(frame.m_hWnd, nullptr);
  EXPECT_EQ(button.m_hWnd, nullptr);
}

TEST(CGdiObject, OwnsWhatItHoldsUnlessTemporary) {
  HBRUSH handle = CreateSolidBrush(RGB(1, 2, 3));
  {
    CBrush brush;
    brush.Attach(handle);
    EXPECT_EQ(GetObjectType(handle), static_cast<DWORD>(OBJ_BRUSH));
  }
  EXPECT_EQ(GetObjectType(handle), 0u) << "deleted with its owner";

  CPen pen(PS_INSIDEFRAME, 1, RGB(0, 0, 0));
  HDC dc = CreateCompatibleDC(nullptr);
  CDC* wrapped = CDC::FromHandle(dc);
  CPen* stock = wrapped->SelectObject(&pen);
  ASSERT_NE(stock, nullptr);
  CPen* ours = wrapped->SelectObject(stock);
  ASSERT_NE(ours, nullptr);
  EXPECT_EQ(ours->m_hObject, pen.m_hObject);
  { afx_temp::MessageScope letTemporariesGo; }
  DeleteDC(dc);
  EXPECT_EQ(GetObjectType(pen.m_hObject), static_cast<DWORD>(OBJ_PEN)) << "a temporary never deletes";
}

namespace {

class CNamedApp : public CWinApp {
public:
  bool InitInstance() override {
    ranWithName = m_strAppName.GetString();
    return false;
  }
  std::string ranWithName;
};

}  // namespace

TEST(CWinApp, TakesItsNameFromTheExecutableWithoutExtension) {
  CNamedApp app;
  EXPECT_EQ(AfxGetApp(), &app);
  app.Start(GetModuleHandleA(nullptr));
  EXPECT_EQ(app.ranWithName, "framework_tests");
  EXPECT_EQ(AfxGetResourceHandle(), GetModuleHandleA(nullptr));
}
