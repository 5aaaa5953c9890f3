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
class CView;

class CFrameWnd : public QMainWindow {
 public:
  CFrameWnd();
  ~CFrameWnd() override;

  // May adjust `cs` before the frame is made; false stops the making.
  virtual bool PreCreateWindow(CREATESTRUCT& cs);

  // Makes the frame from resource `id`: menu, accelerators and icon, after
  // PreCreateWindow agreed. Returns false when it did not.
  bool LoadFrame(unsigned id);

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
  // application, stopping at the first that handles it.
  bool OnCmdMsg(unsigned id);

  // The menu action of command `id`, or null.
  [[nodiscard]] QAction* FindMenuItem(unsigned id) const;

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void AddMenuItems(QMenu& menu, const std::vector<CMenuItemTemplate>& items);

  CView* viewActive_ = nullptr;
  QMenu* recentMenu_ = nullptr;
  QAction* recentPlaceholder_ = nullptr;
  std::vector<QAction*> recentActions_;
};

}  // namespace dalvren
