#include "framework/WinApp.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <iostream>

#include "framework/CommandLineInfo.h"
#include "framework/DocTemplate.h"
#include "framework/Document.h"
#include "framework/FrameWnd.h"
#include "framework/ModalHooks.h"
#include "framework/Resource.h"
#include "framework/ShellRegistration.h"

namespace dalvren {

namespace {

CWinApp* g_app = nullptr;

constexpr int kUsageErrorStatus = 2;

// 0 once `out` holds everything written to it, else the usage error's
// status: an answer that cannot be written is no success, and there is
// nowhere left to say so.
int FlushedStatus(std::ostream& out) {
  out.flush();
  return out ? 0 : kUsageErrorStatus;
}

// The settings group of the recent-file list.
constexpr char kRecentFileSection[] = "Recent File List";

}  // namespace

CWinApp* AfxGetApp() { return g_app; }

CWinApp::CWinApp()
    : m_strAppName(LoadResourceString(AFX_IDS_APP_TITLE)),
      recentFiles_(QString::fromLatin1(kRecentFileSection), 4),
      out_(&std::cout),
      err_(&std::cerr) {
  g_app = this;
}

CWinApp::~CWinApp() {
  // Not ExitInstance: a derived class's override is gone by now, and the
  // run loop has called it already. Windows and documents go while the
  // application can still be found.
  CloseAll();
  if (g_app == this) g_app = nullptr;
}

bool CWinApp::InitInstance() { return true; }

int CWinApp::ExitInstance() {
  CloseAll();
  return m_nExitCode;
}

void CWinApp::CloseAll() {
  m_pMainWnd = nullptr;
  templates_.clear();
}

int CWinApp::Run() {
  m_nExitCode = QApplication::exec();
  return ExitInstance();
}

bool CWinApp::OnCmdMsg(unsigned id) {
  if (id < ID_FILE_MRU_FILE1 ||
      id >= ID_FILE_MRU_FILE1 + static_cast<unsigned>(recentFiles_.GetSize())) {
    return false;
  }
  const int index = static_cast<int>(id - ID_FILE_MRU_FILE1);
  if (OpenDocumentFile(recentFiles_[index]) == nullptr) {
    // The open failed and said why; an entry that no longer opens goes.
    recentFiles_.Remove(index);
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
  const QString start = recentFiles_.GetSize() > 0
                            ? QFileInfo(recentFiles_[0]).path()
                            : QDir::currentPath();
  const QString path =
      AfxPromptFileName(QStringLiteral("Open"), filter, start, false);
  if (!path.isEmpty()) OpenDocumentFile(path);
}

CDocument* CWinApp::OpenDocumentFile(const QString& path) {
  CSingleDocTemplate* docTemplate = GetDocTemplate();
  return docTemplate != nullptr ? docTemplate->OpenDocumentFile(path) : nullptr;
}

void CWinApp::Enable3dControls() {
  // Qt draws every control in the desktop's own style already.
}

void CWinApp::SetRegistryKey(const QString& key) { m_strRegistryKey = key; }

void CWinApp::LoadStdProfileSettings(int maxRecentFiles) {
  recentFiles_ =
      CRecentFileList(QString::fromLatin1(kRecentFileSection), maxRecentFiles);
  QSettings settings(m_strRegistryKey, m_strAppName);
  recentFiles_.ReadList(settings);
}

void CWinApp::SaveRecentFileList() {
  // Written at once, so that a crash or a second instance loses nothing.
  QSettings settings(m_strRegistryKey, m_strAppName);
  recentFiles_.WriteList(settings);
  if (m_pMainWnd != nullptr) m_pMainWnd->OnUpdateRecentFileMenu();
}

void CWinApp::AddToRecentFileList(const QString& path) {
  recentFiles_.Add(path);
  SaveRecentFileList();
}

void CWinApp::AddDocTemplate(std::unique_ptr<CSingleDocTemplate> docTemplate) {
  templates_.push_back(std::move(docTemplate));
}

void CWinApp::EnableShellOpen() { shellOpen_ = true; }

void CWinApp::RegisterShellFileTypes(bool /*compat*/) {
  const CSingleDocTemplate* docTemplate = GetDocTemplate();
  if (docTemplate == nullptr) return;
  CShellFileType type;
  type.appName = m_strAppName;
  type.exePath = QCoreApplication::applicationFilePath();
  type.exeName = QFileInfo(type.exePath).fileName();
  type.typeId = docTemplate->GetDocString(CSingleDocTemplate::regFileTypeId);
  type.typeName =
      docTemplate->GetDocString(CSingleDocTemplate::regFileTypeName);
  type.extension = docTemplate->GetDocString(CSingleDocTemplate::filterExt);
  type.shellOpen = shellOpen_;
  // As on the classic desktop, files of the type show the program's second
  // icon, the one after the template's own, where there is one.
  const unsigned icon = docTemplate->GetResourceId();
  type.appIcons = IconResourceFiles(icon);
  type.typeIcons = IconResourceFiles(icon + 1);
  if (type.typeIcons.isEmpty()) type.typeIcons = type.appIcons;
  const QString dataHome = XdgDataHome();
  const CShellRegistration done = RegisterShellFileType(dataHome, type);
  // A desktop that cannot learn the type still runs the program; the user
  // hears of it once, on standard error, never in a window.
  if (!done.error.isEmpty()) {
    *err_ << QFileInfo(programName_).fileName().toStdString()
          << ": the desktop does not know table files: "
          << done.error.toStdString() << '\n';
  }
  const std::vector<QString>& written = done.written;
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
  info.ParseArguments(arguments_);
}

bool CWinApp::ProcessShellCommand(CCommandLineInfo& info) {
  const QString program = QFileInfo(programName_).fileName();
  switch (info.m_nShellCommand) {
    case CCommandLineInfo::AppHelp:
      *out_ << QStringLiteral(
                   "Usage: %1 [OPTION]... [%2]\n"
                   "%3\n"
                   "\n"
                   "  -h, --help     show this help and exit\n"
                   "      --version  show the version and exit\n")
                   .arg(program, m_strFileArgument, m_strDescription)
                   .toStdString();
      m_nExitCode = FlushedStatus(*out_);
      return false;
    case CCommandLineInfo::AppVersion:
      *out_ << QStringLiteral("%1 %2\n")
                   .arg(m_strAppName, LoadVersionText())
                   .toStdString();
      m_nExitCode = FlushedStatus(*out_);
      return false;
    case CCommandLineInfo::AppUsageError:
      *err_ << QStringLiteral("%1: %2\nTry '%1 --help' for more information.\n")
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
  arguments_ = std::move(arguments);
  programName_ = std::move(programName);
}

void CWinApp::SetOutput(std::ostream& out, std::ostream& err) {
  out_ = &out;
  err_ = &err;
}

CSingleDocTemplate* CWinApp::GetDocTemplate() const {
  return templates_.empty() ? nullptr : templates_.front().get();
}

int AfxWinMain(int argc, char** argv) {
  CWinApp* app = AfxGetApp();
  if (app == nullptr) return 1;
  // The one place where start-up refuses, before anything else is done.
  const auto refuse = [argv](const QString& why) {
    std::cerr
        << QFileInfo(QString::fromLocal8Bit(argv[0])).fileName().toStdString()
        << ": " << why.toStdString() << '\n';
    return 1;
  };
  // Without its resources the program has no title, menus or windows, and
  // even --version would answer wrongly.
  if (const QString error = ResourceScriptError(); !error.isEmpty()) {
    return refuse(error);
  }
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
    return refuse(
        QStringLiteral("no display to show the window on (neither DISPLAY nor "
                       "WAYLAND_DISPLAY is set)"));
  }
  QApplication qtApp(argc, argv);
  if (!app->InitInstance()) return app->ExitInstance();
  return app->Run();
}

}  // namespace dalvren
