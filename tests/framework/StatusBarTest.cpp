// The parts the framework adds around a form: the status bar with its panes
// and its progress, one-line edits and radio buttons from templates, and
// message boxes that ask a question.
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "framework/Dialog.h"
#include "framework/EditField.h"
#include "framework/ModalHooks.h"
#include "framework/StatusBar.h"
#include "tests/support/ModalRecorder.h"

namespace dalvren {
namespace {

using test::CModalRecorder;

TEST(StatusBar, PanesStartWithTheirStringsAndTakeTexts) {
  CStatusBar bar(nullptr);
  const unsigned ids[] = {ID_SEPARATOR, 301};
  bar.SetIndicators(ids, 2);
  EXPECT_EQ(bar.GetPaneText(0), QStringLiteral("Idle"));
  EXPECT_EQ(bar.GetPaneText(1), QStringLiteral("Pane text"));
  bar.SetPaneText(1, QStringLiteral("R&D: 3 bytes"));
  EXPECT_EQ(bar.GetPaneText(1), QStringLiteral("R&D: 3 bytes"));
  bar.SetPaneText(2, QStringLiteral("nowhere"));
  EXPECT_EQ(bar.GetPaneText(2), QString());
}

TEST(StatusBar, CancelStopsTheProgressAtTheNextStep) {
  CStatusBar bar(nullptr);
  const unsigned ids[] = {ID_SEPARATOR};
  bar.SetIndicators(ids, 1);
  bar.show();
  bar.BeginProgress(QStringLiteral("Working"));
  EXPECT_TRUE(bar.ProgressBar()->isVisible());
  EXPECT_TRUE(bar.CancelButton()->isVisible());
  EXPECT_EQ(bar.GetPaneText(0), QStringLiteral("Working"));
  EXPECT_TRUE(bar.StepProgress(1, 4));
  EXPECT_EQ(bar.ProgressBar()->value(), 250);
  // The click waits in the queue, as a user's would, until the step takes
  // the events.
  QTimer::singleShot(0, bar.CancelButton(), &QPushButton::click);
  EXPECT_FALSE(bar.StepProgress(2, 4));
  EXPECT_TRUE(bar.ProgressCancelled());
  bar.EndProgress();
  EXPECT_FALSE(bar.ProgressBar()->isVisible());
  bar.BeginProgress(QStringLiteral("Again"));
  EXPECT_FALSE(bar.ProgressCancelled());
}

class CKindsDialog : public CDialog {
 public:
  CKindsDialog() : CDialog(202) {}
  std::vector<unsigned> commands;

 protected:
  bool OnCommand(unsigned id) override {
    commands.push_back(id);
    return CDialog::OnCommand(id);
  }
};

TEST(DialogKinds, LineEditsRadioButtonsAndReadOnlyFields) {
  CModalRecorder modal;
  CKindsDialog dialog;
  modal.onDialog = [&](CDialog& d) {
    auto* line = qobject_cast<QLineEdit*>(d.GetDlgItem(30));
    EXPECT_NE(line, nullptr);
    EXPECT_NE(qobject_cast<QRadioButton*>(d.GetDlgItem(31)), nullptr);
    auto* field = dynamic_cast<CEditField*>(d.GetDlgItem(33));
    EXPECT_NE(field, nullptr);
    if (line == nullptr || field == nullptr) return IDCANCEL;
    EXPECT_TRUE(field->isReadOnly());
    QTest::keyClicks(line, QStringLiteral("0x1F"));
    EXPECT_EQ(d.GetDlgItemTextA(30), "0x1F");
    d.SetDlgItemTextA(30, "caf\xC3\xA9");
    EXPECT_EQ(line->text(), QStringLiteral("café"));
    QTest::mouseClick(d.GetDlgItem(32), Qt::LeftButton);
    EXPECT_EQ(d.IsDlgButtonChecked(32), BST_CHECKED);
    d.CheckDlgButton(31, BST_CHECKED);
    EXPECT_EQ(d.IsDlgButtonChecked(32), BST_UNCHECKED);
    d.EndDialog(IDOK);
    return IDOK;
  };
  dialog.DoModal();
  // Each typed character and the text set is a change of the line edit.
  EXPECT_EQ(std::count(dialog.commands.begin(), dialog.commands.end(), 30u), 5);
  EXPECT_EQ(std::count(dialog.commands.begin(), dialog.commands.end(), 32u), 1);
}

TEST(ModalSeams, QuestionsAreAnsweredWithTheQueuedButtons) {
  CModalRecorder modal;
  modal.answers = {IDYES, IDCANCEL};
  EXPECT_EQ(AfxMessageBox(QStringLiteral("Sure?"), MB_YESNO | MB_ICONQUESTION),
            IDYES);
  EXPECT_EQ(AfxMessageBox(QStringLiteral("Which?"), MB_YESNOCANCEL), IDCANCEL);
  // Nothing queued: a question is answered as if closed.
  EXPECT_EQ(AfxMessageBox(QStringLiteral("Really?"), MB_YESNO), IDNO);
  ASSERT_EQ(modal.messages.size(), 3u);
  EXPECT_EQ(modal.messages[0].style, MB_YESNO | MB_ICONQUESTION);
}

TEST(ModalSeams, SavePromptsAreAnsweredByTheirOwnHook) {
  CModalRecorder modal;
  modal.saveAnswers << QStringLiteral("/tmp/out.txt");
  modal.openAnswers << QStringLiteral("/tmp/in.txt");
  EXPECT_EQ(AfxPromptFileName(QStringLiteral("Save"), QStringLiteral("*"),
                              QString(), true),
            QStringLiteral("/tmp/out.txt"));
  EXPECT_EQ(AfxPromptFileName(QStringLiteral("Open"), QStringLiteral("*"),
                              QString(), false),
            QStringLiteral("/tmp/in.txt"));
  EXPECT_EQ(AfxPromptFileName(QStringLiteral("Save"), QStringLiteral("*"),
                              QString(), true),
            QString());
  EXPECT_EQ(modal.prompts, QStringList({"Save|*", "Open|*", "Save|*"}));
}

}  // namespace
}  // namespace dalvren
