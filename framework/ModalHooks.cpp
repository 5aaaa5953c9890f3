#include "framework/ModalHooks.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include "framework/FrameWnd.h"
#include "framework/WinApp.h"

namespace dalvren {

namespace {

CModalHooks& Hooks() {
  static CModalHooks hooks;
  return hooks;
}

}  // namespace

CModalHooks SetModalHooks(CModalHooks hooks) {
  std::swap(Hooks(), hooks);
  return hooks;
}

const CModalHooks& ModalHooks() { return Hooks(); }

int AfxMessageBox(const QString& text, unsigned style, unsigned /*helpId*/) {
  if (Hooks().messageBox) return Hooks().messageBox(text, style);
  const CWinApp* app = AfxGetApp();
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  switch (style & 0xF0) {
    case MB_ICONHAND:
      icon = QMessageBox::Critical;
      break;
    case MB_ICONQUESTION:
      icon = QMessageBox::Question;
      break;
    case MB_ICONEXCLAMATION:
      icon = QMessageBox::Warning;
      break;
    default:
      break;
  }
  const unsigned buttons = style & 0x0F;
  QMessageBox::StandardButtons shown = QMessageBox::Ok;
  if (buttons == MB_YESNO) shown = QMessageBox::Yes | QMessageBox::No;
  if (buttons == MB_YESNOCANCEL) {
    shown = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  }
  QMessageBox box(icon, app != nullptr ? app->m_strAppName : QString(), text,
                  shown, QApplication::activeWindow());
  switch (box.exec()) {
    case QMessageBox::Yes:
      return IDYES;
    case QMessageBox::No:
      return IDNO;
    case QMessageBox::Cancel:
      return IDCANCEL;
    default:
      return buttons == MB_YESNO ? IDNO : IDOK;
  }
}

QString AfxPromptFileName(const QString& caption, const QString& filter,
                          const QString& start, bool save) {
  const auto& hook = save ? Hooks().saveFileName : Hooks().openFileName;
  if (hook) return hook(caption, filter);
  const CWinApp* app = AfxGetApp();
  QWidget* parent = app != nullptr ? app->m_pMainWnd : nullptr;
  return save ? QFileDialog::getSaveFileName(parent, caption, start, filter)
              : QFileDialog::getOpenFileName(parent, caption, start, filter);
}

}  // namespace dalvren
