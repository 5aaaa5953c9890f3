// File > Write ROM Bytes: the ROM field's bytes into a ROM file at an
// offset, either into a new file (a copy of the ROM with the bytes in
// place) or into the ROM itself after a confirmation that names the offset
// and the byte count. On OK the file is written; a write that cannot be
// made is refused with the reason while the dialog stays open.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>

#include "framework/Dialog.h"
#include "rom/RomFile.h"

namespace dalvren {

// A ROM file as its bytes were loaded, to tell that it changed since.
struct CLoadedRom {
  QString path;
  CRomFileState state;
};

class CWriteRomDialog : public CDialog {
 public:
  // Writes `bytes`; starts with the ROM `path` and the offset `offset` (as
  // typed). `loaded`, when given, is the ROM bytes were last loaded from:
  // writing from it once it changed asks first.
  CWriteRomDialog(std::string bytes, const QString& path, const QString& offset,
                  std::optional<CLoadedRom> loaded);

  bool OnInitDialog() override;

  // After OK: the ROM and the offset (as typed, too), and the file written.
  QString m_strPath;
  QString m_strOffset;
  std::uint64_t m_nOffset = 0;
  QString m_strTarget;

 protected:
  bool OnCommand(unsigned id) override;
  // Writes, after the questions; shows why not and stays open when it
  // cannot.
  void OnOK() override;

 private:
  // Whether the user agrees to replace an existing new file `target` (one
  // not chosen through the save prompt), to write from `rom` though it
  // changed since it was loaded, and to write into `rom` itself; asked by
  // message boxes.
  bool Confirmed(const QString& rom, const QString& target, bool intoRom,
                 std::uint64_t offset);
  void Browse(int field, bool save);
  void ShowState();

  std::string bytes_;
  std::optional<CLoadedRom> loaded_;
  // The new file the save prompt chose, and so agreed to replace.
  QString agreedTarget_;
};

}  // namespace dalvren
