// View > Table Report: the lines dalvren-convert -t TABLE check prints for
// the loaded table, in a read-only field.
#pragma once

#include <QString>
#include <string>

#include "framework/Dialog.h"

namespace dalvren {

class CTableReportDialog : public CDialog {
 public:
  // The report `lines` on the table file `path`.
  CTableReportDialog(const QString& path, std::string lines);

  bool OnInitDialog() override;

 private:
  QString path_;
  std::string lines_;
};

}  // namespace dalvren
