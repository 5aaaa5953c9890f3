#include "framework/Document.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <system_error>

#include "framework/ModalHooks.h"

namespace dalvren {

CDocument::CDocument() = default;
CDocument::~CDocument() = default;

bool CDocument::OnNewDocument() {
  pathName_.clear();
  title_ = QStringLiteral("Untitled");
  return true;
}

bool CDocument::OnOpenDocument(const QString& path) {
  const auto report = [&path](const QString& why) {
    AfxMessageBox(QStringLiteral("Cannot open \"%1\": %2.")
                      .arg(QDir::toNativeSeparators(path), why),
                  MB_ICONHAND);
    return false;
  };
  std::error_code error;
  const auto status =
      std::filesystem::status(QFile::encodeName(path).toStdString(), error);
  if (status.type() == std::filesystem::file_type::not_found) {
    return report(QStringLiteral("no such file"));
  }
  if (error) return report(QString::fromStdString(error.message()));
  if (std::filesystem::is_directory(status)) {
    return report(QStringLiteral("it is a folder"));
  }
  if (!std::filesystem::is_regular_file(status)) {
    return report(QStringLiteral("it is not a regular file"));
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return report(file.errorString());
  Serialize(file);
  return true;
}

void CDocument::Serialize(QIODevice& /*file*/) {}

bool CDocument::OnCmdMsg(unsigned /*id*/) { return false; }

void CDocument::SetPathName(const QString& path) {
  pathName_ = path;
  title_ = QFileInfo(path).fileName();
}

}  // namespace dalvren
