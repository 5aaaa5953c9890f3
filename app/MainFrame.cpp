#include "app/MainFrame.h"

namespace dalvren {

const CRuntimeClass<CFrameWnd> CMainFrame::kRuntimeClass =
    MakeRuntimeClass<CMainFrame, CFrameWnd>("CMainFrame");

bool CMainFrame::PreCreateWindow(CREATESTRUCT& cs) {
  return CFrameWnd::PreCreateWindow(cs);
}

}  // namespace dalvren
