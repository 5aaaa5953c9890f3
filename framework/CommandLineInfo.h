// What the command line asks for: a new document, a file to open, help,
// the version, or nothing because it is wrong.
#pragma once

#include <QString>
#include <QStringList>

namespace dalvren {

class CCommandLineInfo {
 public:
  enum { FileNew, FileOpen, AppHelp, AppVersion, AppUsageError };

  // Reads `arguments` (without the program's name): at most one file name;
  // "-h" or "--help"; "--version"; "--" ends the options, so a file name
  // may start with "-". An unknown option or a second file name is a usage
  // error, explained in m_strError.
  void ParseArguments(const QStringList& arguments);

  int m_nShellCommand = FileNew;
  QString m_strFileName;
  QString m_strError;
};

}  // namespace dalvren
