// The real application started in the test process as the program starts
// it, with a command line of the test's choosing, and helpers to work its
// form as a user would.
#pragma once

#include <QPlainTextEdit>
#include <QStringList>
#include <QTest>
#include <string>

#include "app/DalvrenApp.h"
#include "app/DalvrenDoc.h"
#include "app/DalvrenView.h"
#include "app/ResourceIds.h"
#include "framework/FrameWnd.h"

namespace dalvren::test {

class CRunningApp {
 public:
  explicit CRunningApp(const QStringList& arguments = {}) {
    app.SetArguments(arguments, QStringLiteral("dalvren"));
    started = app.InitInstance();
  }

  CRunningApp(const CRunningApp&) = delete;
  CRunningApp& operator=(const CRunningApp&) = delete;

  [[nodiscard]] CFrameWnd* Frame() const { return app.m_pMainWnd; }
  [[nodiscard]] CDalvrenView* View() const {
    return static_cast<CDalvrenView*>(Frame()->GetActiveView());
  }
  [[nodiscard]] CDalvrenDoc* Doc() const { return View()->GetDocument(); }

  [[nodiscard]] QPlainTextEdit* Field(int id) const {
    return qobject_cast<QPlainTextEdit*>(View()->GetDlgItem(id));
  }
  // Types `text` into field `id` in place of what it held.
  void Type(int id, const QString& text) const {
    Field(id)->clear();
    QTest::keyClicks(Field(id), text);
  }
  [[nodiscard]] QString Text(int id) const { return Field(id)->toPlainText(); }
  // The bytes that a conversion would read from field `id`.
  [[nodiscard]] std::string Bytes(int id) const {
    return View()->GetDlgItemTextA(id);
  }
  void Click(int id) const {
    QTest::mouseClick(View()->GetDlgItem(id), Qt::LeftButton);
  }
  // Opens `path` as the user would with File > Open.
  bool Open(const QString& path) {
    return app.OpenDocumentFile(path) != nullptr;
  }

  CDalvrenApp app;
  bool started = false;
};

}  // namespace dalvren::test
