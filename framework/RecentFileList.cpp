#include "framework/RecentFileList.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace dalvren {

namespace {

QString Key(int index) { return QStringLiteral("File%1").arg(index + 1); }

}  // namespace

CRecentFileList::CRecentFileList(QString section, int size)
    : m_section(std::move(section)), m_size(size) {}

void CRecentFileList::Add(const QString& path) {
  m_files.removeAll(path);
  m_files.prepend(path);
  while (m_files.size() > m_size) m_files.removeLast();
}

void CRecentFileList::Remove(int index) {
  if (index >= 0 && index < GetSize()) m_files.removeAt(index);
}

QString CRecentFileList::GetDisplayName(int index) const {
  const QString name = QFileInfo(m_files[index]).fileName();
  int sharing = 0;
  for (const QString& file : m_files) {
    if (QFileInfo(file).fileName() == name) ++sharing;
  }
  QString shown = sharing > 1 ? QDir::toNativeSeparators(m_files[index]) : name;
  // A menu takes "&" as the mark of its mnemonic; the number is the only one.
  shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
  return QStringLiteral("&%1 %2").arg(index + 1).arg(shown);
}

void CRecentFileList::ReadList(QSettings& settings) {
  m_files.clear();
  settings.beginGroup(m_section);
  for (int i = 0; i < m_size; ++i) {
    const QString file = settings.value(Key(i)).toString();
    if (!file.isEmpty() && !m_files.contains(file)) m_files.append(file);
  }
  settings.endGroup();
}

void CRecentFileList::WriteList(QSettings& settings) const {
  settings.remove(m_section);
  settings.beginGroup(m_section);
  for (int i = 0; i < GetSize(); ++i) settings.setValue(Key(i), m_files[i]);
  settings.endGroup();
}

}  // namespace dalvren
