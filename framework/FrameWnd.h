// The framework's main window: a menu and accelerators from a resource, the
// view in the middle, the title made of the document's title and the
// application's, and command routing from menu and keys to the view, the
// document, the frame and the application in that order.
#pragma once

#include <QMainWindow>
#include <vector>

#include "framework/Wnd.h"

class QAction;
class QMenu;

namespace dalvren {

class CDocument;
class CStatusBar;
class CView;

class CFrameWnd : public QMainWindow {
 public:
  CFrameWnd();
  ~CFrameWnd() override;

  // May adjust `cs` before the frame is made; false stops the making.
  virtual bool PreCreateWindow(CREATESTRUCT& cs);

  // Makes the frame from resource `id`: menu, accelerators and icon, after
  // PreCreateWindow agreed, then runs OnCreate. Returns false when either
  // refused.
  bool LoadFrame(unsigned id);

  // Adds the frame's own parts once its menu is in place; false stops the
  // making. The base adds none.
  virtual bool OnCreate();

  // Gives the frame a status bar with the panes of `ids` (see
  // CStatusBar::SetIndicators), under the view. Returns it; the frame owns
  // it.
  CStatusBar* CreateStatusBar(const unsigned* ids, int count);
  // The status bar, or null when the frame has none.
  [[nodiscard]] CStatusBar* GetStatusBar() const { return statusBar_; }

  // While busy, the frame's menus, keys and view take no input and a drop
  // or a close is refused; only the status bar's Cancel button works.
  void SetBusy(bool busy);
  [[nodiscard]] bool IsBusy() const { return busy_; }

  // Places `view` (which the frame then owns) as the frame's view.
  void SetView(std::unique_ptr<CView> view);
  [[nodiscard]] CView* GetActiveView() const { return viewActive_; }
  [[nodiscard]] CDocument* GetActiveDocument() const;

  // Lays the frame's parts out again now rather than when next shown.
  void RecalcLayout(bool notify = true);

  // Sets the title: "DOCUMENT - APPLICATION".
  void OnUpdateFrameTitle();

  // Makes the recent-file entries of the menu match the application's list.
  void OnUpdateRecentFileMenu();

  // Lets files dropped on the frame be opened as documents.
  void DragAcceptFiles(bool accept = true);

  void ShowWindow(int command);
  // Paints the frame at once.
  void UpdateWindow();

  // Routes command `id` to the view, the document, the frame and the
  // application, stopping at the first that handles it. While busy, no one
  // gets it.
  bool OnCmdMsg(unsigned id);

  // The menu action of command `id`, or null.
  [[nodiscard]] QAction* FindMenuItem(unsigned id) const;

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  // Offers a dropped file to the view under the drop first
  // (CView::OnDropFile), and opens it as a document when the view does not
  // take it.
  void dropEvent(QDropEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void AddMenuItems(QMenu& menu, const std::vector<CMenuItemTemplate>& items);

  CView* viewActive_ = nullptr;
  CStatusBar* statusBar_ = nullptr;
  bool busy_ = false;
  QMenu* recentMenu_ = nullptr;
  QAction* recentPlaceholder_ = nullptr;
  std::vector<QAction*> recentActions_;
};

}  // namespace dalvren
