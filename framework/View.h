// The framework's view: the widget inside a frame that shows a document.
#pragma once

#include <QWidget>

#include "framework/Wnd.h"

namespace dalvren {

class CDocument;
class CFrameWnd;

class CView : public QWidget, public CWnd {
 public:
  CView();
  ~CView() override;

  // May adjust `cs` before the view is made; false stops the making.
  virtual bool PreCreateWindow(CREATESTRUCT& cs);

  // Makes the view's contents for `document`, which outlives it.
  virtual void Create(CDocument& document);

  // Called once the view's first document is in place.
  virtual void OnInitialUpdate();

  // The document changed: a document was opened into it or started anew
  // (after OnInitialUpdate, the first time). `sender` is the view that
  // changed it, or null. The base does nothing.
  virtual void OnUpdate(CView* sender);

  // Handles command `id`; the base handles none.
  virtual bool OnCmdMsg(unsigned id);

  // A file `path` was dropped on `target`, the view or a control of it;
  // true when the view took care of it, false to let the frame open it as a
  // document. The base takes none.
  virtual bool OnDropFile(const QString& path, QWidget* target);

  [[nodiscard]] CDocument* GetDocument() const { return document_; }
  // The frame the view lives in, or null before it is placed in one.
  [[nodiscard]] CFrameWnd* GetParentFrame() const;

 private:
  CDocument* document_ = nullptr;
};

}  // namespace dalvren
