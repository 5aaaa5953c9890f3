#include "Wnd.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

#include "Afx.h"
#include "DataExchange.h"
#include "EditField.h"
#include "FieldText.h"

QFont TemplateFont(const CDialogTemplate& dialog) {
  if (QFontDatabase::hasFamily(dialog.fontFamily)) {
    return QFont(dialog.fontFamily, dialog.pointSize);
  }
  // The classic faces were drawn for low-resolution screens; their nominal
  // point sizes say little about a modern desktop, so the substitute keeps
  // the desktop's own size.
  static const QStringList kFixedFaces = {"Fixedsys", "Terminal", "Courier",
                                          "Courier New"};
  return kFixedFaces.contains(dialog.fontFamily, Qt::CaseInsensitive)
             ? QFontDatabase::systemFont(QFontDatabase::FixedFont)
             : QApplication::font();
}

QSize DialogBaseUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return {(letters / 26 + 1) / 2, metrics.height()};
}

QWidget* CWnd::GetDlgItem(int id) const {
  const auto it = m_items.find(id);
  return it == m_items.end() ? nullptr : it->second;
}

std::string CWnd::GetDlgItemTextA(int id) const {
  QWidget* item = GetDlgItem(id);
  if (const auto* edit = dynamic_cast<const CEditField*>(item)) {
    return edit->Bytes();
  }
  if (auto* label = qobject_cast<QLabel*>(item)) {
    return BytesFromFieldText(label->text());
  }
  if (auto* button = qobject_cast<QAbstractButton*>(item)) {
    return BytesFromFieldText(button->text());
  }
  return {};
}

void CWnd::SetDlgItemTextA(int id, std::string_view bytes) {
  QWidget* item = GetDlgItem(id);
  if (auto* edit = dynamic_cast<CEditField*>(item)) {
    edit->SetBytes(bytes);
  } else if (auto* label = qobject_cast<QLabel*>(item)) {
    label->setText(FieldTextFromBytes(bytes));
  } else if (auto* button = qobject_cast<QAbstractButton*>(item)) {
    button->setText(FieldTextFromBytes(bytes));
  }
}

unsigned CWnd::IsDlgButtonChecked(int id) const {
  auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(id));
  return button != nullptr && button->isChecked() ? BST_CHECKED : BST_UNCHECKED;
}

void CWnd::CheckDlgButton(int id, unsigned check) {
  if (auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(id))) {
    button->setChecked(check == BST_CHECKED);
  }
}

bool CWnd::UpdateData(bool saveAndValidate) {
  CDataExchange dx(this, saveAndValidate);
  DoDataExchange(&dx);
  return true;
}

void CWnd::DoDataExchange(CDataExchange* /*pDX*/) {}

bool CWnd::OnCommand(unsigned /*id*/) { return false; }

QSize CWnd::CreateControls(QWidget& host, const CDialogTemplate& dialog) {
  const QFont font = TemplateFont(dialog);
  host.setFont(font);
  const QSize base = DialogBaseUnits(font);
  const auto toPixels = [base](QRect r) {
    return QRect(r.x() * base.width() / 4, r.y() * base.height() / 8,
                 r.width() * base.width() / 4, r.height() * base.height() / 8);
  };

  std::vector<std::pair<QLabel*, int>> buddies;
  for (const CControlTemplate& control : dialog.controls) {
    QWidget* widget = nullptr;
    if (control.kind == QLatin1String("edit")) {
      auto* edit = new CEditField(&host);
      if (control.styles.contains(QLatin1String("leftscrollbar"))) {
        // The scroll bar follows the layout direction; the text must not.
        edit->setLayoutDirection(Qt::RightToLeft);
        edit->viewport()->setLayoutDirection(Qt::LeftToRight);
        QTextOption option = edit->document()->defaultTextOption();
        option.setTextDirection(Qt::LeftToRight);
        edit->document()->setDefaultTextOption(option);
      }
      widget = edit;
    } else if (control.kind == QLatin1String("button")) {
      auto* button = new QPushButton(control.text, &host);
      button->setAutoDefault(false);
      button->setDefault(control.styles.contains(QLatin1String("default")));
      widget = button;
    } else if (control.kind == QLatin1String("checkbox")) {
      widget = new QCheckBox(control.text, &host);
    } else if (control.kind == QLatin1String("icon")) {
      auto* label = new QLabel(&host);
      label->setPixmap(
          LoadIconResource(static_cast<unsigned>(control.icon)).pixmap(32, 32));
      widget = label;
    } else {
      auto* label = new QLabel(control.text, &host);
      if (control.buddy >= 0) buddies.emplace_back(label, control.buddy);
      widget = label;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      const auto id = static_cast<unsigned>(control.id);
      QObject::connect(button, &QAbstractButton::clicked,
                       [this, id] { OnCommand(id); });
    }
    if (control.id >= 0) m_items[control.id] = widget;
    const QRect rect = toPixels(control.rect);
    widget->setGeometry(rect);
    m_placements.push_back({widget, rect, control.grow});
  }
  for (const auto& [label, id] : buddies) label->setBuddy(GetDlgItem(id));
  m_templateSize = toPixels(QRect(QPoint(0, 0), dialog.size)).size();
  return m_templateSize;
}

void CWnd::LayoutControls(QSize size) {
  const qreal dx = std::max(0, size.width() - m_templateSize.width());
  const qreal dy = std::max(0, size.height() - m_templateSize.height());
  for (const CPlacement& p : m_placements) {
    p.widget->setGeometry(p.rect.x() + qRound(p.grow.x() * dx),
                          p.rect.y() + qRound(p.grow.y() * dy),
                          p.rect.width() + qRound(p.grow.width() * dx),
                          p.rect.height() + qRound(p.grow.height() * dy));
  }
}
