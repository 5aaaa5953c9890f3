// The framework's standard identifiers and styles: the command ids of its
// standard commands, the ids of the strings it reads, message box styles and
// results, and the show and check-box states the application passes on. The
// numbers are the classic application framework's, which resource files
// name.
#pragma once

namespace dalvren {

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

}  // namespace dalvren
