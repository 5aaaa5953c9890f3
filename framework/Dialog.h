// A modal dialog laid out by a dialog template.
#pragma once

#include <QDialog>

#include "framework/Wnd.h"

namespace dalvren {

class CDialog : public QDialog, public CWnd {
 public:
  // A dialog on template `templateId`; with no parent it stands alone.
  explicit CDialog(unsigned templateId, QWidget* parent = nullptr);
  ~CDialog() override;

  // Makes the controls, runs OnInitDialog, fits the controls to the texts
  // it gave them, then runs the dialog modally (or hands it to the modal
  // hook, when one is installed) until it ends.
  // Returns the result it ended with, IDOK or IDCANCEL.
  int DoModal();

  // Moves the members to the controls. Returns true.
  virtual bool OnInitDialog();

  // Ends the dialog with `result`.
  void EndDialog(int result);

 protected:
  // OK (control 1) and Cancel (control 2).
  bool OnCommand(unsigned id) override;
  // Moves the controls to the members and ends with IDOK.
  virtual void OnOK();
  virtual void OnCancel();

  void reject() override;

 private:
  unsigned templateId_;
};

}  // namespace dalvren
