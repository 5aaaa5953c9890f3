// What the framework's forms and dialogs share: controls made from a dialog
// template and addressed by number, their texts and check states, and the
// data exchange between controls and members.
//
// A CWnd is mixed into a QWidget subclass (its host) and does not own the
// controls: they are children of the host, which Qt deletes with it.
#pragma once

#include <QRectF>
#include <QSize>
#include <QString>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Resource.h"

class QFont;
class QWidget;

namespace dalvren {

class CDataExchange;

// What PreCreateWindow may adjust before a window is made. A size of 0 keeps
// the framework's choice.
struct CREATESTRUCT {
  int cx = 0;
  int cy = 0;
  QString name;
};

class CWnd {
 public:
  CWnd() = default;
  virtual ~CWnd() = default;

  // Controls are addressed by number; a copy would alias them.
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // The control numbered `id`, or null.
  [[nodiscard]] QWidget* GetDlgItem(int id) const;

  // The whole text of control `id` as bytes (see FieldText.h); empty for no
  // such control.
  [[nodiscard]] std::string GetDlgItemTextA(int id) const;
  // Replaces the whole text of control `id` with the text of `bytes`.
  void SetDlgItemTextA(int id, std::string_view bytes);

  // BST_CHECKED when check box `id` is ticked, else BST_UNCHECKED.
  [[nodiscard]] unsigned IsDlgButtonChecked(int id) const;
  void CheckDlgButton(int id, unsigned check);

  // Runs DoDataExchange in the direction given; true when it completed.
  bool UpdateData(bool saveAndValidate = true);

  // The base units the controls are placed in: DialogBaseUnits of their
  // font, the horizontal one widened by FitControlsToTexts where a text
  // needed it. Empty before the controls are made.
  [[nodiscard]] QSize FittedDialogBaseUnits() const { return baseUnits_; }

 protected:
  // Exchanges members with controls; the base exchanges nothing.
  virtual void DoDataExchange(CDataExchange* pDX);

  // A click on button, check box or radio button `id`, or a change of the
  // text of line edit `id`; true when handled.
  virtual bool OnCommand(unsigned id);

  // Makes the controls of `dialog` as children of `host`, in tab order, in
  // the template's font, places them with FitControlsToTexts and returns the
  // template's size in pixels.
  QSize CreateControls(QWidget& host, const CDialogTemplate& dialog);

  // Places the controls at the template's places in the dialog units of
  // their font, the horizontal unit grown (for the whole template, so that
  // proportions stay and controls that did not overlap still do not) until
  // every label, button and check box shows its whole text in its contents
  // rectangle, up to four times the font's own unit. Run again after giving
  // a control a longer text. Returns the template's size in pixels.
  QSize FitControlsToTexts();

  // Places the controls for a host of `size`: as the template says, plus
  // each control's share of the room beyond the template's size.
  void LayoutControls(QSize size);

 private:
  struct CPlacement {
    QWidget* widget;
    QRect units;  // dialog units
    QRect rect;   // pixels, at the template's size
    QRectF grow;
  };

  // Sets every control's pixel rectangle for base units `base`.
  void PlaceControls(QSize base);

  QWidget* host_ = nullptr;
  std::map<int, QWidget*> items_;
  std::vector<CPlacement> placements_;
  QSize templateUnits_;
  QSize baseUnits_;
  QSize templateSize_;
};

// The font a template names, or the desktop's equivalent where that font is
// not installed: its fixed-width font for the classic fixed-width faces, its
// user-interface font for any other.
[[nodiscard]] QFont TemplateFont(const CDialogTemplate& dialog);

// Pixels per 4 horizontal and per 8 vertical dialog units for `font`: the
// average width of its letters and its height. Templates drawn for another
// font may need more room; see CWnd::FitControlsToTexts.
[[nodiscard]] QSize DialogBaseUnits(const QFont& font);

}  // namespace dalvren
