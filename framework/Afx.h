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
inline constexpr unsigned ID_EDIT_FIND = 0xE124;       // 57636
inline constexpr unsigned ID_EDIT_REPEAT = 0xE128;     // 57640
inline constexpr unsigned ID_EDIT_REPLACE = 0xE129;    // 57641
inline constexpr unsigned ID_EDIT_UNDO = 0xE12B;       // 57643
inline constexpr unsigned ID_EDIT_REDO = 0xE12C;       // 57644
inline constexpr unsigned ID_APP_ABOUT = 0xE140;       // 57664
inline constexpr unsigned ID_APP_EXIT = 0xE141;        // 57665
// A status bar's message pane, the one that stretches.
inline constexpr unsigned ID_SEPARATOR = 0;

// The strings that hold the application title and the status bar's idle
// message.
inline constexpr unsigned AFX_IDS_APP_TITLE = 0xE000;    // 57344
inline constexpr unsigned AFX_IDS_IDLEMESSAGE = 0xE001;  // 57345

// Message box styles (buttons in the low four bits, the icon in the next
// four) and results.
inline constexpr unsigned MB_OK = 0x0;
inline constexpr unsigned MB_YESNOCANCEL = 0x3;
inline constexpr unsigned MB_YESNO = 0x4;
inline constexpr unsigned MB_ICONHAND = 0x10;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONEXCLAMATION = 0x30;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

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

// The one application object, or null before it is made.
[[nodiscard]] CWinApp* AfxGetApp();

}  // namespace dalvren
