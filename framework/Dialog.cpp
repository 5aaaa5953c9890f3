#include "framework/Dialog.h"

#include "framework/ModalHooks.h"

namespace dalvren {

CDialog::CDialog(unsigned templateId, QWidget* parent)
    : QDialog(parent), templateId_(templateId) {}

CDialog::~CDialog() = default;

int CDialog::DoModal() {
  const auto dialog = LoadDialogResource(templateId_);
  if (dialog) {
    setWindowTitle(dialog->caption);
    CreateControls(*this, *dialog);
  }
  setResult(IDCANCEL);
  OnInitDialog();
  // OnInitDialog may have given a control a longer text than its template's.
  if (dialog) setFixedSize(FitControlsToTexts());
  if (ModalHooks().dialog) return ModalHooks().dialog(*this);
  return exec();
}

bool CDialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void CDialog::EndDialog(int result) { done(result); }

bool CDialog::OnCommand(unsigned id) {
  if (id == static_cast<unsigned>(IDOK)) {
    OnOK();
    return true;
  }
  if (id == static_cast<unsigned>(IDCANCEL)) {
    OnCancel();
    return true;
  }
  return false;
}

void CDialog::OnOK() {
  UpdateData(true);
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::reject() { OnCancel(); }

}  // namespace dalvren
