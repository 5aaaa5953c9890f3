#include "framework/ShellRegistration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSaveFile>

namespace dalvren {

namespace {

// A desktop-entry Exec argument, quoted when it holds anything but plain
// path characters.
QString ExecArgument(const QString& path) {
  static const QString kPlain = QStringLiteral(
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789/._-+");
  bool plain = !path.isEmpty();
  for (QChar c : path) plain = plain && kPlain.contains(c);
  if (plain) return path;
  QString quoted = path;
  for (const char* special : {"\\", "\"", "`", "$"}) {
    quoted.replace(QLatin1String(special),
                   QLatin1String("\\") + QLatin1String(special));
  }
  // The entry's string escapes come first, so backslashes double again.
  quoted.replace(QLatin1String("\\"), QLatin1String("\\\\"));
  return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// "icons/hicolor/32x32/apps/NAME.png" for a 32-pixel PNG, "scalable" for SVG.
QString IconPath(const QString& source, const QString& context,
                 const QString& name) {
  const QString suffix = QFileInfo(source).suffix().toLower();
  const QString size =
      suffix == QLatin1String("svg")
          ? QStringLiteral("scalable")
          : QStringLiteral("%1x%1").arg(QImageReader(source).size().width());
  return QStringLiteral("icons/hicolor/%1/%2/%3.%4")
      .arg(size, context, name, suffix);
}

}  // namespace

QString MimeTypeFor(const QString& typeId) {
  return QStringLiteral("application/x-") +
         typeId.toLower().replace(QLatin1Char('.'), QLatin1Char('-'));
}

std::vector<CShellFile> ShellRegistrationFiles(const CShellFileType& type) {
  const QString mime = MimeTypeFor(type.typeId);
  const QString mimeIcon =
      QString(mime).replace(QLatin1Char('/'), QLatin1Char('-'));
  std::vector<CShellFile> files;
  files.push_back(
      {QStringLiteral("mime/packages/%1.xml").arg(type.exeName),
       QStringLiteral(
           "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<mime-info "
           "xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
           "  <mime-type type=\"%1\">\n"
           "    <comment>%2</comment>\n"
           "    <sub-class-of type=\"text/plain\"/>\n"
           "    <icon name=\"%3\"/>\n"
           "    <glob pattern=\"*%4\"/>\n"
           "  </mime-type>\n"
           "</mime-info>\n")
           .arg(mime, type.typeName.toHtmlEscaped(), mimeIcon, type.extension)
           .toUtf8()});
  QString exec = ExecArgument(type.exePath);
  if (type.shellOpen) exec += QStringLiteral(" %f");
  files.push_back(
      {QStringLiteral("applications/%1.desktop").arg(type.exeName),
       QStringLiteral("[Desktop Entry]\n"
                      "Type=Application\n"
                      "Name=%1\n"
                      "Comment=Open %2s\n"
                      "Exec=%3\n"
                      "Icon=%4\n"
                      "Terminal=false\n"
                      "Categories=Development;Utility;\n"
                      "MimeType=%5;\n")
           .arg(type.appName, type.typeName, exec, type.exeName, mime)
           .toUtf8()});
  for (const QString& icon : type.appIcons) {
    files.push_back(
        {IconPath(icon, QStringLiteral("apps"), type.exeName), ReadFile(icon)});
  }
  for (const QString& icon : type.typeIcons) {
    files.push_back({IconPath(icon, QStringLiteral("mimetypes"), mimeIcon),
                     ReadFile(icon)});
  }
  return files;
}

QString XdgDataHome() {
  QString home = qEnvironmentVariable("XDG_DATA_HOME");
  if (QDir::isAbsolutePath(home)) return home;
  return QDir::homePath() + QStringLiteral("/.local/share");
}

CShellRegistration RegisterShellFileType(const QString& dataHome,
                                         const CShellFileType& type) {
  CShellRegistration done;
  const QDir root(dataHome);
  for (const CShellFile& file : ShellRegistrationFiles(type)) {
    const QString target = root.filePath(file.path);
    if (ReadFile(target) == file.contents && QFileInfo::exists(target))
      continue;
    const QString folder = QFileInfo(target).path();
    if (!root.mkpath(QFileInfo(file.path).path())) {
      done.error = QStringLiteral("cannot make the folder %1").arg(folder);
      break;
    }
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly) || out.write(file.contents) < 0 ||
        !out.commit()) {
      done.error =
          QStringLiteral("cannot write %1: %2").arg(target, out.errorString());
      break;
    }
    done.written.push_back(file.path);
  }
  return done;
}

}  // namespace dalvren
