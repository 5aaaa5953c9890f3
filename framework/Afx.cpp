#include "framework/Afx.h"

#include <QApplication>
#include <QMessageBox>

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
  QMessageBox box((style & 0xF0) == MB_ICONHAND ? QMessageBox::Critical
                                                : QMessageBox::NoIcon,
                  app != nullptr ? app->m_strAppName : QString(), text,
                  QMessageBox::Ok, QApplication::activeWindow());
  box.exec();
  return IDOK;
}

}  // namespace dalvren
