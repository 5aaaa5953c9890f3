// Answers every modal interaction of the framework while it lives, and keeps
// what was asked: message boxes are answered OK, dialogs are handed to
// `onDialog` (by default ended with OK), file prompts take the next queued
// answer (Cancel when none is left).
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "framework/Afx.h"
#include "framework/Dialog.h"

namespace dalvren::test {

class CModalRecorder {
 public:
  struct CMessage {
    QString text;
    unsigned style;
  };

  CModalRecorder() {
    previous_ = SetModalHooks(
        {[this](const QString& text, unsigned style) {
           messages.push_back({text, style});
           return IDOK;
         },
         [this](CDialog& dialog) {
           ++dialogs;
           if (onDialog) return onDialog(dialog);
           dialog.EndDialog(IDOK);
           return dialog.result();
         },
         [this](const QString& caption, const QString& filter) {
           prompts.push_back(caption + QLatin1Char('|') + filter);
           return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
         }});
  }
  ~CModalRecorder() { SetModalHooks(previous_); }

  CModalRecorder(const CModalRecorder&) = delete;
  CModalRecorder& operator=(const CModalRecorder&) = delete;

  std::vector<CMessage> messages;
  int dialogs = 0;
  std::function<int(CDialog&)> onDialog;
  QStringList openAnswers;
  QStringList prompts;

 private:
  CModalHooks previous_;
};

}  // namespace dalvren::test
