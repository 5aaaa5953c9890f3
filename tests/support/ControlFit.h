// Checks that the controls of a form or dialog show their whole texts in
// the font and style they really use, and do not overlap.
#pragma once

#include <QCheckBox>
#include <QFontMetricsF>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QString>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>
#include <QtMath>
#include <string>

#include <gtest/gtest.h>

namespace dalvren::test {

// The text a menu or a control shows for `text`: "&&" as "&", any other
// "&" dropped as the mark of a mnemonic.
inline QString ShownText(const QString& text) {
  QString shown;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] != QLatin1Char('&')) {
      shown += text[i];
    } else if (i + 1 < text.size()) {
      shown += text[++i];
    }
  }
  return shown;
}

// Why `control` does not show its whole text inside its contents
// rectangle, or empty when it does (or is no label, button or check box).
inline std::string TextFitFault(const QWidget& control) {
  QString text;
  QRect contents;
  if (const auto* label = qobject_cast<const QLabel*>(&control)) {
    // A label takes "&" for a mnemonic only when it has a buddy.
    text = label->buddy() != nullptr ? ShownText(label->text()) : label->text();
    contents = label->contentsRect();
  } else if (const auto* button =
                 qobject_cast<const QAbstractButton*>(&control)) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    QStyle::SubElement element = QStyle::SE_CheckBoxContents;
    if (const auto* push = qobject_cast<const QPushButton*>(button)) {
      element = QStyle::SE_PushButtonContents;
      if (push->isDefault()) {
        option.features |= QStyleOptionButton::DefaultButton;
      }
      if (push->autoDefault()) {
        option.features |= QStyleOptionButton::AutoDefaultButton;
      }
    } else if (qobject_cast<const QRadioButton*>(button) != nullptr) {
      element = QStyle::SE_RadioButtonContents;
    } else if (qobject_cast<const QCheckBox*>(button) == nullptr) {
      return {};
    }
    text = ShownText(button->text());
    contents = button->style()->subElementRect(element, &option, button);
  } else {
    return {};
  }
  // Whole pixels: a text 98.06 pixels wide needs 99 of them.
  const QFontMetricsF metrics(control.font());
  const QSize needed(qCeil(metrics.horizontalAdvance(text)),
                     qCeil(metrics.height()));
  if (needed.width() <= contents.width() &&
      needed.height() <= contents.height()) {
    return {};
  }
  return QStringLiteral("\"%1\" needs %2x%3 pixels, has %4x%5")
      .arg(text)
      .arg(needed.width())
      .arg(needed.height())
      .arg(contents.width())
      .arg(contents.height())
      .toStdString();
}

// Every control of `form` shows its whole text, lies inside the form and
// overlaps no other control.
inline void ExpectControlsFit(const QWidget& form) {
  const QList<QWidget*> controls =
      form.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  ASSERT_FALSE(controls.isEmpty());
  for (const QWidget* control : controls) {
    EXPECT_EQ(TextFitFault(*control), "");
    EXPECT_TRUE(form.rect().contains(control->geometry()))
        << control->metaObject()->className();
    for (const QWidget* other : controls) {
      if (other != control) {
        EXPECT_FALSE(control->geometry().intersects(other->geometry()))
            << control->metaObject()->className() << " and "
            << other->metaObject()->className();
      }
    }
  }
}

}  // namespace dalvren::test
