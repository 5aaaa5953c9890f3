#include "framework/RecentFileList.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace dalvren {

namespace {

QString Key(int index) { return QStringLiteral("File%1").arg(index + 1); }

}  // namespace

CRecentFileList::CRecentFileList(QString section, int size)
    : section_(std::move(section)), size_(size) {}

void CRecentFileList::Add(const QString& path) {
  files_.removeAll(path);
  files_.prepend(path);
  while (files_.size() > size_) files_.removeLast();
}

void CRecentFileList::Remove(int index) {
  if (index >= 0 && index < GetSize()) files_.removeAt(index);
}

QString CRecentFileList::GetDisplayName(int index) const {
  const QString name = QFileInfo(files_[index]).fileName();
  int sharing = 0;
  for (const QString& file : files_) {
    if (QFileInfo(file).fileName() == name) ++sharing;
  }
  QString shown = sharing > 1 ? QDir::toNativeSeparators(files_[index]) : name;
  // A menu takes "&" as the mark of its mnemonic; the number is the only one.
  shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
  return QStringLiteral("&%1 %2").arg(index + 1).arg(shown);
}

void CRecentFileList::ReadList(QSettings& settings) {
  files_.clear();
  settings.beginGroup(section_);
  for (int i = 0; i < size_; ++i) {
    const QString file = settings.value(Key(i)).toString();
    if (!file.isEmpty() && !files_.contains(file)) files_.append(file);
  }
  settings.endGroup();
}

void CRecentFileList::WriteList(QSettings& settings) const {
  settings.remove(section_);
  settings.beginGroup(section_);
  for (int i = 0; i < GetSize(); ++i) settings.setValue(Key(i), files_[i]);
  settings.endGroup();
}

}  // namespace dalvren
