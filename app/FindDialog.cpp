#include "app/FindDialog.h"

#include <QLineEdit>

#include "app/ResourceIds.h"
#include "framework/EditField.h"
#include "framework/StandardIds.h"

namespace dalvren {

std::optional<CFieldMatch> FindNext(CEditField& field, const CSearch& search) {
  const std::optional<CFieldMatch> match =
      FindInField(field.FieldText(), search, field.FieldSelection().second);
  if (match) field.SelectFieldRange(match->from, match->to);
  return match;
}

CFindDialog::CFindDialog(CEditField& field, bool hex, const QString& where,
                         bool replace, CSearch* last)
    : CDialog(kIddFind),
      field_(field),
      hex_(hex),
      where_(where),
      replace_(replace),
      last_(last) {}

bool CFindDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  if (replace_)
    setWindowTitle(QStringLiteral("Replace"));
  else
    setWindowTitle(QStringLiteral("Find"));
  qobject_cast<QLineEdit*>(GetDlgItem(kIdcFindWhat))->setText(last_->what);
  CheckDlgButton(kIdcMatchCase, last_->matchCase ? BST_CHECKED : BST_UNCHECKED);
  for (const int id : {kIdcReplaceWith, kIdcReplace, kIdcReplaceAll}) {
    GetDlgItem(id)->setEnabled(replace_);
  }
  GetDlgItem(kIdcMatchCase)->setEnabled(!hex_);
  Say(QString());
  GetDlgItem(kIdcFindWhere)->setProperty("text", where_);
  return true;
}

bool CFindDialog::OnCommand(unsigned id) {
  switch (id) {
    case kIdcFindNext:
      OnFindNext();
      return true;
    case kIdcReplace:
      OnReplace();
      return true;
    case kIdcReplaceAll:
      OnReplaceAll();
      return true;
    default:
      return CDialog::OnCommand(id);
  }
}

void CFindDialog::Say(const QString& text) {
  GetDlgItem(kIdcFindResult)->setProperty("text", text);
}

bool CFindDialog::ReadSearch(CSearch* search) {
  search->what = qobject_cast<QLineEdit*>(GetDlgItem(kIdcFindWhat))->text();
  search->hex = hex_;
  search->matchCase = IsDlgButtonChecked(kIdcMatchCase) == BST_CHECKED;
  const QString problem = hex_ ? HexProblem(search->what, false)
                          : search->what.isEmpty()
                              ? QStringLiteral("Type the text to find.")
                              : QString();
  if (!problem.isEmpty()) {
    Say(problem);
    return false;
  }
  *last_ = *search;
  return true;
}

void CFindDialog::OnFindNext() {
  CSearch search;
  if (!ReadSearch(&search)) return;
  Say(FindNext(field_, search) ? QString() : QStringLiteral("Not found."));
}

void CFindDialog::OnReplace() {
  CSearch search;
  if (!ReadSearch(&search)) return;
  const QString with =
      qobject_cast<QLineEdit*>(GetDlgItem(kIdcReplaceWith))->text();
  if (const QString problem = hex_ ? HexProblem(with, true) : QString();
      !problem.isEmpty()) {
    Say(problem);
    return;
  }
  // The selection is replaced only when it is a match; then the next one is
  // selected.
  const auto [from, to] = field_.FieldSelection();
  const QString text = field_.FieldText();
  const std::optional<CFieldMatch> here = FindInField(text, search, from);
  if (from != to && here && here->from == from && here->to == to) {
    field_.ReplaceFieldRange(
        from, to,
        Replacement(search, with, QStringView(text).sliced(from, to - from)));
  }
  Say(FindNext(field_, search) ? QString() : QStringLiteral("No more found."));
}

void CFindDialog::OnReplaceAll() {
  CSearch search;
  if (!ReadSearch(&search)) return;
  const QString with =
      qobject_cast<QLineEdit*>(GetDlgItem(kIdcReplaceWith))->text();
  if (const QString problem = hex_ ? HexProblem(with, true) : QString();
      !problem.isEmpty()) {
    Say(problem);
    return;
  }
  qsizetype count = 0;
  const QString replaced =
      ReplaceAllInField(field_.FieldText(), search, with, &count);
  // One edit, which Undo takes back whole.
  if (count > 0) field_.SetText(replaced);
  Say(count == 0 ? QStringLiteral("Not found.")
                 : QStringLiteral("%1 replaced.").arg(count));
}

}  // namespace dalvren
