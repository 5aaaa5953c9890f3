// The converter form: the ROM field, the Dump field, their "Hex" boxes and
// the two conversion buttons; and around them the commands on the fields
// (undo, find and replace, ROM bytes and the Dump's file) and what the status
// bar says of them.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/Conversion.h"
#include "app/FieldSearch.h"
#include "app/WriteRomDialog.h"
#include "framework/FormView.h"
#include "framework/RuntimeClass.h"

class QTimer;

namespace dalvren {

class CDalvrenDoc;
class CEditField;

class CDalvrenView : public CFormView {
 public:
  static const CRuntimeClass<CView> kRuntimeClass;

  CDalvrenView();

  bool PreCreateWindow(CREATESTRUCT& cs) override;
  // Shows the options in their boxes and fits the frame to the form; from
  // then on the status bar counts what the fields hold as they change.
  void OnInitialUpdate() override;
  // Says in the status bar what the table just opened holds.
  void OnUpdate(CView* sender) override;
  // A file dropped on the ROM field that is no .tbl file: asks whether to
  // open it as the table or to load its bytes.
  bool OnDropFile(const QString& path, QWidget* target) override;

  [[nodiscard]] CDalvrenDoc* GetDocument() const;

  // 1 when the Dump field holds hexadecimal digits.
  int m_bDumpHex = 0;
  // 1 when the ROM field holds hexadecimal digits.
  int m_bRomHex = 1;
  // How long, in milliseconds, filling a field may take before a progress
  // bar and a Cancel button show.
  int m_nProgressDelay = 500;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  bool OnCommand(unsigned id) override;

 private:
  void OnRomHex();
  void OnDumpHex();
  void OnRomToDump();
  void OnDumpToRom();
  void OnOpenDump();
  void OnSaveDumpAs();
  void OnLoadRom();
  void OnWriteRom();
  void OnEditUndo();
  void OnEditRedo();
  void OnEditFind();
  void OnEditRepeat();
  void OnEditReplace();
  void OnTableReport();

  // Converts the text of the source field of `direction` into its target
  // field, each in the mode its Hex box gives, or shows why not.
  void Convert(ConvertDirection direction);
  // Replaces the text of field `id` with `bytes` as one edit that Undo
  // takes back; when that takes long, with a progress bar and Cancel
  // (`what` says what is going on). False when it was cancelled.
  bool SetFieldBytes(int id, std::string_view bytes, const QString& what);
  // Offers the Load ROM Bytes dialog for `path` at `offset`; loads the
  // bytes into the ROM field on OK.
  void LoadRom(const QString& path, const QString& offset);
  // Find and Replace on the field that was used last.
  void OpenFind(bool replace);

  [[nodiscard]] CEditField* Field(int id) const;
  // The field the Edit commands act on: the field with the focus, or the
  // one that had it or took a conversion's result last.
  [[nodiscard]] int ActiveField() const { return activeField_; }
  [[nodiscard]] bool FieldIsHex(int id) const;
  // Shows `text` in the status bar's message pane.
  void ShowStatus(const QString& text);
  // What field `id` holds as the status bar counts it (CountFieldText),
  // counted again only when it changed since.
  std::uint64_t CountOf(int id);
  // Shows what the fields hold in the status bar.
  void CountFields();

  // A field's count, and whether the field changed since it was made.
  struct CTally {
    std::uint64_t count = 0;
    bool stale = true;
  };
  // Of the ROM field and of the Dump field.
  CTally tallies_[2];
  int activeField_;
  QTimer* countTimer_ = nullptr;
  // What Find Next looks for.
  CSearch search_;
  // The ROM file and offset last used, kept until the program exits, and
  // the file as it was when bytes were last loaded from it.
  QString romPath_;
  QString romOffset_ = QStringLiteral("0");
  std::optional<CLoadedRom> loadedRom_;
};

}  // namespace dalvren
