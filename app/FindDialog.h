// Find and Replace in one field of the converter form. The dialog is modal,
// and each of its buttons acts on the field at once; it stays until Close.
#pragma once

#include <QString>
#include <optional>

#include "app/FieldSearch.h"
#include "framework/Dialog.h"

namespace dalvren {

class CEditField;

// Selects the next match of `search` in `field` after its cursor (or, when
// there is none after it, the first), and returns it; nothing, selecting
// nothing, when the field holds none.
std::optional<CFieldMatch> FindNext(CEditField& field, const CSearch& search);

class CFindDialog : public CDialog {
 public:
  // Searches `field` (which outlives the dialog), a Hex field when `hex`;
  // `where` names it for the user. `*last` is the search to start from and
  // becomes every search made, for Find Next after the dialog is gone.
  // Without `replace`, the replacing controls are off.
  CFindDialog(CEditField& field, bool hex, const QString& where, bool replace,
              CSearch* last);

  bool OnInitDialog() override;

 protected:
  bool OnCommand(unsigned id) override;

 private:
  // The search the controls describe in `*search`; false, saying why in
  // the dialog, when it cannot be made.
  bool ReadSearch(CSearch* search);
  void OnFindNext();
  void OnReplace();
  void OnReplaceAll();
  void Say(const QString& text);

  CEditField& field_;
  bool hex_;
  QString where_;
  bool replace_;
  CSearch* last_;
};

}  // namespace dalvren
