// The About box: the program's icon, name, version and build time stamp.
#pragma once

#include "framework/Dialog.h"

namespace dalvren {

class CAboutBox : public CDialog {
 public:
  CAboutBox();

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  // Puts the version and the build time stamp in their places.
  bool OnInitDialog() override;
};

}  // namespace dalvren
