#include "framework/Wnd.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

#include "framework/DataExchange.h"
#include "framework/EditField.h"
#include "framework/FieldText.h"
#include "framework/StandardIds.h"

namespace dalvren {

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

namespace {

// A template scaled past this many times its font's own unit is beyond
// saving; fitting stops there rather than grow without end.
constexpr int kMaxFitScale = 4;

// How many pixels `control` (a label, push button or check box) lacks to
// show its whole text, mnemonic marks removed, across its contents
// rectangle as its style lays it out; 0 or less when the text fits, and 0
// for any other widget or an empty text.
int TextShortfall(const QWidget& control) {
  const QFontMetrics metrics = control.fontMetrics();
  if (const auto* label = qobject_cast<const QLabel*>(&control)) {
    if (label->text().isEmpty()) return 0;
    // A label shows "&" as a mnemonic only when it has a buddy to focus.
    const int flags = label->buddy() != nullptr ? Qt::TextShowMnemonic : 0;
    return metrics.size(flags, label->text()).width() -
           label->contentsRect().width();
  }
  const auto* button = qobject_cast<const QAbstractButton*>(&control);
  if (button == nullptr || button->text().isEmpty()) return 0;
  QStyleOptionButton option;
  option.initFrom(button);
  option.text = button->text();
  option.icon = button->icon();
  option.iconSize = button->iconSize();
  QStyle::SubElement contents = QStyle::SE_CheckBoxContents;
  if (const auto* push = qobject_cast<const QPushButton*>(button)) {
    contents = QStyle::SE_PushButtonContents;
    if (push->isDefault()) option.features |= QStyleOptionButton::DefaultButton;
    if (push->autoDefault()) {
      option.features |= QStyleOptionButton::AutoDefaultButton;
    }
    if (push->isFlat()) option.features |= QStyleOptionButton::Flat;
  } else if (qobject_cast<const QRadioButton*>(button) != nullptr) {
    contents = QStyle::SE_RadioButtonContents;
  } else if (qobject_cast<const QCheckBox*>(button) == nullptr) {
    return 0;
  }
  const QRect rect = button->style()->subElementRect(contents, &option, button);
  return metrics.size(Qt::TextShowMnemonic, option.text).width() - rect.width();
}

}  // namespace

QWidget* CWnd::GetDlgItem(int id) const {
  const auto it = items_.find(id);
  return it == items_.end() ? nullptr : it->second;
}

std::string CWnd::GetDlgItemTextA(int id) const {
  QWidget* item = GetDlgItem(id);
  if (const auto* edit = dynamic_cast<const CEditField*>(item)) {
    return edit->Bytes();
  }
  if (auto* line = qobject_cast<QLineEdit*>(item)) {
    return BytesFromFieldText(line->text());
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
  } else if (auto* line = qobject_cast<QLineEdit*>(item)) {
    line->setText(FieldTextFromBytes(bytes));
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
  host_ = &host;
  host.setFont(TemplateFont(dialog));
  templateUnits_ = dialog.size;

  std::vector<std::pair<QLabel*, int>> buddies;
  for (const CControlTemplate& control : dialog.controls) {
    QWidget* widget = nullptr;
    if (control.kind == QLatin1String("edit")) {
      auto* edit = new CEditField(&host);
      // A field's bar stays in place whether or not its text overflows, so
      // the text does not jump sideways when a line more arrives.
      if (control.styles.contains(QLatin1String("vscroll"))) {
        edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
      }
      if (control.styles.contains(QLatin1String("leftscrollbar"))) {
        // The scroll bar follows the layout direction; the text must not.
        edit->setLayoutDirection(Qt::RightToLeft);
        edit->viewport()->setLayoutDirection(Qt::LeftToRight);
        QTextOption option = edit->document()->defaultTextOption();
        option.setTextDirection(Qt::LeftToRight);
        edit->document()->setDefaultTextOption(option);
      }
      if (control.styles.contains(QLatin1String("readonly"))) {
        edit->setReadOnly(true);
      }
      widget = edit;
    } else if (control.kind == QLatin1String("lineedit")) {
      auto* line = new QLineEdit(&host);
      const auto id = static_cast<unsigned>(control.id);
      QObject::connect(line, &QLineEdit::textChanged,
                       [this, id] { OnCommand(id); });
      widget = line;
    } else if (control.kind == QLatin1String("radio")) {
      widget = new QRadioButton(control.text, &host);
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
    if (control.id >= 0) items_[control.id] = widget;
    placements_.push_back({widget, control.rect, QRect(), control.grow});
  }
  for (const auto& [label, id] : buddies) label->setBuddy(GetDlgItem(id));
  return FitControlsToTexts();
}

QSize CWnd::FitControlsToTexts() {
  if (host_ == nullptr) return templateSize_;
  QSize base = DialogBaseUnits(host_->font());
  const int limit = kMaxFitScale * std::max(base.width(), 1);
  for (;;) {
    PlaceControls(base);
    // The unit at which each control gains the pixels it lacks, if its
    // style's margins stay as they are; the next pass checks that they did.
    int needed = base.width();
    for (const CPlacement& p : placements_) {
      const int shortfall = TextShortfall(*p.widget);
      if (shortfall <= 0 || p.units.width() <= 0) continue;
      const int pixels = p.rect.width() + shortfall;
      needed = std::max(needed,
                        (4 * pixels + p.units.width() - 1) / p.units.width());
    }
    if (needed <= base.width() || base.width() >= limit) break;
    base.setWidth(std::min(needed, limit));
  }
  baseUnits_ = base;
  templateSize_ = QSize(templateUnits_.width() * base.width() / 4,
                        templateUnits_.height() * base.height() / 8);
  return templateSize_;
}

void CWnd::PlaceControls(QSize base) {
  for (CPlacement& p : placements_) {
    const QRect& r = p.units;
    p.rect =
        QRect(r.x() * base.width() / 4, r.y() * base.height() / 8,
              r.width() * base.width() / 4, r.height() * base.height() / 8);
    p.widget->setGeometry(p.rect);
  }
}

void CWnd::LayoutControls(QSize size) {
  const qreal dx = std::max(0, size.width() - templateSize_.width());
  const qreal dy = std::max(0, size.height() - templateSize_.height());
  for (const CPlacement& p : placements_) {
    p.widget->setGeometry(p.rect.x() + qRound(p.grow.x() * dx),
                          p.rect.y() + qRound(p.grow.y() * dy),
                          p.rect.width() + qRound(p.grow.width() * dx),
                          p.rect.height() + qRound(p.grow.height() * dy));
  }
}

}  // namespace dalvren
