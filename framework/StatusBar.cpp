#include "framework/StatusBar.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "framework/Resource.h"
#include "framework/StandardIds.h"

namespace dalvren {

CStatusBar::CStatusBar(QWidget* parent)
    : QStatusBar(parent),
      progress_(new QProgressBar(this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)) {
  setSizeGripEnabled(false);
  addPermanentWidget(progress_);
  addPermanentWidget(cancel_);
  progress_->hide();
  cancel_->hide();
  connect(cancel_, &QPushButton::clicked, this, [this] { cancelled_ = true; });
}

void CStatusBar::SetIndicators(const unsigned* ids, int count) {
  for (QLabel* pane : panes_) {
    removeWidget(pane);
    delete pane;
  }
  panes_.clear();
  for (int i = 0; i < count; ++i) {
    const bool message = ids[i] == ID_SEPARATOR;
    auto* pane = new QLabel(
        LoadResourceString(message ? AFX_IDS_IDLEMESSAGE : ids[i]), this);
    pane->setTextFormat(Qt::PlainText);
    if (message) {
      // A long message is cut rather than widen the window.
      pane->setMinimumWidth(1);
      addWidget(pane, 1);
    } else {
      addPermanentWidget(pane);
    }
    panes_.push_back(pane);
  }
}

void CStatusBar::SetPaneText(int index, const QString& text) {
  if (index >= 0 && static_cast<std::size_t>(index) < panes_.size()) {
    QLabel* pane = panes_[static_cast<std::size_t>(index)];
    pane->setText(text);
    // A narrow window cuts the message pane; the whole text is a hover away.
    pane->setToolTip(text);
  }
}

QString CStatusBar::GetPaneText(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= panes_.size()) return {};
  return panes_[static_cast<std::size_t>(index)]->text();
}

void CStatusBar::BeginProgress(const QString& text) {
  cancelled_ = false;
  SetPaneText(0, text);
  progress_->setRange(0, 1000);
  progress_->setValue(0);
  progress_->show();
  cancel_->show();
}

bool CStatusBar::StepProgress(qint64 done, qint64 total) {
  if (total > 0) {
    progress_->setValue(static_cast<int>(1000 * done / total));
  }
  QApplication::processEvents();
  return !cancelled_;
}

void CStatusBar::EndProgress() {
  progress_->hide();
  cancel_->hide();
}

}  // namespace dalvren
