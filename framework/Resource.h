// The program's resources: menus, accelerators, strings, dialog templates,
// icons and the version record, read from the resource script that the
// application embeds at kResourceScript. The framework reads them; the
// application names them by number.
#pragma once

#include <QIcon>
#include <QJsonObject>
#include <QKeySequence>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace dalvren {

inline constexpr char kResourceScript[] = ":/res/resources.json";

// One menu entry: a popup when `items` is not empty, else a command or a
// separator.
struct CMenuItemTemplate {
  QString text;
  unsigned id = 0;
  bool separator = false;
  bool grayed = false;
  std::vector<CMenuItemTemplate> items;
};

struct CAcceleratorTemplate {
  QKeySequence key;
  unsigned id = 0;
};

// One control of a dialog template. `rect` is in dialog units. `grow` says
// how a control follows a form enlarged past its template size: the
// fractions of the extra width and height added to its x, y, width and
// height (all 0 keeps it where the template puts it).
struct CControlTemplate {
  int id = -1;
  // "edit" (multi-line; "readonly" among its styles makes it so),
  // "lineedit" (one line), "button", "checkbox", "radio", "label", "icon".
  QString kind;
  QString text;
  QRect rect;
  QStringList styles;
  int buddy = -1;  // for a label: the control its mnemonic focuses
  int icon = 0;    // for an icon: the icon resource
  QRectF grow;
};

struct CDialogTemplate {
  QString caption;
  QSize size;  // dialog units
  QString fontFamily;
  int pointSize = 8;
  std::vector<CControlTemplate> controls;  // in tab order
};

// A resource script as read from a file: its resources, or why there are
// none.
struct CResourceScript {
  QJsonObject resources;
  // Empty when the script was read; else a message that names the script.
  QString error;
};

// Reads the resource script at `path`. A missing file, text that is not
// JSON, or JSON that is not an object gives empty resources and the error.
[[nodiscard]] CResourceScript ReadResourceScript(const QString& path);

// Why the program's own script (kResourceScript) could not be read, or empty
// when it was. Without it the program has no menus, windows or texts, so
// start-up refuses (AfxWinMain).
[[nodiscard]] QString ResourceScriptError();

// Each returns nothing (or an empty value) when the script has no such
// resource.
[[nodiscard]] QString LoadResourceString(unsigned id);
[[nodiscard]] std::vector<CMenuItemTemplate> LoadMenuResource(unsigned id);
[[nodiscard]] std::vector<CAcceleratorTemplate> LoadAcceleratorResource(
    unsigned id);
[[nodiscard]] std::optional<CDialogTemplate> LoadDialogResource(unsigned id);
[[nodiscard]] QIcon LoadIconResource(unsigned id);
// The files of an icon resource, one per drawn size, smallest first.
[[nodiscard]] QStringList IconResourceFiles(unsigned id);
// A value of the version record, such as "FileVersion".
[[nodiscard]] QString LoadVersionValue(const QString& name);
// The program's version as people write it: the record's file version with
// dots, "1.0.0.1" for "1, 0, 0, 1".
[[nodiscard]] QString LoadVersionText();

}  // namespace dalvren
