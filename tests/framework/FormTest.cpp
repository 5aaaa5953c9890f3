// Forms and dialogs from templates: control placement in dialog units,
// growth, text and check exchange, and the modal seams.
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "framework/DataExchange.h"
#include "framework/Dialog.h"
#include "framework/Document.h"
#include "framework/EditField.h"
#include "framework/FormView.h"
#include "framework/ModalHooks.h"
#include "tests/support/ControlFit.h"
#include "tests/support/ModalRecorder.h"

namespace dalvren {
namespace {

using test::CModalRecorder;
using test::ExpectControlsFit;
using test::TextFitFault;

class CTestForm : public CFormView {
 public:
  CTestForm() : CFormView(200) {}
  void Make() { Create(document_); }

  int m_bFlag = 1;
  std::vector<unsigned> clicks;

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Check(pDX, 11, m_bFlag);
  }
  bool OnCommand(unsigned id) override {
    clicks.push_back(id);
    return true;
  }

 private:
  CDocument document_;
};

TEST(Form, PlacesControlsInDialogUnitsOfTheSubstituteFont) {
  CTestForm form;
  form.Make();
  // "No Such Face" falls back to the desktop's user-interface font.
  EXPECT_EQ(form.font().family(), QApplication::font().family());
  const QSize base = DialogBaseUnits(form.font());
  ASSERT_GT(base.width(), 0);
  const QRect edit = form.GetDlgItem(10)->geometry();
  EXPECT_EQ(edit, QRect(4 * base.width() / 4, 4 * base.height() / 8,
                        40 * base.width() / 4, 40 * base.height() / 8));
  EXPECT_EQ(form.sizeHint(),
            QSize(100 * base.width() / 4, 60 * base.height() / 8));
  EXPECT_EQ(form.minimumSize(), form.sizeHint());
  // Every text fits, so the units stay the font's.
  EXPECT_EQ(form.FittedDialogBaseUnits(), base);
  EXPECT_NE(dynamic_cast<CEditField*>(form.GetDlgItem(10)), nullptr);
  EXPECT_EQ(qobject_cast<QLabel*>(form.findChild<QLabel*>())->buddy(),
            form.GetDlgItem(10));
}

TEST(Form, EnlargedFormGrowsControlsByTheirShares) {
  CTestForm form;
  form.Make();
  const QSize start = form.sizeHint();
  form.resize(start);
  form.show();
  const QRect edit = form.GetDlgItem(10)->geometry();
  const QRect box = form.GetDlgItem(11)->geometry();
  const QRect button = form.GetDlgItem(12)->geometry();
  form.resize(start + QSize(60, 30));
  EXPECT_EQ(form.GetDlgItem(10)->geometry(), edit.adjusted(0, 0, 60, 30));
  EXPECT_EQ(form.GetDlgItem(11)->geometry(), box.translated(60, 0));
  EXPECT_EQ(form.GetDlgItem(12)->geometry(), button);
}

TEST(Form, ExchangesChecksAndTexts) {
  CTestForm form;
  form.Make();
  form.UpdateData(false);
  EXPECT_EQ(form.IsDlgButtonChecked(11), BST_CHECKED);
  QTest::mouseClick(form.GetDlgItem(11), Qt::LeftButton);
  EXPECT_EQ(form.IsDlgButtonChecked(11), BST_UNCHECKED);
  form.UpdateData(true);
  EXPECT_EQ(form.m_bFlag, 0);
  QTest::mouseClick(form.GetDlgItem(12), Qt::LeftButton);
  EXPECT_EQ(form.clicks, (std::vector<unsigned>{11, 12}));

  form.SetDlgItemTextA(10, "caf\xC3\xA9 \xFF");
  EXPECT_EQ(form.GetDlgItemTextA(10), "caf\xC3\xA9 \xFF");
  EXPECT_EQ(form.GetDlgItemTextA(12), "&Go");
  EXPECT_EQ(form.GetDlgItemTextA(99), "");
}

class CCrampedDialog : public CDialog {
 public:
  explicit CCrampedDialog(std::string late) : CDialog(201), late_(late) {}
  bool OnInitDialog() override {
    CDialog::OnInitDialog();
    if (!late_.empty()) SetDlgItemTextA(21, late_);
    return true;
  }

 private:
  std::string late_;
};

// A template drawn for a narrower font widens, as a whole, until each text
// shows whole, also one given at initialisation.
TEST(DialogFit, TemplateWidensUntilEveryTextShowsWhole) {
  std::vector<int> widths;
  for (const char* late :
       {"", "a text given at initialisation, the longest of them all"}) {
    SCOPED_TRACE(late);
    CModalRecorder modal;
    modal.onDialog = [&widths](CDialog& dialog) {
      ExpectControlsFit(dialog);
      const QSize font = DialogBaseUnits(dialog.font());
      const QSize fitted = dialog.FittedDialogBaseUnits();
      EXPECT_GT(fitted.width(), font.width());
      EXPECT_EQ(fitted.height(), font.height());
      // Each control keeps its template place, in the wider units.
      const int x = fitted.width();
      const int y = fitted.height();
      EXPECT_EQ(dialog.GetDlgItem(22)->geometry(),
                QRect(4 * x / 4, 20 * y / 8, 60 * x / 4, 10 * y / 8));
      EXPECT_EQ(dialog.GetDlgItem(IDOK)->geometry(),
                QRect(70 * x / 4, 30 * y / 8, 25 * x / 4, 14 * y / 8));
      EXPECT_EQ(dialog.size(), QSize(125 * x / 4, 50 * y / 8));
      widths.push_back(dialog.width());
      // And no wider than needed: one unit less cuts some text.
      const std::pair<QWidget*, QRect> places[] = {
          {dialog.findChild<QLabel*>(), QRect(4, 4, 50, 8)},
          {dialog.GetDlgItem(21), QRect(58, 4, 60, 8)},
          {dialog.GetDlgItem(22), QRect(4, 20, 60, 10)},
          {dialog.GetDlgItem(IDOK), QRect(70, 30, 25, 14)}};
      bool cut = false;
      for (const auto& [control, r] : places) {
        control->setGeometry(r.x() * (x - 1) / 4, r.y() * y / 8,
                             r.width() * (x - 1) / 4, r.height() * y / 8);
        cut = cut || !TextFitFault(*control).empty();
      }
      EXPECT_TRUE(cut);
      dialog.EndDialog(IDOK);
      return IDOK;
    };
    CCrampedDialog dialog(late);
    dialog.DoModal();
    EXPECT_EQ(modal.dialogs, 1);
  }
  ASSERT_EQ(widths.size(), 2u);
  EXPECT_GT(widths[1], widths[0]);
}

TEST(EditField, LongTextsWrapAnywhereShortOnesBetweenWords) {
  CTestForm form;
  form.Make();
  auto* edit = dynamic_cast<CEditField*>(form.GetDlgItem(10));
  edit->SetText(QString(CEditField::kLongText + 1, QLatin1Char('A')));
  EXPECT_EQ(edit->wordWrapMode(), QTextOption::WrapAnywhere);
  edit->SetText(QStringLiteral("short words"));
  EXPECT_EQ(edit->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
  EXPECT_EQ(edit->toPlainText(), QStringLiteral("short words"));
}

TEST(ModalSeams, MessageBoxIsAnsweredByTheHook) {
  CModalRecorder modal;
  EXPECT_EQ(AfxMessageBox(QStringLiteral("Careful"), MB_ICONHAND), IDOK);
  ASSERT_EQ(modal.messages.size(), 1u);
  EXPECT_EQ(modal.messages[0].text, QStringLiteral("Careful"));
  EXPECT_EQ(modal.messages[0].style, MB_ICONHAND);
}

class CTestDialog : public CDialog {
 public:
  CTestDialog() : CDialog(200) {}
  bool OnInitDialog() override {
    CDialog::OnInitDialog();
    SetDlgItemTextA(10, "ready");
    return true;
  }
};

TEST(ModalSeams, DialogRunsThroughTheHookAfterItsInitialisation) {
  CModalRecorder modal;
  modal.onDialog = [](CDialog& dialog) {
    EXPECT_EQ(dialog.GetDlgItemTextA(10), "ready");
    dialog.EndDialog(IDCANCEL);
    return dialog.result();
  };
  CTestDialog dialog;
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(modal.dialogs, 1);
}

}  // namespace
}  // namespace dalvren
