#include "app/DalvrenApp.h"

#include "app/AboutBox.h"
#include "app/DalvrenDoc.h"
#include "app/DalvrenView.h"
#include "app/MainFrame.h"
#include "app/ResourceIds.h"
#include "framework/CommandLineInfo.h"
#include "framework/CommandMap.h"
#include "framework/DocTemplate.h"
#include "framework/StandardIds.h"

namespace dalvren {

CDalvrenApp::CDalvrenApp() {
  m_strFileArgument = QStringLiteral("TABLE");
  m_strDescription = QStringLiteral(
      "Converts between ROM bytes and text through a character table file\n"
      "(.tbl). Opens TABLE at start-up when given.");
}

bool CDalvrenApp::InitInstance() {
  Enable3dControls();
  SetRegistryKey(QString::fromLatin1(kRegistryKey));
  LoadStdProfileSettings(4);
  AddDocTemplate(std::make_unique<CSingleDocTemplate>(
      kIdrMainFrame, CDalvrenDoc::kRuntimeClass, CMainFrame::kRuntimeClass,
      CDalvrenView::kRuntimeClass));
  EnableShellOpen();
  RegisterShellFileTypes(true);

  CCommandLineInfo cmdInfo;
  ParseCommandLine(cmdInfo);
  if (!ProcessShellCommand(cmdInfo)) return false;

  m_pMainWnd->ShowWindow(SW_SHOW);
  m_pMainWnd->UpdateWindow();
  m_pMainWnd->DragAcceptFiles(true);
  return true;
}

bool CDalvrenApp::OnCmdMsg(unsigned id) {
  static constexpr CCommandEntry<CDalvrenApp> kMessageMap[] = {
      {ID_APP_ABOUT, &CDalvrenApp::OnAppAbout},
      {ID_FILE_NEW, &CDalvrenApp::OnFileNew},
      {ID_FILE_OPEN, &CDalvrenApp::OnFileOpen},
  };
  return DispatchCommand(*this, kMessageMap, id) || CWinApp::OnCmdMsg(id);
}

void CDalvrenApp::OnAppAbout() {
  CAboutBox aboutDlg;
  aboutDlg.DoModal();
}

}  // namespace dalvren
