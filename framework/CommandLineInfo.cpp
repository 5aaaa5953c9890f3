#include "framework/CommandLineInfo.h"

namespace dalvren {

void CCommandLineInfo::ParseArguments(const QStringList& arguments) {
  bool options = true;
  for (const QString& argument : arguments) {
    if (options && argument == QLatin1String("--")) {
      options = false;
    } else if (options && (argument == QLatin1String("-h") ||
                           argument == QLatin1String("--help"))) {
      m_nShellCommand = AppHelp;
      return;
    } else if (options && argument == QLatin1String("--version")) {
      m_nShellCommand = AppVersion;
      return;
    } else if (options && argument.size() > 1 &&
               argument.startsWith(QLatin1Char('-'))) {
      m_nShellCommand = AppUsageError;
      m_strError = QStringLiteral("unknown option '%1'").arg(argument);
      return;
    } else if (m_nShellCommand == FileOpen) {
      m_nShellCommand = AppUsageError;
      m_strError = QStringLiteral("more than one file given");
      return;
    } else {
      m_nShellCommand = FileOpen;
      m_strFileName = argument;
    }
  }
}

}  // namespace dalvren
