#include "framework/FormView.h"

#include <QResizeEvent>

#include "framework/FrameWnd.h"

namespace dalvren {

CFormView::CFormView(unsigned templateId) : templateId_(templateId) {}

void CFormView::Create(CDocument& document) {
  CView::Create(document);
  if (const auto dialog = LoadDialogResource(templateId_)) {
    templateSize_ = CreateControls(*this, *dialog);
    setMinimumSize(templateSize_);
  }
}

void CFormView::OnInitialUpdate() { UpdateData(false); }

QSize CFormView::sizeHint() const { return templateSize_; }

void CFormView::ResizeParentToFit(bool shrinkOnly) {
  CFrameWnd* frame = GetParentFrame();
  if (frame == nullptr) return;
  // The frame's own size hint is the view's (the template's) plus its menu.
  QSize fit = frame->sizeHint();
  if (shrinkOnly && frame->isVisible()) fit = fit.boundedTo(frame->size());
  frame->resize(fit);
}

void CFormView::resizeEvent(QResizeEvent* event) {
  LayoutControls(event->size());
  CView::resizeEvent(event);
}

}  // namespace dalvren
