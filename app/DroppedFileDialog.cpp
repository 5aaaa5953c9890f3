#include "app/DroppedFileDialog.h"

#include <QFileInfo>
#include <QLabel>

#include "app/ResourceIds.h"

namespace dalvren {

CDroppedFileDialog::CDroppedFileDialog(const QString& path)
    : CDialog(kIddDroppedFile), path_(path) {}

bool CDroppedFileDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  qobject_cast<QLabel*>(GetDlgItem(kIdcDroppedName))
      ->setText(QStringLiteral("\"%1\" is not a table file (.tbl).")
                    .arg(QFileInfo(path_).fileName()));
  return true;
}

bool CDroppedFileDialog::OnCommand(unsigned id) {
  if (id == kIdcOpenAsTable || id == kIdcLoadDroppedBytes) {
    EndDialog(static_cast<int>(id));
    return true;
  }
  return CDialog::OnCommand(id);
}

}  // namespace dalvren
