#include "setup/app/setup_dlg.h"

#include "setup/app/about_dlg.h"
#include "setup/app/install_dir.h"
#include "setup/app/one_installer.h"
#include "setup/app/wizard_steps.h"
#include "setup/app/finish_sequence.h"
#include "setup/engine/payload.h"
#include "setup/framework/ansi_lead_byte.h"
#include "setup/app/exit_codes.h"
#include "setup/pages/exit_confirm_dlg.h"
#include "setup/res/resource.h"
#include "setup/ui/dialog_keys.h"

namespace {

const char kFinishCaption[] = "完成(F)";

}  // namespace

CSetupDlg::CSetupDlg(CWnd* parent)
    : CRecolouringDialog(IDD_SETUP_DIALOG, parent),
      m_hIcon(LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME))),
      m_layout(IDD_SETUP_DIALOG), m_accessibility(IDD_SETUP_DIALOG) {}

CSetupDlg::~CSetupDlg() = default;

void CSetupDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_CANCEL_BUTTON, m_btnCancel);
  DDX_Control(dx, IDC_BACK, m_btnBack);
  DDX_Control(dx, IDC_NEXT, m_btnNext);
}

bool CSetupDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  // The placeholder takes its size for this DPI before the pages are laid over it.
  m_layout.Apply(this, WindowDpi(m_hWnd));
  AddAboutItem();
  SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
  MarkRunningWizard(m_hWnd);
  m_nStep = kelvamo::kStepWelcome;
  if (m_installed) m_pageFolder.m_strInstalledDir = m_installed->folder.c_str();
  m_pageWelcome.Create(IDD_WELCOME_PAGE, this);
  m_pageFolder.Create(IDD_FOLDER_PAGE, this);
  m_pageProgress.Create(IDD_PROGRESS_PAGE, this);
  m_pageFinish.Create(IDD_FINISH_PAGE, this);
  LayPagesOverPlaceholder();
  // Tab in reading order: the page's controls, then Back, Next and Cancel.
  for (int page = 0; page < kelvamo::kPageCount; ++page) LetTabEnter(*PageOf(page));
  SetTabOrder({m_pageWelcome, m_pageFolder, m_pageProgress, m_pageFinish, m_btnBack, m_btnNext,
               m_btnCancel});
  m_accessibility.Attach(this);
  ShowStep();
  m_signature.Start(m_hWnd, kWmSignatureVerdict);
  return true;
}

bool CSetupDlg::SignatureHolds() {
  if (m_signature.Holds()) return true;
  // Told once, whether the verdict came in on its own or was waited for.
  if (!m_bDamageShown) {
    m_bDamageShown = true;
    ShowWindow(SW_HIDE);
    AfxMessageBox(kPayloadDamaged, MB_OK | MB_ICONSTOP);
    AfxGetApp()->m_nExitCode = kExitRefused;
    SendMessage(WM_CLOSE);
  }
  return false;
}

LRESULT CSetupDlg::OnSignatureVerdict(WPARAM, LPARAM) {
  static_cast<void>(SignatureHolds());  // a changed file ends the wizard here
  return 0;
}

void CSetupDlg::AddAboutItem() {
  HMENU menu = GetSystemMenu(false);
  if (!menu) return;
  CString about;
  about.LoadString(IDS_ABOUTBOX);
  if (about.IsEmpty()) return;
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, IDM_ABOUTBOX, about);
}

void CSetupDlg::LayPagesOverPlaceholder() {
  CWnd* placeholder = GetDlgItem(-1);
  RECT rect;
  placeholder->GetWindowRect(&rect);
  ScreenToClient(&rect);
  for (int page = 0; page < kelvamo::kPageCount; ++page) PageOf(page)->MoveWindow(rect, true);
  // The placeholder stays where it is, but beneath the pages and clipped by them, so its text
  // never paints through or over a page.
  placeholder->ModifyStyle(0, WS_CLIPSIBLINGS);
  SetWindowPos(*placeholder, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

CDpiLayout* CSetupDlg::LayoutOf(int index) {
  CDpiLayout* layouts[kelvamo::kPageCount] = {&m_pageWelcome.m_layout, &m_pageFolder.m_layout,
                                              &m_pageProgress.m_layout, &m_pageFinish.m_layout};
  return layouts[index];
}

LRESULT CSetupDlg::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
  // The system's own scaling of the dialog first, then the layout as designed.
  Default();
  m_layout.FollowDpiChange(this, wParam, lParam);
  LayPagesOverPlaceholder();
  for (int page = 0; page < kelvamo::kPageCount; ++page) {
    LayoutOf(page)->Apply(PageOf(page), HIWORD(wParam));
  }
  return 0;
}

CDialog* CSetupDlg::PageOf(int index) {
  CDialog* pages[kelvamo::kPageCount] = {&m_pageWelcome, &m_pageFolder, &m_pageProgress,
                                         &m_pageFinish};
  return pages[index];
}

void CSetupDlg::ShowStep() {
  const kelvamo::StepView view = kelvamo::ViewOfStep(m_nStep);
  if (!view.changesWindows) return;
  if (view.grayClose) EnableMenuItem(GetSystemMenu(false), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
  if (view.captionNextFinish) m_btnNext.SetWindowText(kFinishCaption);
  if (view.back == kelvamo::BackButton::Hide) m_btnBack.ShowWindow(SW_HIDE);
  if (view.back == kelvamo::BackButton::Show) m_btnBack.ShowWindow(SW_SHOW);
  for (int page = 0; page < kelvamo::kPageCount; ++page) {
    PageOf(page)->ShowWindow(page == view.visiblePage ? SW_SHOW : SW_HIDE);
  }
  // The focus never stays behind on a hidden page.
  FocusFirstControl(m_hWnd, *PageOf(view.visiblePage), m_btnNext);
}

void CSetupDlg::OnNext() {
  ++m_nStep;
  if (m_nStep == kelvamo::kStepInstalling) {
    m_pageFolder.UpdateData(true);
    m_pageFolder.m_strInstallDir = kelvamo::NormaliseInstallDir(
        m_pageFolder.m_strInstallDir.GetString(), kelvamo::IsAnsiLeadByte).c_str();
    m_pageProgress.StartInstall();
  }
  if (m_nStep == kelvamo::kStepFinishing) RunFinishSequence(*this);
  ShowStep();
}

void CSetupDlg::OnBack() {
  --m_nStep;
  ShowStep();
}

void CSetupDlg::OnCancelButton() {
  CExitConfirmDlg question;
  question.DoModal();
}

void CSetupDlg::OnEnterKey() {
  if (m_btnNext.IsWindowEnabled()) OnNext();
}

void CSetupDlg::OnEscapeKey() {
  if (m_btnCancel.IsWindowEnabled()) OnCancelButton();
}

bool CSetupDlg::PreTranslateMessage(MSG* msg) {
  return PressHintedButton(m_hWnd, *msg, false) || PressFocusedButton(m_hWnd, *msg);
}

LRESULT CSetupDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  // Exactly SC_CLOSE: a value differing in the low four bits goes on to the default handling.
  if (message == WM_SYSCOMMAND && wParam == SC_CLOSE) {
    OnCancelButton();
    return 0;
  }
  return CDialog::WindowProc(message, wParam, lParam);
}

void CSetupDlg::OnSysCommand(UINT nID, LPARAM) {
  if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
    CAboutDlg about;
    about.DoModal();
  } else {
    Default();
  }
}

void CSetupDlg::OnPaint() {
  if (!IsIconic()) {
    Default();
    return;
  }
  CPaintDC dc(m_hWnd);
  SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
  const int cx = GetSystemMetrics(SM_CXICON);
  const int cy = GetSystemMetrics(SM_CYICON);
  RECT client;
  GetClientRect(&client);
  dc.DrawIcon((client.right - client.left - cx + 1) / 2, (client.bottom - client.top - cy + 1) / 2,
              m_hIcon);
}

HCURSOR CSetupDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }
