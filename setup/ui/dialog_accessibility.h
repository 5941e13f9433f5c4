#pragma once
#include <memory>
#include <vector>

#include "setup/framework/afx.h"
#include "setup/ui/accessible_rules.h"

// Answers screen readers for one dialog: the dialog window and each of its controls give the
// object their rule describes (accessible_rules.h). Controls no object of ours holds yet are
// subclassed for it; all are let go with the dialog.
class CDialogAccessibility : public CAccessibility {
public:
  explicit CDialogAccessibility(int dialogId) : m_nDialogId(dialogId) {}

  // Once the dialog's controls exist and are bound (from OnInitDialog, after the base).
  void Attach(CWnd* dialog);

  bool Answer(HWND window, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
  struct Described {
    HWND window;
    kelvamo::AccessibleRule rule;
    HWND nameFrom;
  };
  void Describe(CWnd* dialog, HWND window, int controlId);

  int m_nDialogId;
  std::vector<Described> m_described;
  std::vector<std::unique_ptr<CWnd>> m_subclassed;
};
