#include "app/TableReportDialog.h"

#include <QFileInfo>
#include <QLabel>

#include "app/ResourceIds.h"

namespace dalvren {

CTableReportDialog::CTableReportDialog(const QString& path, std::string lines)
    : CDialog(kIddTableReport), path_(path), lines_(std::move(lines)) {}

bool CTableReportDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  qobject_cast<QLabel*>(GetDlgItem(kIdcReportTable))
      ->setText(QStringLiteral("%1, as dalvren-convert -t TABLE check reports "
                               "it:")
                    .arg(QFileInfo(path_).fileName()));
  SetDlgItemTextA(kIdcReportLines, lines_);
  return true;
}

}  // namespace dalvren
