#include "framework/WinApp.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <iostream>

#include "framework/Afx.h"
#include "framework/CommandLineInfo.h"
#include "framework/DocTemplate.h"
#include "framework/Document.h"
#include "framework/FrameWnd.h"
#include "framework/Resource.h"
#include "framework/ShellRegistration.h"

namespace dalvren {

namespace {

CWinApp* g_app = nullptr;

constexpr int kUsageErrorStatus = 2;

}  // namespace

CWinApp* AfxGetApp() { return g_app; }

CWinApp::CWinApp()
    : m_pszAppName(LoadResourceString(AFX_IDS_APP_TITLE)),
      m_recentFiles(QStringLiteral("Recent File List"), 4),
      m_out(&std::cout),
      m_err(&std::cerr) {
  g_app = this;
}

CWinApp::~CWinApp() {
  ExitInstance();
  if (g_app == this) g_app = nullptr;
}

bool CWinApp::InitInstance() { return true; }

int CWinApp::ExitInstance() {
  m_pMainWnd = nullptr;
  m_templates.clear();
  return m_nExitCode;
}

int CWinApp::Run() {
  m_nExitCode = QApplication::exec();
  return ExitInstance();
}

bool CWinApp::OnCmdMsg(unsigned id) {
  if (id < ID_FILE_MRU_FILE1 ||
      id >=
          ID_FILE_MRU_FILE1 + static_cast<unsigned>(m_recentFiles.GetSize())) {
    return false;
  }
  const int index = static_cast<int>(id - ID_FILE_MRU_FILE1);
  if (OpenDocumentFile(m_recentFiles[index]) == nullptr) {
    // The open failed and said why; an entry that no longer opens goes.
    m_recentFiles.Remove(index);
    SaveRecentFileList();
  }
  return true;
}

void CWinApp::OnFileNew() {
  if (CSingleDocTemplate* docTemplate = GetDocTemplate()) {
    docTemplate->OpenDocumentFile(QString());
  }
}

void CWinApp::OnFileOpen() {
  const CSingleDocTemplate* docTemplate = GetDocTemplate();
  if (docTemplate == nullptr) return;
  const QString filter =
      docTemplate->GetDocString(CSingleDocTemplate::filterName) +
      QStringLiteral(";;All Files (*)");
  const QString caption = QStringLiteral("Open");
  QString path;
  if (ModalHooks().openFileName) {
    path = ModalHooks().openFileName(caption, filter);
  } else {
    const QString start = m_recentFiles.GetSize() > 0
                              ? QFileInfo(m_recentFiles[0]).path()
                              : QDir::currentPath();
    path = QFileDialog::getOpenFileName(m_pMainWnd, caption, start, filter);
  }
  if (!path.isEmpty()) OpenDocumentFile(path);
}

CDocument* CWinApp::OpenDocumentFile(const QString& path) {
  CSingleDocTemplate* docTemplate = GetDocTemplate();
  return docTemplate != nullptr ? docTemplate->OpenDocumentFile(path) : nullptr;
}

void CWinApp::Enable3dControls() {
  // Qt draws every control in the desktop's own style already.
}

void CWinApp::SetRegistryKey(const QString& key) { m_pszRegistryKey = key; }

void CWinApp::LoadStdProfileSettings(int maxRecentFiles) {
  m_recentFiles =
      CRecentFileList(QStringLiteral("Recent File List"), maxRecentFiles);
  QSettings settings(m_pszRegistryKey, m_pszAppName);
  m_recentFiles.ReadList(settings);
}

void CWinApp::SaveRecentFileList() {
  // Written at once, so that a crash or a second instance loses nothing.
  QSettings settings(m_pszRegistryKey, m_pszAppName);
  m_recentFiles.WriteList(settings);
  if (m_pMainWnd != nullptr) m_pMainWnd->OnUpdateRecentFileMenu();
}

void CWinApp::AddToRecentFileList(const QString& path) {
  m_recentFiles.Add(path);
  SaveRecentFileList();
}

void CWinApp::AddDocTemplate(std::unique_ptr<CSingleDocTemplate> docTemplate) {
  m_templates.push_back(std::move(docTemplate));
}

void CWinApp::EnableShellOpen() { m_bShellOpen = true; }

void CWinApp::RegisterShellFileTypes(bool /*compat*/) {
  const CSingleDocTemplate* docTemplate = GetDocTemplate();
  if (docTemplate == nullptr) return;
  CShellFileType type;
  type.appName = m_pszAppName;
  type.exePath = QCoreApplication::applicationFilePath();
  type.exeName = QFileInfo(type.exePath).fileName();
  type.typeId = docTemplate->GetDocString(CSingleDocTemplate::regFileTypeId);
  type.typeName =
      docTemplate->GetDocString(CSingleDocTemplate::regFileTypeName);
  type.extension = docTemplate->GetDocString(CSingleDocTemplate::filterExt);
  type.shellOpen = m_bShellOpen;
  // As on the classic desktop, files of the type show the program's second
  // icon, the one after the template's own, where there is one.
  const unsigned icon = docTemplate->GetResourceId();
  type.appIcons = IconResourceFiles(icon);
  type.typeIcons = IconResourceFiles(icon + 1);
  if (type.typeIcons.isEmpty()) type.typeIcons = type.appIcons;
  const QString dataHome = XdgDataHome();
  const std::vector<QString> written = RegisterShellFileType(dataHome, type);
  // The desktop reads MIME types from a cache built from the packages.
  const QString updater =
      QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
  const bool mimeChanged =
      std::any_of(written.begin(), written.end(), [](const QString& path) {
        return path.startsWith(QLatin1String("mime/"));
      });
  if (mimeChanged && !updater.isEmpty()) {
    QProcess::startDetached(updater, {dataHome + QStringLiteral("/mime")});
  }
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info) {
  info.ParseArguments(m_arguments);
}

bool CWinApp::ProcessShellCommand(CCommandLineInfo& info) {
  const QString program = QFileInfo(m_programName).fileName();
  switch (info.m_nShellCommand) {
    case CCommandLineInfo::AppHelp:
      *m_out << QStringLiteral(
                    "Usage: %1 [OPTION]... [%2]\n"
                    "%3\n"
                    "\n"
                    "  -h, --help     show this help and exit\n"
                    "      --version  show the version and exit\n")
                    .arg(program, m_strFileArgument, m_strDescription)
                    .toStdString();
      m_nExitCode = 0;
      return false;
    case CCommandLineInfo::AppVersion:
      *m_out << QStringLiteral("%1 %2\n")
                    .arg(m_pszAppName,
                         LoadVersionValue(QStringLiteral("FileVersion"))
                             .remove(QLatin1Char(' '))
                             .replace(QLatin1Char(','), QLatin1Char('.')))
                    .toStdString();
      m_nExitCode = 0;
      return false;
    case CCommandLineInfo::AppUsageError:
      *m_err << QStringLiteral(
                    "%1: %2\nTry '%1 --help' for more information.\n")
                    .arg(program, info.m_strError)
                    .toStdString();
      m_nExitCode = kUsageErrorStatus;
      return false;
    case CCommandLineInfo::FileOpen:
      if (OpenDocumentFile(info.m_strFileName) == nullptr) return false;
      break;
    default:
      OnFileNew();
      break;
  }
  const CSingleDocTemplate* docTemplate = GetDocTemplate();
  m_pMainWnd = docTemplate != nullptr ? docTemplate->GetFrame() : nullptr;
  if (m_pMainWnd != nullptr) m_pMainWnd->OnUpdateRecentFileMenu();
  return m_pMainWnd != nullptr;
}

void CWinApp::SetArguments(QStringList arguments, QString programName) {
  m_arguments = std::move(arguments);
  m_programName = std::move(programName);
}

void CWinApp::SetOutput(std::ostream& out, std::ostream& err) {
  m_out = &out;
  m_err = &err;
}

CSingleDocTemplate* CWinApp::GetDocTemplate() const {
  return m_templates.empty() ? nullptr : m_templates.front().get();
}

int AfxWinMain(int argc, char** argv) {
  CWinApp* app = AfxGetApp();
  if (app == nullptr) return 1;
  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  app->SetArguments(arguments, QString::fromLocal8Bit(argv[0]));

  // Help, version and usage errors need no window, so they work anywhere.
  CCommandLineInfo info;
  app->ParseCommandLine(info);
  if (info.m_nShellCommand != CCommandLineInfo::FileNew &&
      info.m_nShellCommand != CCommandLineInfo::FileOpen) {
    app->ProcessShellCommand(info);
    return app->m_nExitCode;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
      qEnvironmentVariableIsEmpty("DISPLAY") &&
      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
    std::cerr
        << QFileInfo(QString::fromLocal8Bit(argv[0])).fileName().toStdString()
        << ": no display to show the window on (neither DISPLAY nor "
           "WAYLAND_DISPLAY is set)\n";
    return 1;
  }
  QApplication qtApp(argc, argv);
  if (!app->InitInstance()) return app->ExitInstance();
  return app->Run();
}

}  // namespace dalvren
