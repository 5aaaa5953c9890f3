// The list of recently opened files, most recent first, kept in the
// program's settings.
#pragma once

#include <QString>
#include <QStringList>

class QSettings;

namespace dalvren {

class CRecentFileList {
 public:
  // A list of at most `size` entries, kept in settings group `section` as
  // keys "File1", "File2", ...
  CRecentFileList(QString section, int size);

  // Puts `path` first, dropping an earlier entry for the same path and the
  // oldest entry past the size.
  void Add(const QString& path);
  void Remove(int index);

  [[nodiscard]] int GetSize() const { return static_cast<int>(files_.size()); }
  [[nodiscard]] const QString& operator[](int index) const {
    return files_[index];
  }
  // "&N NAME", menu text: the file's name, or its whole path where two
  // entries share a name, with each "&" in it doubled so that it shows as
  // written.
  [[nodiscard]] QString GetDisplayName(int index) const;

  void ReadList(QSettings& settings);
  void WriteList(QSettings& settings) const;

 private:
  QString section_;
  int size_;
  QStringList files_;
};

}  // namespace dalvren
