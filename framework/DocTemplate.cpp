#include "framework/DocTemplate.h"

#include <QFileInfo>

#include "framework/Afx.h"
#include "framework/Document.h"
#include "framework/FrameWnd.h"
#include "framework/Resource.h"
#include "framework/View.h"
#include "framework/WinApp.h"

namespace dalvren {

CSingleDocTemplate::CSingleDocTemplate(
    unsigned id, const CRuntimeClass<CDocument>& documentClass,
    const CRuntimeClass<CFrameWnd>& frameClass,
    const CRuntimeClass<CView>& viewClass)
    : m_nIDResource(id),
      m_pDocClass(documentClass),
      m_pFrameClass(frameClass),
      m_pViewClass(viewClass) {}

CSingleDocTemplate::~CSingleDocTemplate() = default;

std::unique_ptr<CFrameWnd> CSingleDocTemplate::CreateNewFrame() {
  std::unique_ptr<CFrameWnd> frame = m_pFrameClass.CreateObject();
  if (!frame->LoadFrame(m_nIDResource)) return nullptr;
  std::unique_ptr<CView> view = m_pViewClass.CreateObject();
  CREATESTRUCT cs;
  if (!view->PreCreateWindow(cs)) return nullptr;
  view->Create(*m_pOnlyDoc);
  frame->SetView(std::move(view));
  return frame;
}

CDocument* CSingleDocTemplate::OpenDocumentFile(const QString& path) {
  const bool created = m_pOnlyDoc == nullptr;
  if (created) {
    m_pOnlyDoc = m_pDocClass.CreateObject();
    m_pFrame = CreateNewFrame();
    if (m_pFrame == nullptr) {
      m_pOnlyDoc.reset();
      return nullptr;
    }
  }
  const bool opened = path.isEmpty() ? m_pOnlyDoc->OnNewDocument()
                                     : m_pOnlyDoc->OnOpenDocument(path);
  if (!opened) {
    if (created) {
      m_pFrame.reset();
      m_pOnlyDoc.reset();
    }
    return nullptr;
  }
  if (!path.isEmpty()) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    m_pOnlyDoc->SetPathName(absolute);
    if (CWinApp* app = AfxGetApp()) app->AddToRecentFileList(absolute);
  }
  if (created) m_pFrame->GetActiveView()->OnInitialUpdate();
  m_pFrame->OnUpdateFrameTitle();
  return m_pOnlyDoc.get();
}

QString CSingleDocTemplate::GetDocString(DocStringIndex index) const {
  return LoadResourceString(m_nIDResource)
      .section(QLatin1Char('\n'), index, index);
}

}  // namespace dalvren
