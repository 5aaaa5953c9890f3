#include "framework/DocTemplate.h"

#include <QFileInfo>

#include "framework/Document.h"
#include "framework/FrameWnd.h"
#include "framework/Resource.h"
#include "framework/StandardIds.h"
#include "framework/View.h"
#include "framework/WinApp.h"

namespace dalvren {

CSingleDocTemplate::CSingleDocTemplate(
    unsigned id, const CRuntimeClass<CDocument>& documentClass,
    const CRuntimeClass<CFrameWnd>& frameClass,
    const CRuntimeClass<CView>& viewClass)
    : resourceId_(id),
      docClass_(documentClass),
      frameClass_(frameClass),
      viewClass_(viewClass) {}

CSingleDocTemplate::~CSingleDocTemplate() = default;

std::unique_ptr<CFrameWnd> CSingleDocTemplate::CreateNewFrame() {
  std::unique_ptr<CFrameWnd> frame = frameClass_.CreateObject();
  if (!frame->LoadFrame(resourceId_)) return nullptr;
  std::unique_ptr<CView> view = viewClass_.CreateObject();
  CREATESTRUCT cs;
  if (!view->PreCreateWindow(cs)) return nullptr;
  view->Create(*onlyDoc_);
  frame->SetView(std::move(view));
  return frame;
}

CDocument* CSingleDocTemplate::OpenDocumentFile(const QString& path) {
  const bool created = onlyDoc_ == nullptr;
  if (created) {
    onlyDoc_ = docClass_.CreateObject();
    frame_ = CreateNewFrame();
    if (frame_ == nullptr) {
      onlyDoc_.reset();
      return nullptr;
    }
  }
  const bool opened = path.isEmpty() ? onlyDoc_->OnNewDocument()
                                     : onlyDoc_->OnOpenDocument(path);
  if (!opened) {
    if (created) {
      frame_.reset();
      onlyDoc_.reset();
    }
    return nullptr;
  }
  if (!path.isEmpty()) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    onlyDoc_->SetPathName(absolute);
    if (CWinApp* app = AfxGetApp()) app->AddToRecentFileList(absolute);
  }
  if (created) frame_->GetActiveView()->OnInitialUpdate();
  frame_->GetActiveView()->OnUpdate(nullptr);
  frame_->OnUpdateFrameTitle();
  return onlyDoc_.get();
}

QString CSingleDocTemplate::GetDocString(DocStringIndex index) const {
  return LoadResourceString(resourceId_)
      .section(QLatin1Char('\n'), index, index);
}

}  // namespace dalvren
