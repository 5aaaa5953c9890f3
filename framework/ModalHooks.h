// The framework's modal interactions (message boxes, file prompts, modal
// dialogs) and the hooks through which tests observe and answer them
// without a modal loop.
#pragma once

#include <QString>
#include <functional>

#include "framework/StandardIds.h"

namespace dalvren {

class CDialog;

// Every modal interaction of the framework goes through these hooks, so that
// tests observe and answer them without a modal loop. An empty member means
// the real modal window.
struct CModalHooks {
  // Answers a message box of `text` with `style`; returns the button pressed.
  std::function<int(const QString& text, unsigned style)> messageBox;
  // Runs an initialised dialog in place of its modal loop; returns its result.
  std::function<int(CDialog& dialog)> dialog;
  // Answers a file-open prompt with the chosen path, or empty for Cancel.
  std::function<QString(const QString& caption, const QString& filter)>
      openFileName;
  // Answers a file-save prompt with the chosen path, or empty for Cancel. A
  // path chosen there that exists is one the user agreed to replace.
  std::function<QString(const QString& caption, const QString& filter)>
      saveFileName;
};

// Installs `hooks` and returns the ones they replace.
CModalHooks SetModalHooks(CModalHooks hooks);
[[nodiscard]] const CModalHooks& ModalHooks();

// Shows the modal message `text` (titled with the application title) with
// the icon and the buttons that `style` names (OK, Yes and No, or Yes, No
// and Cancel); returns the button pressed: IDOK, IDYES, IDNO or IDCANCEL.
// Closing the box answers Cancel where it has one, else No, else OK.
int AfxMessageBox(const QString& text, unsigned style = MB_OK,
                  unsigned helpId = 0);

// Asks for a file to open (`save` false) or to save to, in the folder or at
// the path `start`, offering the files `filter` names; returns the chosen
// path, or empty for Cancel. A file chosen for saving that exists is one the
// user agreed to replace.
[[nodiscard]] QString AfxPromptFileName(const QString& caption,
                                        const QString& filter,
                                        const QString& start, bool save);

}  // namespace dalvren
