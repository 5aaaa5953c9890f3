// Making a document file type known to a desktop that follows the
// freedesktop.org conventions: a shared-mime-info type, a desktop entry that
// opens such files, and icons for both, all for the current user.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace dalvren {

struct CShellFileType {
  QString appName;        // "Dalvren": the desktop entry's name
  QString exeName;        // "dalvren": names the entry and the program's icon
  QString exePath;        // the program to run
  QString typeId;         // "Thingy.Table": the registered type identifier
  QString typeName;       // "Thingy Table File"
  QString extension;      // ".tbl"
  bool shellOpen = true;  // the entry takes a file to open
  QStringList appIcons;   // icon files (PNG of any size, or SVG)
  QStringList typeIcons;
};

struct CShellFile {
  QString path;  // relative to the data home
  QByteArray contents;
};

// "Thingy.Table" -> "application/x-thingy-table".
[[nodiscard]] QString MimeTypeFor(const QString& typeId);

// The files that register `type`: the MIME package, the desktop entry and
// the icons by size under the hicolor theme.
[[nodiscard]] std::vector<CShellFile> ShellRegistrationFiles(
    const CShellFileType& type);

// The user's data home: $XDG_DATA_HOME when it is an absolute path, else
// ~/.local/share.
[[nodiscard]] QString XdgDataHome();

// What a registration did.
struct CShellRegistration {
  // The files written, relative to the data home.
  std::vector<QString> written;
  // Empty, or which file could not be written and why; writing stops there.
  QString error;
};

// Writes each file of `type` under `dataHome` that is missing or differs,
// and nothing anywhere else.
[[nodiscard]] CShellRegistration RegisterShellFileType(
    const QString& dataHome, const CShellFileType& type);

}  // namespace dalvren
