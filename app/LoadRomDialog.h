// File > Load ROM Bytes: a file, an offset and a length; on OK the bytes
// are read, and a range that cannot be read is refused with the reason
// while the dialog stays open.
#pragma once

#include <QString>
#include <cstdint>
#include <string>

#include "framework/Dialog.h"
#include "rom/RomFile.h"

namespace dalvren {

// What the window says of a ROM file's size: "95 bytes (0x5F)", or why it
// has none ("no such file"); empty for no path.
[[nodiscard]] QString RomSizeText(const QString& path);

// `path` as the C library names it.
[[nodiscard]] std::string FileName(const QString& path);

class CLoadRomDialog : public CDialog {
 public:
  // Starts with the file `path` and the offset `offset` (as typed), and no
  // length, which reads to the end.
  CLoadRomDialog(const QString& path, const QString& offset);

  bool OnInitDialog() override;

  // After OK: the bytes read, the file and offset they came from (the
  // offset as typed, too), and what the file held.
  std::string m_bytes;
  QString m_strPath;
  QString m_strOffset;
  std::uint64_t m_nOffset = 0;
  CRomFileState m_state;

 protected:
  bool OnCommand(unsigned id) override;
  // Reads the range; shows why not and stays open when it cannot.
  void OnOK() override;

 private:
  void ShowSize();
};

}  // namespace dalvren
