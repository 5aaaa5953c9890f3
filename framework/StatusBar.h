// The frame's status bar: panes of text in a row under the view, the first
// stretching to show what just happened, and a progress bar with a Cancel
// button for work that takes a while.
#pragma once

#include <QStatusBar>
#include <QString>
#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;

namespace dalvren {

class CStatusBar : public QStatusBar {
 public:
  explicit CStatusBar(QWidget* parent);

  // Makes one pane for each of the `count` identifiers `ids`: ID_SEPARATOR
  // is the message pane, which stretches and starts with the idle message
  // (string AFX_IDS_IDLEMESSAGE); any other pane starts with the string of
  // its identifier and is as wide as its text. Replaces any panes made
  // before.
  void SetIndicators(const unsigned* ids, int count);

  // The text of pane `index`, in the order of SetIndicators; setting an
  // index that does not exist does nothing.
  void SetPaneText(int index, const QString& text);
  [[nodiscard]] QString GetPaneText(int index) const;

  // Shows `text` and an empty progress bar with a Cancel button.
  void BeginProgress(const QString& text);
  // Sets the bar to `done` of `total` and handles the events that are
  // waiting, the Cancel button's among them. False once Cancel was
  // clicked.
  [[nodiscard]] bool StepProgress(qint64 done, qint64 total);
  // Whether Cancel was clicked since BeginProgress.
  [[nodiscard]] bool ProgressCancelled() const { return cancelled_; }
  // Hides the bar and the button again.
  void EndProgress();

  [[nodiscard]] QPushButton* CancelButton() const { return cancel_; }
  [[nodiscard]] QProgressBar* ProgressBar() const { return progress_; }

 private:
  std::vector<QLabel*> panes_;
  QProgressBar* progress_;
  QPushButton* cancel_;
  bool cancelled_ = false;
};

}  // namespace dalvren
