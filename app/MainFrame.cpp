#include "app/MainFrame.h"

#include "app/ResourceIds.h"
#include "framework/StandardIds.h"

namespace dalvren {

const CRuntimeClass<CFrameWnd> CMainFrame::kRuntimeClass =
    MakeRuntimeClass<CMainFrame, CFrameWnd>("CMainFrame");

bool CMainFrame::PreCreateWindow(CREATESTRUCT& cs) {
  return CFrameWnd::PreCreateWindow(cs);
}

bool CMainFrame::OnCreate() {
  static constexpr unsigned kIndicators[] = {ID_SEPARATOR, kIdsFieldCounts};
  CreateStatusBar(kIndicators, 2);
  return true;
}

}  // namespace dalvren
