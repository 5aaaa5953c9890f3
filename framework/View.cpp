#include "framework/View.h"

#include "framework/FrameWnd.h"

namespace dalvren {

CView::CView() = default;
CView::~CView() = default;

bool CView::PreCreateWindow(CREATESTRUCT& /*cs*/) { return true; }

void CView::Create(CDocument& document) { document_ = &document; }

void CView::OnInitialUpdate() {}

void CView::OnUpdate(CView* /*sender*/) {}

bool CView::OnCmdMsg(unsigned id) { return OnCommand(id); }

bool CView::OnDropFile(const QString& /*path*/, QWidget* /*target*/) {
  return false;
}

CFrameWnd* CView::GetParentFrame() const {
  for (QWidget* w = parentWidget(); w != nullptr; w = w->parentWidget()) {
    if (auto* frame = dynamic_cast<CFrameWnd*>(w)) return frame;
  }
  return nullptr;
}

}  // namespace dalvren
