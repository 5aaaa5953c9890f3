// Identifiers, styles and modal seams shared by every part of the framework
// layer: the small set of the classic application framework's constants and
// global calls that the application uses, on Qt Widgets.
#pragma once

#include <QString>
#include <functional>

namespace dalvren {

class CDialog;
class CWinApp;

// Command identifiers of the framework's standard commands.
inline constexpr unsigned ID_FILE_NEW = 0xE100;        // 57600
inline constexpr unsigned ID_FILE_OPEN = 0xE101;       // 57601
inline constexpr unsigned ID_FILE_MRU_FILE1 = 0xE110;  // 57616, and on
inline constexpr unsigned ID_APP_ABOUT = 0xE140;       // 57664
inline constexpr unsigned ID_APP_EXIT = 0xE141;        // 57665

// The string that holds the application title.
inline constexpr unsigned AFX_IDS_APP_TITLE = 0xE000;  // 57344

// Message box styles and results.
inline constexpr unsigned MB_OK = 0x0;
inline constexpr unsigned MB_ICONHAND = 0x10;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// ShowWindow command and check-box state.
inline constexpr int SW_SHOW = 5;
inline constexpr unsigned BST_UNCHECKED = 0;
inline constexpr unsigned BST_CHECKED = 1;

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
};

// Installs `hooks` and returns the ones they replace.
CModalHooks SetModalHooks(CModalHooks hooks);
[[nodiscard]] const CModalHooks& ModalHooks();

// Shows the modal message `text` (titled with the application title) with
// the icon that `style` names and an OK button; returns the button pressed.
int AfxMessageBox(const QString& text, unsigned style = MB_OK,
                  unsigned helpId = 0);

// The one application object, or null before it is made.
[[nodiscard]] CWinApp* AfxGetApp();

}  // namespace dalvren
