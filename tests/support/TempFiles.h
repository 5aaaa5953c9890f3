// Files made for one test in a folder of its own, removed afterwards.
#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <string_view>

namespace dalvren::test {

class CTempFiles {
 public:
  // Writes `contents` to `name` in the folder; returns the file's path.
  QString Write(const QString& name, std::string_view contents) {
    const QString path = dir_.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
      file.write(contents.data(), static_cast<qint64>(contents.size()));
    }
    return path;
  }
  [[nodiscard]] QString Path(const QString& name) const {
    return dir_.filePath(name);
  }

 private:
  QTemporaryDir dir_;
};

}  // namespace dalvren::test
