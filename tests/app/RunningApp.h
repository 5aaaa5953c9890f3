// The real application started in the test process as the program starts
// it, with a command line of the test's choosing, and helpers to work its
// form as a user would.
#pragma once

#include <QAction>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTest>
#include <ostream>
#include <string>

#include "app/DalvrenApp.h"
#include "app/DalvrenDoc.h"
#include "app/DalvrenView.h"
#include "app/ResourceIds.h"
#include "framework/FrameWnd.h"
#include "framework/StatusBar.h"

// Strings in test failures as their text.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

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
  // Chooses the menu item of command `id`, as the user would.
  void Menu(unsigned id) const {
    QAction* item = Frame()->FindMenuItem(id);
    if (item != nullptr) item->trigger();
  }
  // The text of the status bar's pane `index`: 0 says what just happened,
  // 1 what the fields hold.
  [[nodiscard]] QString Status(int index) const {
    return Frame()->GetStatusBar()->GetPaneText(index);
  }
  // The counts pane once the fields were counted after the last change.
  [[nodiscard]] QString Counts() const {
    QTest::qWait(400);
    return Status(1);
  }

  CDalvrenApp app;
  bool started = false;
};

}  // namespace dalvren::test
