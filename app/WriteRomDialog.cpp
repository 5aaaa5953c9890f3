#include "app/WriteRomDialog.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>

#include "app/LoadRomDialog.h"
#include "app/ResourceIds.h"
#include "core/Plural.h"
#include "core/SpacedHex.h"
#include "framework/ModalHooks.h"

namespace dalvren {

namespace {

QLineEdit* Line(const CWnd& dialog, int id) {
  return qobject_cast<QLineEdit*>(dialog.GetDlgItem(id));
}

QString Shown(const QString& path) { return QDir::toNativeSeparators(path); }

// Whether `a` and `b` name the same file (both existing), or are the same
// text.
bool SameFile(const QString& a, const QString& b) {
  const QString ca = QFileInfo(a).canonicalFilePath();
  return a == b || (!ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath());
}

}  // namespace

CWriteRomDialog::CWriteRomDialog(std::string bytes, const QString& path,
                                 const QString& offset,
                                 std::optional<CLoadedRom> loaded)
    : CDialog(kIddWriteRom),
      m_strPath(path),
      m_strOffset(offset),
      bytes_(std::move(bytes)),
      loaded_(std::move(loaded)) {}

bool CWriteRomDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  SetDlgItemTextA(kIdcWriteCount, Plural(bytes_.size(), "byte", "bytes") +
                                      " from the ROM field.");
  Line(*this, kIdcWriteRom)->setText(m_strPath);
  Line(*this, kIdcWriteOffset)->setText(m_strOffset);
  CheckDlgButton(kIdcWriteToNewFile, BST_CHECKED);
  ShowState();
  return true;
}

void CWriteRomDialog::ShowState() {
  qobject_cast<QLabel*>(GetDlgItem(kIdcWriteSize))
      ->setText(RomSizeText(Line(*this, kIdcWriteRom)->text()));
  const bool newFile = IsDlgButtonChecked(kIdcWriteToNewFile) == BST_CHECKED;
  GetDlgItem(kIdcWriteNewFile)->setEnabled(newFile);
  GetDlgItem(kIdcWriteNewBrowse)->setEnabled(newFile);
}

void CWriteRomDialog::Browse(int field, bool save) {
  const QString chosen = AfxPromptFileName(QStringLiteral("Write ROM Bytes"),
                                           QStringLiteral("All Files (*)"),
                                           Line(*this, field)->text(), save);
  if (chosen.isEmpty()) return;
  Line(*this, field)->setText(chosen);
  // The save prompt asked already whether to replace it.
  if (save) agreedTarget_ = chosen;
}

bool CWriteRomDialog::OnCommand(unsigned id) {
  switch (id) {
    case kIdcWriteRom:
    case kIdcWriteToNewFile:
    case kIdcWriteToRom:
      ShowState();
      return true;
    case kIdcWriteBrowse:
      Browse(kIdcWriteRom, false);
      return true;
    case kIdcWriteNewBrowse:
      Browse(kIdcWriteNewFile, true);
      return true;
    default:
      return CDialog::OnCommand(id);
  }
}

bool CWriteRomDialog::Confirmed(const QString& rom, const QString& target,
                                bool intoRom, std::uint64_t offset) {
  if (!intoRom && target != agreedTarget_ && QFileInfo::exists(target) &&
      AfxMessageBox(QStringLiteral("\"%1\" exists already. Replace it?")
                        .arg(Shown(target)),
                    MB_YESNO | MB_ICONEXCLAMATION) != IDYES) {
    return false;
  }
  if (loaded_ && SameFile(loaded_->path, rom)) {
    CRomFileState now;
    if (RomFileStateOf(FileName(rom), &now).IsOk() &&
        !(now == loaded_->state) &&
        AfxMessageBox(QStringLiteral("\"%1\" has changed since its bytes were "
                                     "loaded. Write from it anyway?")
                          .arg(Shown(rom)),
                      MB_YESNO | MB_ICONEXCLAMATION) != IDYES) {
      return false;
    }
  }
  return !intoRom ||
         AfxMessageBox(
             QStringLiteral("Write %1 into \"%2\" at offset %3? The file is "
                            "replaced by a copy with these bytes.")
                 .arg(QString::fromStdString(
                          Plural(bytes_.size(), "byte", "bytes")),
                      Shown(rom), QString::fromStdString(OffsetText(offset))),
             MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void CWriteRomDialog::OnOK() {
  const QString rom = Line(*this, kIdcWriteRom)->text();
  const QString offsetText = Line(*this, kIdcWriteOffset)->text().trimmed();
  const bool intoRom = IsDlgButtonChecked(kIdcWriteToRom) == BST_CHECKED ||
                       SameFile(Line(*this, kIdcWriteNewFile)->text(), rom);
  const QString target = intoRom ? rom : Line(*this, kIdcWriteNewFile)->text();
  const auto refuse = [&target](const QString& why) {
    AfxMessageBox(
        QStringLiteral("Cannot write into \"%1\": %2.").arg(Shown(target), why),
        MB_ICONHAND);
  };
  if (target.isEmpty()) {
    AfxMessageBox(QStringLiteral("Choose the new file, or write into the ROM "
                                 "itself."),
                  MB_ICONHAND);
    return;
  }
  std::uint64_t offset = 0;
  if (CError error = offsetText.isEmpty()
                         ? CError()
                         : ParseByteCount(offsetText.toStdString(), &offset)
                               .WithContext("the offset");
      !error.IsOk()) {
    return refuse(QString::fromStdString(error.Message()));
  }
  // The ROM is only read; what is wrong with it is said of it.
  std::uint64_t size = 0;
  if (CError error = RomFileSize(FileName(rom), &size); !error.IsOk()) {
    AfxMessageBox(QStringLiteral("Cannot read \"%1\": %2.")
                      .arg(Shown(rom), QString::fromStdString(error.Message())),
                  MB_ICONHAND);
    return;
  }
  CRomWrite write;
  write.rom = FileName(rom);
  write.target = FileName(target);
  write.offset = offset;
  write.bytes = bytes_;
  write.grow = IsDlgButtonChecked(kIdcWriteGrow) == BST_CHECKED;
  // Refused before the user is asked anything.
  if (CError error = CheckRomWrite(write); !error.IsOk()) {
    return refuse(QString::fromStdString(error.Message()));
  }
  if (!Confirmed(rom, target, intoRom, offset)) return;
  if (CError error = WriteRomBytes(write); !error.IsOk()) {
    return refuse(QString::fromStdString(error.Message()));
  }
  m_strPath = rom;
  m_strOffset = offsetText;
  m_nOffset = offset;
  m_strTarget = target;
  EndDialog(IDOK);
}

}  // namespace dalvren
