#include "framework/FormView.h"

#include <QResizeEvent>

#include "framework/FrameWnd.h"

namespace dalvren {

CFormView::CFormView(unsigned templateId) : m_templateId(templateId) {}

void CFormView::Create(CDocument& document) {
  CView::Create(document);
  if (const auto dialog = LoadDialogResource(m_templateId)) {
    m_templateSize = CreateControls(*this, *dialog);
    setMinimumSize(m_templateSize);
  }
}

void CFormView::OnInitialUpdate() { UpdateData(false); }

QSize CFormView::sizeHint() const { return m_templateSize; }

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
