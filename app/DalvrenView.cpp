#include "app/DalvrenView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSaveFile>
#include <QTimer>

#include "app/DalvrenDoc.h"
#include "app/DroppedFileDialog.h"
#include "app/FieldCount.h"
#include "app/FindDialog.h"
#include "app/LoadRomDialog.h"
#include "app/ResourceIds.h"
#include "app/StatusText.h"
#include "app/TableReportDialog.h"
#include "core/Plural.h"
#include "core/SpacedHex.h"
#include "framework/CommandMap.h"
#include "framework/DataExchange.h"
#include "framework/EditField.h"
#include "framework/FieldText.h"
#include "framework/FrameWnd.h"
#include "framework/ModalHooks.h"
#include "framework/Resource.h"
#include "framework/StatusBar.h"
#include "framework/WaitCursor.h"

namespace dalvren {

namespace {

// How long after the last change the fields are counted again: counting
// reads a whole field, which typing must not wait for.
constexpr int kCountDelay = 200;

QString FromUtf8(const std::string& text) {
  return QString::fromStdString(text);
}

QString Shown(const QString& path) { return QDir::toNativeSeparators(path); }

}  // namespace

const CRuntimeClass<CView> CDalvrenView::kRuntimeClass =
    MakeRuntimeClass<CDalvrenView, CView>("CDalvrenView");

CDalvrenView::CDalvrenView() : CFormView(kIddForm), activeField_(kIdcRom) {}

bool CDalvrenView::PreCreateWindow(CREATESTRUCT& cs) {
  return CView::PreCreateWindow(cs);
}

void CDalvrenView::OnInitialUpdate() {
  CFormView::OnInitialUpdate();
  GetParentFrame()->RecalcLayout();
  ResizeParentToFit();
  countTimer_ = new QTimer(this);
  countTimer_->setSingleShot(true);
  countTimer_->setInterval(kCountDelay);
  connect(countTimer_, &QTimer::timeout, this, [this] { CountFields(); });
  for (const int id : {kIdcRom, kIdcDump}) {
    connect(Field(id), &QPlainTextEdit::textChanged, this, [this, id] {
      tallies_[id == kIdcRom ? 0 : 1].stale = true;
      countTimer_->start();
    });
  }
  connect(qApp, &QApplication::focusChanged, this,
          [this](QWidget*, QWidget* now) {
            for (const int id : {kIdcRom, kIdcDump}) {
              if (now == Field(id)) activeField_ = id;
            }
          });
  CountFields();
}

void CDalvrenView::OnUpdate(CView* /*sender*/) {
  const CDalvrenDoc* document = GetDocument();
  if (document == nullptr || document->m_pTable == nullptr) {
    ShowStatus(LoadResourceString(AFX_IDS_IDLEMESSAGE));
    return;
  }
  ShowStatus(FromUtf8(
      TableStatus(document->GetTitle().toStdString(), document->m_counts)));
}

CDalvrenDoc* CDalvrenView::GetDocument() const {
  return static_cast<CDalvrenDoc*>(CView::GetDocument());
}

void CDalvrenView::DoDataExchange(CDataExchange* pDX) {
  CFormView::DoDataExchange(pDX);
  DDX_Check(pDX, kIdcDumpHex, m_bDumpHex);
  DDX_Check(pDX, kIdcRomHex, m_bRomHex);
}

bool CDalvrenView::OnCommand(unsigned id) {
  static constexpr CCommandEntry<CDalvrenView> kMessageMap[] = {
      {kIdcRomHex, &CDalvrenView::OnRomHex},
      {kIdcDumpHex, &CDalvrenView::OnDumpHex},
      {kIdcRomToDump, &CDalvrenView::OnRomToDump},
      {kIdcDumpToRom, &CDalvrenView::OnDumpToRom},
      {kIdFileOpenDump, &CDalvrenView::OnOpenDump},
      {kIdFileSaveDumpAs, &CDalvrenView::OnSaveDumpAs},
      {kIdFileLoadRom, &CDalvrenView::OnLoadRom},
      {kIdFileWriteRom, &CDalvrenView::OnWriteRom},
      {ID_EDIT_UNDO, &CDalvrenView::OnEditUndo},
      {ID_EDIT_REDO, &CDalvrenView::OnEditRedo},
      {ID_EDIT_FIND, &CDalvrenView::OnEditFind},
      {ID_EDIT_REPEAT, &CDalvrenView::OnEditRepeat},
      {ID_EDIT_REPLACE, &CDalvrenView::OnEditReplace},
      {kIdViewTableReport, &CDalvrenView::OnTableReport},
  };
  return DispatchCommand(*this, kMessageMap, id);
}

CEditField* CDalvrenView::Field(int id) const {
  return dynamic_cast<CEditField*>(GetDlgItem(id));
}

bool CDalvrenView::FieldIsHex(int id) const {
  return (id == kIdcRom ? m_bRomHex : m_bDumpHex) != 0;
}

void CDalvrenView::ShowStatus(const QString& text) {
  if (CFrameWnd* frame = GetParentFrame()) {
    if (CStatusBar* bar = frame->GetStatusBar()) bar->SetPaneText(0, text);
  }
}

std::uint64_t CDalvrenView::CountOf(int id) {
  CTally& tally = tallies_[id == kIdcRom ? 0 : 1];
  if (tally.stale) {
    tally.count = CountFieldText(Field(id)->FieldText(), FieldIsHex(id));
    tally.stale = false;
  }
  return tally.count;
}

void CDalvrenView::CountFields() {
  if (countTimer_ != nullptr) countTimer_->stop();
  CFrameWnd* frame = GetParentFrame();
  CStatusBar* bar = frame != nullptr ? frame->GetStatusBar() : nullptr;
  if (bar == nullptr) return;
  bar->SetPaneText(1, FromUtf8(FieldCounts(CountOf(kIdcRom), CountOf(kIdcDump),
                                           m_bDumpHex != 0)));
}

void CDalvrenView::OnRomHex() {
  m_bRomHex = IsDlgButtonChecked(kIdcRomHex) == BST_CHECKED ? 1 : 0;
  tallies_[0].stale = true;
  CountFields();
}

void CDalvrenView::OnDumpHex() {
  m_bDumpHex = IsDlgButtonChecked(kIdcDumpHex) == BST_CHECKED ? 1 : 0;
  tallies_[1].stale = true;
  CountFields();
}

void CDalvrenView::OnRomToDump() { Convert(ConvertDirection::kRomToDump); }

void CDalvrenView::OnDumpToRom() { Convert(ConvertDirection::kDumpToRom); }

void CDalvrenView::Convert(ConvertDirection direction) {
  const bool romToDump = direction == ConvertDirection::kRomToDump;
  const int from = romToDump ? kIdcRom : kIdcDump;
  const int to = romToDump ? kIdcDump : kIdcRom;
  CConvertOptions options;
  options.sourceHex = FieldIsHex(from);
  options.targetHex = FieldIsHex(to);
  const CDalvrenDoc* document = GetDocument();
  CError status;
  CConvertReport report;
  bool done = false;
  std::uint64_t romBefore = 0;
  {
    const CWaitCursor busy;
    if (!romToDump) romBefore = CountOf(kIdcRom);
    std::string text;
    status =
        ConvertText(document != nullptr ? document->m_pTable.get() : nullptr,
                    direction, GetDlgItemTextA(from), options, &text, &report);
    if (status.IsOk()) {
      done = SetFieldBytes(to, text,
                           romToDump ? QStringLiteral("Filling the Dump field")
                                     : QStringLiteral("Filling the ROM field"));
    }
  }
  // The one place a conversion's failure reaches the user.
  if (!status.IsOk()) {
    AfxMessageBox(QString::fromStdString(status.Message()), MB_ICONHAND);
    return;
  }
  activeField_ = to;
  CountFields();
  ShowStatus(done ? FromUtf8(ConversionStatus(
                        direction, report, options.sourceHex, options.targetHex,
                        romBefore, CountOf(to)))
                  : QStringLiteral("Cancelled: the field keeps its text."));
}

bool CDalvrenView::SetFieldBytes(int id, std::string_view bytes,
                                 const QString& what) {
  CFrameWnd* frame = GetParentFrame();
  CStatusBar* bar = frame != nullptr ? frame->GetStatusBar() : nullptr;
  QElapsedTimer clock;
  clock.start();
  bool shown = false;
  const QString text = FieldTextFromBytes(bytes);
  // Counted here, where the text is at hand, not read back from the field.
  const std::uint64_t count = CountFieldText(text, FieldIsHex(id));
  const bool done =
      Field(id)->SetText(text, [&](qsizetype got, qsizetype total) {
        if (bar == nullptr) return true;
        if (!shown) {
          if (clock.elapsed() < m_nProgressDelay) return true;
          shown = true;
          frame->SetBusy(true);
          // The Cancel button must look clickable.
          QGuiApplication::changeOverrideCursor(Qt::BusyCursor);
          bar->BeginProgress(what + QStringLiteral("..."));
        }
        return bar->StepProgress(got, total);
      });
  if (shown) {
    bar->EndProgress();
    frame->SetBusy(false);
    QGuiApplication::changeOverrideCursor(Qt::WaitCursor);
  }
  if (done) tallies_[id == kIdcRom ? 0 : 1] = {count, false};
  return done;
}

void CDalvrenView::OnEditUndo() { Field(ActiveField())->undo(); }

void CDalvrenView::OnEditRedo() { Field(ActiveField())->redo(); }

void CDalvrenView::OnEditFind() { OpenFind(false); }

void CDalvrenView::OnEditReplace() { OpenFind(true); }

void CDalvrenView::OpenFind(bool replace) {
  const int id = ActiveField();
  const bool hex = FieldIsHex(id);
  const QString where =
      id == kIdcRom
          ? (hex ? QStringLiteral("In the ROM field, as hexadecimal bytes.")
                 : QStringLiteral("In the ROM field, as text."))
          : (hex ? QStringLiteral("In the Dump field, as hexadecimal bytes.")
                 : QStringLiteral("In the Dump field, as text."));
  CFindDialog dialog(*Field(id), hex, where, replace, &search_);
  dialog.DoModal();
  Field(id)->setFocus();
}

void CDalvrenView::OnEditRepeat() {
  const int id = ActiveField();
  CSearch search = search_;
  search.hex = FieldIsHex(id);
  const bool usable = search.hex ? HexProblem(search.what, false).isEmpty()
                                 : !search.what.isEmpty();
  if (!usable) return OpenFind(false);
  if (!FindNext(*Field(id), search)) {
    ShowStatus(QStringLiteral("\"%1\" is not in the %2 field.")
                   .arg(search.what, id == kIdcRom ? QStringLiteral("ROM")
                                                   : QStringLiteral("Dump")));
  }
}

void CDalvrenView::OnTableReport() {
  const CDalvrenDoc* document = GetDocument();
  if (document == nullptr || document->m_pTable == nullptr) {
    AfxMessageBox(QString::fromLatin1(kNoTableMessage), MB_ICONHAND);
    return;
  }
  CTableReportDialog dialog(document->GetPathName(), document->m_strReport);
  dialog.DoModal();
}

void CDalvrenView::OnOpenDump() {
  const QString path = AfxPromptFileName(
      QStringLiteral("Open Dump"),
      QStringLiteral("Text Files (*.txt);;All Files (*)"), QString(), false);
  if (path.isEmpty()) return;
  std::uint64_t size = 0;
  std::string bytes;
  CRomFileState state;
  CError error = RomFileSize(FileName(path), &size);
  if (error.IsOk() && size > 0) {
    error = ReadRomRange(FileName(path), 0, std::nullopt, &bytes, &state);
  }
  if (!error.IsOk()) {
    AfxMessageBox(QStringLiteral("Cannot open \"%1\": %2.")
                      .arg(Shown(path), FromUtf8(error.Message())),
                  MB_ICONHAND);
    return;
  }
  if (SetFieldBytes(kIdcDump, bytes, QStringLiteral("Opening the Dump"))) {
    activeField_ = kIdcDump;
    ShowStatus(QStringLiteral("Dump: %1 from %2")
                   .arg(FromUtf8(Plural(size, "byte", "bytes")),
                        QFileInfo(path).fileName()));
  }
}

void CDalvrenView::OnSaveDumpAs() {
  const QString path = AfxPromptFileName(
      QStringLiteral("Save Dump As"),
      QStringLiteral("Text Files (*.txt);;All Files (*)"), QString(), true);
  if (path.isEmpty()) return;
  const std::string bytes = GetDlgItemTextA(kIdcDump);
  // Written beside the file and renamed into place: all of it or nothing.
  QSaveFile file(path);
  const bool saved =
      file.open(QIODevice::WriteOnly) &&
      file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
          static_cast<qint64>(bytes.size()) &&
      file.commit();
  if (!saved) {
    AfxMessageBox(QStringLiteral("Cannot save \"%1\": %2.")
                      .arg(Shown(path), file.errorString()),
                  MB_ICONHAND);
    return;
  }
  ShowStatus(QStringLiteral("Saved %1 of the Dump field to %2")
                 .arg(FromUtf8(Plural(bytes.size(), "byte", "bytes")),
                      QFileInfo(path).fileName()));
}

void CDalvrenView::OnLoadRom() { LoadRom(romPath_, romOffset_); }

void CDalvrenView::LoadRom(const QString& path, const QString& offset) {
  CLoadRomDialog dialog(path, offset);
  if (dialog.DoModal() != IDOK) return;
  romPath_ = dialog.m_strPath;
  romOffset_ = dialog.m_strOffset;
  loadedRom_ = CLoadedRom{dialog.m_strPath, dialog.m_state};
  const std::string& bytes = dialog.m_bytes;
  const bool loaded = SetFieldBytes(
      kIdcRom,
      m_bRomHex != 0
          ? HexRows({reinterpret_cast<const unsigned char*>(bytes.data()),
                     bytes.size()})
          : bytes,
      QStringLiteral("Loading ROM bytes"));
  if (!loaded) return;
  activeField_ = kIdcRom;
  ShowStatus(QStringLiteral("ROM: %1 from %2 at offset %3")
                 .arg(FromUtf8(Plural(bytes.size(), "byte", "bytes")),
                      QFileInfo(dialog.m_strPath).fileName(),
                      FromUtf8(OffsetText(dialog.m_nOffset))));
}

void CDalvrenView::OnWriteRom() {
  std::string bytes = FieldInputBytes(GetDlgItemTextA(kIdcRom), m_bRomHex != 0);
  if (bytes.empty()) {
    AfxMessageBox(QStringLiteral("The ROM field holds no bytes to write."),
                  MB_ICONHAND);
    return;
  }
  const std::size_t count = bytes.size();
  CWriteRomDialog dialog(std::move(bytes), romPath_, romOffset_, loadedRom_);
  if (dialog.DoModal() != IDOK) return;
  romPath_ = dialog.m_strPath;
  romOffset_ = dialog.m_strOffset;
  ShowStatus(QStringLiteral("Wrote %1 into %2 at offset %3")
                 .arg(FromUtf8(Plural(count, "byte", "bytes")),
                      QFileInfo(dialog.m_strTarget).fileName(),
                      FromUtf8(OffsetText(dialog.m_nOffset))));
}

bool CDalvrenView::OnDropFile(const QString& path, QWidget* target) {
  QWidget* rom = GetDlgItem(kIdcRom);
  if (target != rom && !rom->isAncestorOf(target)) return false;
  if (path.endsWith(QStringLiteral(".tbl"), Qt::CaseInsensitive)) return false;
  CDroppedFileDialog dialog(path);
  switch (dialog.DoModal()) {
    case kIdcOpenAsTable:
      return false;
    case kIdcLoadDroppedBytes:
      LoadRom(path, QStringLiteral("0"));
      return true;
    default:
      return true;
  }
}

}  // namespace dalvren
