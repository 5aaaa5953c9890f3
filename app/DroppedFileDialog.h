// Asks what a file dropped on the ROM field is: a table to open, or a ROM
// whose bytes to load.
#pragma once

#include <QString>

#include "framework/Dialog.h"

namespace dalvren {

class CDroppedFileDialog : public CDialog {
 public:
  // About the file `path`.
  explicit CDroppedFileDialog(const QString& path);

  // Ends with kIdcOpenAsTable, kIdcLoadDroppedBytes or IDCANCEL.
  bool OnInitDialog() override;

 protected:
  bool OnCommand(unsigned id) override;

 private:
  QString path_;
};

}  // namespace dalvren
