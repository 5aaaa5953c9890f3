// The main window: the framework's frame with the menu, keys and icon of
// the main resource, and no tool bar or status bar.
#pragma once

#include "framework/FrameWnd.h"
#include "framework/RuntimeClass.h"

namespace dalvren {

class CMainFrame : public CFrameWnd {
 public:
  static const CRuntimeClass<CFrameWnd> kRuntimeClass;

  bool PreCreateWindow(CREATESTRUCT& cs) override;
};

}  // namespace dalvren
