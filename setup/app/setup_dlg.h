#pragma once
#include <optional>
#include <string>

#include "setup/engine/own_signature.h"
#include "setup/engine/registry_records.h"
#include "setup/framework/afx.h"
#include "setup/pages/finish_page.h"
#include "setup/pages/folder_page.h"
#include "setup/pages/progress_page.h"
#include "setup/pages/welcome_page.h"
#include "setup/res/resource.h"
#include "setup/ui/dialog_accessibility.h"
#include "setup/ui/dpi_layout.h"
#include "setup/ui/recolouring_dialog.h"
#include "setup/ui/wizard_button.h"

// Posted by the check of the installer's own signature when its verdict is in.
constexpr UINT kWmSignatureVerdict = WM_APP + 1;

// The wizard: four pages laid over the placeholder rectangle, one visible per step, and the Back,
// Next and Cancel buttons. Pages reach it as their parent window.
class CSetupDlg : public CRecolouringDialog {
public:
  explicit CSetupDlg(CWnd* parent = nullptr);
  ~CSetupDlg() override;

  // Shows the page and button state of m_nStep; steps outside 1 to 4 change nothing.
  void ShowStep();
  // Waits for the verdict on the installer's own signature; when the file was changed since it
  // was signed, says so and ends the wizard, and returns false. Nothing may be written before.
  bool SignatureHolds();

  int m_nStep = 0;
  CWizardButton m_btnCancel;
  CWizardButton m_btnBack;
  CWizardButton m_btnNext;
  CWelcomePage m_pageWelcome;
  CFolderPage m_pageFolder;
  CProgressPage m_pageProgress;
  CFinishPage m_pageFinish;
  HICON m_hIcon;
  CDpiLayout m_layout;  // the frame's controls at the DPI of its window
  OwnSignatureCheck m_signature;  // runs while the welcome page shows
  CDialogAccessibility m_accessibility;  // what screen readers are told of the frame's controls

  // The captions' keys (Alt+N, Alt+P, Alt+C, Alt+F, and the folder page's Alt+B) and Enter on a
  // focused button, before the dialog manager's own handling.
  bool PreTranslateMessage(MSG* msg) override;

  // The release this setup.exe installs, and the installation registered when it started: the
  // folder page proposes that one's folder, and the installation replaces it.
  std::string m_strVersion;
  std::optional<RegisteredInstallation> m_installed;
  // Whether this run restored an installation that had been cut off.
  bool m_bRecovered = false;

protected:
  void DoDataExchange(CDataExchange* dx) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool OnInitDialog() override;

  void OnNext();
  void OnBack();
  void OnCancelButton();
  void OnSysCommand(UINT nID, LPARAM lParam);
  void OnPaint();
  HCURSOR OnQueryDragIcon();
  // Moved to a monitor of another DPI: the wizard and its pages laid out and drawn for it.
  LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam);
  // Enter and Escape act like Next and Cancel, and only while those buttons are enabled. The
  // framework's default would end the wizard at once, with no question and nothing undone.
  void OnEnterKey();
  void OnEscapeKey();
  LRESULT OnSignatureVerdict(WPARAM wParam, LPARAM lParam);
  // High contrast turned on or off, or the system's colours changed: everything is drawn again.

  BEGIN_MSG_MAP(CSetupDlg, CRecolouringDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_MESSAGE(kWmDpiChanged, OnDpiChanged)
    ON_MESSAGE(kWmSignatureVerdict, OnSignatureVerdict)
    ON_BN_CLICKED(IDC_NEXT, OnNext)
    ON_BN_CLICKED(IDC_BACK, OnBack)
    ON_BN_CLICKED(IDC_CANCEL_BUTTON, OnCancelButton)
    ON_BN_CLICKED(IDOK, OnEnterKey)
    ON_BN_CLICKED(IDCANCEL, OnEscapeKey)
  END_MSG_MAP()

private:
  CDialog* PageOf(int index);
  CDpiLayout* LayoutOf(int index);
  void LayPagesOverPlaceholder();
  void AddAboutItem();

  bool m_bDamageShown = false;
};
