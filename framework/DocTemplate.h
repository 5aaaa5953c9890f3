// The single-document template: one document, one frame and one view, made
// from their class records when first needed and reused for every document
// opened after.
#pragma once

#include <QString>
#include <memory>

#include "framework/RuntimeClass.h"

namespace dalvren {

class CDocument;
class CFrameWnd;
class CView;

class CSingleDocTemplate {
 public:
  // The fields of the document string, in order.
  enum DocStringIndex {
    windowTitle,
    docName,
    fileNewName,
    filterName,
    filterExt,
    regFileTypeId,
    regFileTypeName,
  };

  // A template on resource `id` (menu, accelerators, icon and document
  // string), making its parts from the three class records.
  CSingleDocTemplate(unsigned id, const CRuntimeClass<CDocument>& documentClass,
                     const CRuntimeClass<CFrameWnd>& frameClass,
                     const CRuntimeClass<CView>& viewClass);
  ~CSingleDocTemplate();

  // Owns its document and frame.
  CSingleDocTemplate(const CSingleDocTemplate&) = delete;
  CSingleDocTemplate& operator=(const CSingleDocTemplate&) = delete;

  // Opens `path` into the document, or starts a new document when `path` is
  // empty. The first call makes the document, the frame (hidden) and the
  // view, and runs the view's OnInitialUpdate once the document is in place;
  // when that first call fails, all three are destroyed again. After every
  // document opened or started, the view's OnUpdate runs. A later
  // failure leaves the document as it was. A file that opens is added to
  // the recent-file list. Returns the document, or null on failure.
  CDocument* OpenDocumentFile(const QString& path);

  // Field `index` of the document string; empty when absent.
  [[nodiscard]] QString GetDocString(DocStringIndex index) const;

  [[nodiscard]] unsigned GetResourceId() const { return resourceId_; }
  [[nodiscard]] CDocument* GetDocument() const { return onlyDoc_.get(); }
  [[nodiscard]] CFrameWnd* GetFrame() const { return frame_.get(); }

 private:
  // Makes the frame and its view for the document; null when the frame
  // refused to be made.
  std::unique_ptr<CFrameWnd> CreateNewFrame();

  unsigned resourceId_;
  CRuntimeClass<CDocument> docClass_;
  CRuntimeClass<CFrameWnd> frameClass_;
  CRuntimeClass<CView> viewClass_;
  // Declared first so that it is destroyed last: the view refers to it.
  std::unique_ptr<CDocument> onlyDoc_;
  std::unique_ptr<CFrameWnd> frame_;
};

}  // namespace dalvren
