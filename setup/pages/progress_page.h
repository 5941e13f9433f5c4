#pragma once
#include <string>

#include "lib/win32/listed_removal.h"
#include "setup/engine/extractor_run.h"
#include "setup/engine/guarded_install.h"
#include "setup/engine/payload_file.h"
#include "setup/engine/unpack_run.h"
#include "setup/engine/upgrade.h"
#include "setup/framework/afx.h"
#include "setup/ui/dialog_accessibility.h"
#include "setup/ui/dialog_colours.h"
#include "setup/ui/dpi_layout.h"

class CSetupDlg;

// Step 3: the progress bar and status line of the installation. The installation itself runs
// here too (progress_install.cpp): payload and registry, the extractor watched on the hidden
// console by timer 1, and the completion.
class CProgressPage : public CDialog {
public:
  explicit CProgressPage(CWnd* parent = nullptr);
  ~CProgressPage() override;

  // Starts the installation into the wizard's install directory. Returns with the monitor running,
  // with the wizard back on the folder page, or in the failure state.
  void StartInstall();
  // Deletes the payload files this installation wrote, through the handles that hold them; the
  // extractor must have ended. True when both are gone.
  bool DeletePayload();
  // Stops the extractor and undoes all this installation did, as the exit question's "是(Y)"
  // asks. False when something could not be put back; the journal keeps it for the next start.
  bool TakeBack();
  // Whether the installation completed, or failed while writing.
  bool Installed() const { return m_bInstalled; }
  bool Failed() const { return m_bFailed; }
  // Copies the run's log into the install folder, once the installation is complete.
  bool CopyLog() const;

  int m_nTicks = 0;
  CDialogColours m_colours;  // white brush and fonts of this page
  CDpiLayout m_layout;       // where its controls sit at the DPI of its window
  CDialogAccessibility m_accessibility;  // what screen readers are told of its controls
  CProgressCtrl m_progress;
  CString m_strStatus;

protected:
  void DoDataExchange(CDataExchange* dx) override;
  bool OnInitDialog() override;
  void OnTimer(UINT_PTR nIDEvent);
  HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT kind);

  BEGIN_MSG_MAP(CProgressPage, CDialog)
    ON_WM_TIMER()
    ON_WM_CTLCOLOR()
  END_MSG_MAP()

private:
  CSetupDlg* Wizard() const;
  std::string InstallDir() const;
  // Writes UHARC.EXE into the install folder; false when not every byte reached the file.
  bool WriteExtractor();
  void RunExtractor(const std::string& dir);
  void Complete();
  bool UnpackFolder(CString folder);
  // Guards before anything is written (install_guards.cpp). Each says why when it refuses.
  bool HasRoomFor(const std::string& dir);
  bool ApplicationClosedIn(const std::string& dir);
  // Names the files to be replaced that other programs hold open, until none is or the user
  // gives up; false then.
  bool FilesClosedIn();
  // Undoes what was written, then the folder page with `message`.
  void TakeBackToFolderPage(const char* message);
  // After all was taken back: lets go of the folder, and removes it when this run made it.
  void LetGoOfFolder();
  void ReturnToFolderPage(const char* message);
  void BackToFolderPage();
  // The installation failed: the status line says why, Cancel (with its rollback) is the way out.
  // `message` replaces the general message box text.
  void ShowFailure(const char* status, const char* message = nullptr);

  ListedFolder m_folder;  // the install folder, held from the first file written
  GuardedInstall m_install;  // the journal, the files moved aside, the commit
  int m_nLoggedTenths = 0;   // tenths of the extraction the log has named
  bool m_bInstalled = false;
  bool m_bFailed = false;
  HeldPayloadFile m_archiveFile;
  HeldPayloadFile m_extractorFile;
  ExtractorRun m_extractor;
  UnpackRun m_unpack;
  // The version installed in the folder before this installation, if any.
  PreviousVersion m_previous;
  // The registered installation in another folder, removed once this one is in place; its
  // folder is empty when there is none to remove.
  PreviousVersion m_replaced;
  std::string m_strReplacedDir;
  // Reads the installation registered in a folder other than `dir`; false when the user keeps
  // its application running there.
  bool ReadReplacedInstallation(const std::string& dir);
};
