// The application object: start-up, the document templates, the commands
// every application shares (new, open, recent files), settings and the
// desktop's file-type registration. Exactly one exists at a time.
#pragma once

#include <QString>
#include <QStringList>
#include <iosfwd>
#include <memory>
#include <vector>

#include "framework/RecentFileList.h"

namespace dalvren {

class CCommandLineInfo;
class CDocument;
class CFrameWnd;
class CSingleDocTemplate;

class CWinApp {
 public:
  CWinApp();
  virtual ~CWinApp();

  // There is one application.
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // Starts the application; false ends the program with m_nExitCode.
  virtual bool InitInstance();
  // Closes every window and document. Returns m_nExitCode. The run loop
  // (Run, AfxWinMain) calls it once; the destructor does not, but closes
  // what is left all the same.
  virtual int ExitInstance();
  // Runs the message loop until the main window closes; returns its code.
  int Run();

  // Handles command `id`: the recent-file entries here; derived
  // applications add their own.
  virtual bool OnCmdMsg(unsigned id);

  // New: a new, empty document. Open: prompts for a file (the document
  // string's filter, then all files) and opens it.
  void OnFileNew();
  void OnFileOpen();
  // Opens `path` as the document; null on failure (already reported).
  CDocument* OpenDocumentFile(const QString& path);

  // Start-up steps.
  void Enable3dControls();
  // Keeps the settings under organisation `key` and application
  // m_strAppName.
  void SetRegistryKey(const QString& key);
  // Reads the recent-file list of `maxRecentFiles` entries.
  void LoadStdProfileSettings(int maxRecentFiles = 4);
  void AddDocTemplate(std::unique_ptr<CSingleDocTemplate> docTemplate);
  // Lets the desktop hand the program files to open.
  void EnableShellOpen();
  // Registers the document type with the user's desktop (see
  // ShellRegistration.h) when the registration is missing or differs.
  void RegisterShellFileTypes(bool compat = false);
  // Reads the command line given by SetArguments.
  void ParseCommandLine(CCommandLineInfo& info);
  // Carries out `info`: makes or opens the first document, or answers help
  // and version on standard output, or a usage error on standard error.
  // True only when a document is in place and the main window exists.
  bool ProcessShellCommand(CCommandLineInfo& info);

  void AddToRecentFileList(const QString& path);
  [[nodiscard]] const CRecentFileList& RecentFiles() const {
    return recentFiles_;
  }

  // The program's arguments, without its name.
  void SetArguments(QStringList arguments, QString programName);
  // Where help and version (out) and usage errors (err) are written.
  void SetOutput(std::ostream& out, std::ostream& err);

  [[nodiscard]] CSingleDocTemplate* GetDocTemplate() const;

  QString m_strAppName;             // the application title
  QString m_strRegistryKey;         // settings organisation
  CFrameWnd* m_pMainWnd = nullptr;  // owned by its template
  int m_nExitCode = 1;
  // What --help calls the file argument, and what it says the program does.
  QString m_strFileArgument = QStringLiteral("FILE");
  QString m_strDescription;

 private:
  void SaveRecentFileList();
  // Destroys the templates with their documents and windows.
  void CloseAll();

  std::vector<std::unique_ptr<CSingleDocTemplate>> templates_;
  CRecentFileList recentFiles_;
  QStringList arguments_;
  QString programName_;
  bool shellOpen_ = false;
  std::ostream* out_;
  std::ostream* err_;
};

// Runs the application object from program start to end: answers help and
// version without a window, refuses clearly when there is no display to
// show one on, then InitInstance, the message loop and ExitInstance.
// Returns the process's exit status.
int AfxWinMain(int argc, char** argv);

// The one application object, or null before it is made.
[[nodiscard]] CWinApp* AfxGetApp();

}  // namespace dalvren
