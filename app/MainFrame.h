// The main window: the framework's frame with the menu, keys and icon of
// the main resource, and a status bar under the form: a pane for what just
// happened, and one that counts what the two fields hold.
#pragma once

#include "framework/FrameWnd.h"
#include "framework/RuntimeClass.h"

namespace dalvren {

class CMainFrame : public CFrameWnd {
 public:
  static const CRuntimeClass<CFrameWnd> kRuntimeClass;

  bool PreCreateWindow(CREATESTRUCT& cs) override;

 protected:
  // Adds the status bar.
  bool OnCreate() override;
};

}  // namespace dalvren
