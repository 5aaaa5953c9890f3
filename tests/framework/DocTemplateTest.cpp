// The document, the single-document template and the application object
// working together on a test application of three small classes.
#include <QAction>
#include <QDir>
#include <QIODevice>
#include <QMenu>
#include <QTemporaryDir>
#include <memory>
#include <sstream>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "framework/CommandLineInfo.h"
#include "framework/DocTemplate.h"
#include "framework/Document.h"
#include "framework/FormView.h"
#include "framework/FrameWnd.h"
#include "framework/StandardIds.h"
#include "framework/WinApp.h"
#include "tests/support/ModalRecorder.h"
#include "tests/support/TempFiles.h"

namespace dalvren {
namespace {

using test::CModalRecorder;
using test::CTempFiles;

// What the test classes saw, in order.
std::vector<std::string>& Log() {
  static std::vector<std::string> log;
  return log;
}

class CThingDoc : public CDocument {
 public:
  static inline bool refuseNew = false;
  bool OnNewDocument() override {
    Log().push_back("new");
    return !refuseNew && CDocument::OnNewDocument();
  }
  void Serialize(QIODevice& file) override {
    Log().push_back("serialize " + file.readAll().toStdString());
  }
  bool OnCmdMsg(unsigned id) override {
    if (id != 40000) return false;
    Log().push_back("doc poke");
    return true;
  }
};

class CThingView : public CFormView {
 public:
  CThingView() : CFormView(200) {}
  void OnInitialUpdate() override {
    Log().push_back("initial update");
    CFormView::OnInitialUpdate();
  }
};

class CThingApp : public CWinApp {
 public:
  CThingApp() {
    SetRegistryKey(QStringLiteral("Tester Org"));
    LoadStdProfileSettings(4);
    AddDocTemplate(std::make_unique<CSingleDocTemplate>(
        300, MakeRuntimeClass<CThingDoc, CDocument>("CThingDoc"),
        MakeRuntimeClass<CFrameWnd, CFrameWnd>("CFrameWnd"),
        MakeRuntimeClass<CThingView, CView>("CThingView")));
  }
  bool Start(const QStringList& arguments) {
    SetArguments(arguments, QStringLiteral("tester"));
    SetOutput(out, err);
    CCommandLineInfo info;
    ParseCommandLine(info);
    return ProcessShellCommand(info);
  }
  std::ostringstream out;
  std::ostringstream err;
};

class DocTemplateTest : public testing::Test {
 protected:
  void SetUp() override { Log().clear(); }
  CModalRecorder modal;
  CTempFiles files;
};

TEST_F(DocTemplateTest, FirstDocumentMakesFrameAndViewOnce) {
  CThingApp app;
  ASSERT_TRUE(app.Start({}));
  ASSERT_NE(app.m_pMainWnd, nullptr);
  EXPECT_FALSE(app.m_pMainWnd->isVisible());
  EXPECT_EQ(app.m_pMainWnd->windowTitle(), QStringLiteral("Untitled - Tester"));
  EXPECT_EQ(Log(), (std::vector<std::string>{"new", "initial update"}));

  ASSERT_NE(app.OpenDocumentFile(files.Write("a.thg", "abc")), nullptr);
  EXPECT_EQ(Log().back(), "serialize abc");
  EXPECT_EQ(app.m_pMainWnd->windowTitle(), QStringLiteral("a.thg - Tester"));
  EXPECT_EQ(app.GetDocTemplate()->GetDocument()->GetPathName(),
            QFileInfo(files.Path("a.thg")).absoluteFilePath());
  EXPECT_EQ(std::count(Log().begin(), Log().end(), "initial update"), 1);
}

TEST_F(DocTemplateTest, FailedFirstOpenLeavesNothingBehind) {
  CThingApp app;
  EXPECT_FALSE(app.Start({files.Path("missing.thg")}));
  EXPECT_EQ(app.m_pMainWnd, nullptr);
  EXPECT_EQ(app.GetDocTemplate()->GetDocument(), nullptr);
  EXPECT_EQ(app.GetDocTemplate()->GetFrame(), nullptr);
  ASSERT_EQ(modal.messages.size(), 1u);
  EXPECT_TRUE(modal.messages[0].text.contains(QStringLiteral("missing.thg")));

  CThingDoc::refuseNew = true;
  EXPECT_FALSE(app.Start({}));
  CThingDoc::refuseNew = false;
  EXPECT_EQ(app.GetDocTemplate()->GetFrame(), nullptr);
}

TEST_F(DocTemplateTest, FrameworkOpenStepRefusesWhatIsNoRegularFile) {
  QDir().mkpath(files.Path("dir.thg"));
  const QString fifo = files.Path("pipe.thg");
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  CThingDoc doc;
  for (const QString& path : {files.Path("dir.thg"), fifo}) {
    modal.messages.clear();
    EXPECT_FALSE(doc.OnOpenDocument(path));
    ASSERT_EQ(modal.messages.size(), 1u);
    EXPECT_EQ(modal.messages[0].style, MB_ICONHAND);
  }
  EXPECT_TRUE(Log().empty());  // nothing was read
  EXPECT_TRUE(doc.OnOpenDocument(files.Write("empty.thg", "")));
  EXPECT_EQ(Log(), std::vector<std::string>{"serialize "});
}

TEST_F(DocTemplateTest, CommandsGoToViewDocumentFrameThenApplication) {
  CThingApp app;
  ASSERT_TRUE(app.Start({}));
  CFrameWnd* frame = app.m_pMainWnd;
  // The document handles Poke from the menu.
  QAction* poke = frame->FindMenuItem(40000);
  ASSERT_NE(poke, nullptr);
  poke->trigger();
  EXPECT_EQ(Log().back(), "doc poke");
  // Nothing handles an unknown command.
  EXPECT_FALSE(frame->OnCmdMsg(41000));
  // The application opens recent files.
  const QString path = files.Write("r.thg", "r");
  app.AddToRecentFileList(path);
  ASSERT_NE(frame->FindMenuItem(ID_FILE_MRU_FILE1), nullptr);
  EXPECT_EQ(frame->FindMenuItem(ID_FILE_MRU_FILE1)->text(),
            QStringLiteral("&1 r.thg"));
  frame->FindMenuItem(ID_FILE_MRU_FILE1)->trigger();
  EXPECT_EQ(Log().back(), "serialize r");
}

TEST_F(DocTemplateTest, HelpVersionAndUsageErrorsShowNoWindow) {
  CThingApp app;
  app.m_strDescription = QStringLiteral("Tests things.");
  EXPECT_FALSE(app.Start({QStringLiteral("--help")}));
  EXPECT_EQ(app.m_nExitCode, 0);
  EXPECT_NE(
      app.out.str().find("Usage: tester [OPTION]... [FILE]\nTests things.\n"),
      std::string::npos);
  EXPECT_FALSE(app.Start({QStringLiteral("--bogus")}));
  EXPECT_EQ(app.m_nExitCode, 2);
  EXPECT_NE(app.err.str().find("tester: unknown option '--bogus'"),
            std::string::npos);
  EXPECT_EQ(app.GetDocTemplate()->GetFrame(), nullptr);
}

}  // namespace
}  // namespace dalvren
