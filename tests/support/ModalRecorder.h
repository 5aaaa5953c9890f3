// Answers every modal interaction of the framework while it lives, and keeps
// what was asked: message boxes take the next queued answer (when none is
// left: OK, or the box's No or Cancel where it asks a question), dialogs are
// handed to `onDialog` (by default ended with OK), file prompts take the
// next queued answer (Cancel when none is left).
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "framework/Dialog.h"
#include "framework/ModalHooks.h"

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
           if (!answers.empty()) {
             const int answer = answers.front();
             answers.erase(answers.begin());
             return answer;
           }
           const unsigned buttons = style & 0x0F;
           return buttons == MB_YESNO         ? IDNO
                  : buttons == MB_YESNOCANCEL ? IDCANCEL
                                              : IDOK;
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
         },
         [this](const QString& caption, const QString& filter) {
           prompts.push_back(caption + QLatin1Char('|') + filter);
           return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
         }});
  }
  ~CModalRecorder() { SetModalHooks(previous_); }

  CModalRecorder(const CModalRecorder&) = delete;
  CModalRecorder& operator=(const CModalRecorder&) = delete;

  std::vector<CMessage> messages;
  // The buttons the next message boxes are answered with, first first.
  std::vector<int> answers;
  int dialogs = 0;
  std::function<int(CDialog&)> onDialog;
  QStringList openAnswers;
  QStringList saveAnswers;
  QStringList prompts;

 private:
  CModalHooks previous_;
};

}  // namespace dalvren::test
