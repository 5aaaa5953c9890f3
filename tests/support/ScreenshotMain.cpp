// Takes a picture of the real window after a conversion, for the README:
//   dalvren_screenshot TABLE ROM OUTPUT.png
// Run it on a real display or under Xvfb (scripts/screenshot.sh).
#include <QApplication>
#include <QFile>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <cstdio>

#include "app/DalvrenApp.h"
#include "app/DalvrenView.h"
#include "app/ResourceIds.h"
#include "framework/FrameWnd.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s TABLE ROM OUTPUT.png\n", argv[0]);
    return 2;
  }
  dalvren::CDalvrenApp theApp;
  theApp.SetArguments({QString::fromLocal8Bit(argv[1])},
                      QStringLiteral("dalvren"));
  QApplication app(argc, argv);
  if (!theApp.InitInstance()) return 1;

  QFile rom(QString::fromLocal8Bit(argv[2]));
  if (!rom.open(QIODevice::ReadOnly)) return 1;
  // Hex as a hex editor copies it: pairs separated by blanks.
  const std::string hex = rom.readAll().toHex(' ').toUpper().toStdString();

  dalvren::CFrameWnd* frame = theApp.m_pMainWnd;
  auto* view = static_cast<dalvren::CDalvrenView*>(frame->GetActiveView());
  // Wide enough for the status bar to show its whole message.
  frame->resize(frame->size() + QSize(400, 60));
  view->SetDlgItemTextA(dalvren::kIdcRom, hex);
  QTest::mouseClick(view->GetDlgItem(dalvren::kIdcRomToDump), Qt::LeftButton);
  if (!QTest::qWaitForWindowExposed(frame)) return 1;
  QTest::qWait(500);
  const QPixmap shot = frame->screen()->grabWindow(
      0, frame->x(), frame->y(), frame->frameGeometry().width(),
      frame->frameGeometry().height());
  const bool saved = shot.save(QString::fromLocal8Bit(argv[3]), "PNG");
  // The windows go while the toolkit they belong to is still there.
  theApp.ExitInstance();
  return saved ? 0 : 1;
}
