#include "MainFrame.h"

const CRuntimeClass<CFrameWnd> CMainFrame::kRuntimeClass =
    MakeRuntimeClass<CMainFrame, CFrameWnd>("CMainFrame");

bool CMainFrame::PreCreateWindow(CREATESTRUCT& cs) {
  return CFrameWnd::PreCreateWindow(cs);
}
