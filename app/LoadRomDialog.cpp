#include "app/LoadRomDialog.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <optional>

#include "app/ResourceIds.h"
#include "core/Plural.h"
#include "framework/ModalHooks.h"

namespace dalvren {

namespace {

QString Text(const CWnd& dialog, int id) {
  return qobject_cast<QLineEdit*>(dialog.GetDlgItem(id))->text();
}

}  // namespace

QString RomSizeText(const QString& path) {
  if (path.isEmpty()) return {};
  std::uint64_t size = 0;
  const CError error = RomFileSize(FileName(path), &size);
  if (!error.IsOk()) return QString::fromStdString(error.Message());
  return QString::fromStdString(Plural(size, "byte", "bytes")) +
         QStringLiteral(" (0x%1)").arg(QString::number(size, 16).toUpper());
}

std::string FileName(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

CLoadRomDialog::CLoadRomDialog(const QString& path, const QString& offset)
    : CDialog(kIddLoadRom), m_strPath(path), m_strOffset(offset) {}

bool CLoadRomDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  qobject_cast<QLineEdit*>(GetDlgItem(kIdcLoadFile))->setText(m_strPath);
  qobject_cast<QLineEdit*>(GetDlgItem(kIdcLoadOffset))->setText(m_strOffset);
  ShowSize();
  return true;
}

void CLoadRomDialog::ShowSize() {
  qobject_cast<QLabel*>(GetDlgItem(kIdcLoadSize))
      ->setText(RomSizeText(Text(*this, kIdcLoadFile)));
}

bool CLoadRomDialog::OnCommand(unsigned id) {
  if (id == kIdcLoadFile) {
    ShowSize();
    return true;
  }
  if (id == kIdcLoadBrowse) {
    const QString chosen = AfxPromptFileName(QStringLiteral("Load ROM Bytes"),
                                             QStringLiteral("All Files (*)"),
                                             Text(*this, kIdcLoadFile), false);
    if (!chosen.isEmpty()) {
      qobject_cast<QLineEdit*>(GetDlgItem(kIdcLoadFile))->setText(chosen);
    }
    return true;
  }
  return CDialog::OnCommand(id);
}

void CLoadRomDialog::OnOK() {
  const QString path = Text(*this, kIdcLoadFile);
  const QString offsetText = Text(*this, kIdcLoadOffset);
  const QString lengthText = Text(*this, kIdcLoadLength);
  const auto refuse = [&path](const std::string& why) {
    AfxMessageBox(
        QStringLiteral("Cannot load bytes from \"%1\": %2.")
            .arg(QDir::toNativeSeparators(path), QString::fromStdString(why)),
        MB_ICONHAND);
  };
  std::uint64_t offset = 0;
  std::optional<std::uint64_t> length;
  CError error = offsetText.trimmed().isEmpty()
                     ? CError()
                     : ParseByteCount(offsetText.toStdString(), &offset)
                           .WithContext("the offset");
  if (error.IsOk() && !lengthText.trimmed().isEmpty()) {
    length.emplace();
    error = ParseByteCount(lengthText.toStdString(), &*length)
                .WithContext("the length");
  }
  if (error.IsOk()) {
    error = ReadRomRange(FileName(path), offset, length, &m_bytes, &m_state);
  }
  if (!error.IsOk()) return refuse(error.Message());
  m_strPath = path;
  m_strOffset = offsetText.trimmed();
  m_nOffset = offset;
  EndDialog(IDOK);
}

}  // namespace dalvren
