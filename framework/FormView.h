// A view laid out by a dialog template: controls at the template's places,
// growing with the view as each control's template entry says.
#pragma once

#include "framework/View.h"

namespace dalvren {

class CFormView : public CView {
 public:
  explicit CFormView(unsigned templateId);

  // Makes the template's controls.
  void Create(CDocument& document) override;

  // Moves the members to the controls (UpdateData(false)).
  void OnInitialUpdate() override;

  // The view's size is the template's; it never gets smaller.
  [[nodiscard]] QSize sizeHint() const override;

  // Sizes the frame around the view to fit the template. With
  // `shrinkOnly`, a frame already shown is only ever made smaller.
  void ResizeParentToFit(bool shrinkOnly = true);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  unsigned templateId_;
  QSize templateSize_;
};

}  // namespace dalvren
