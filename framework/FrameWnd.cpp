#include "framework/FrameWnd.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QShortcut>

#include "framework/Document.h"
#include "framework/StandardIds.h"
#include "framework/StatusBar.h"
#include "framework/View.h"
#include "framework/WinApp.h"

namespace dalvren {

namespace {

// The local file a drag carries, or empty.
QString DroppedFile(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls() || data->urls().isEmpty()) return {};
  const QUrl url = data->urls().first();
  return url.isLocalFile() ? url.toLocalFile() : QString();
}

}  // namespace

CFrameWnd::CFrameWnd() = default;
CFrameWnd::~CFrameWnd() = default;

bool CFrameWnd::PreCreateWindow(CREATESTRUCT& /*cs*/) { return true; }

bool CFrameWnd::LoadFrame(unsigned id) {
  CREATESTRUCT cs;
  if (const CWinApp* app = AfxGetApp()) cs.name = app->m_strAppName;
  if (!PreCreateWindow(cs)) return false;
  setWindowTitle(cs.name);
  if (cs.cx > 0 && cs.cy > 0) resize(cs.cx, cs.cy);
  setWindowIcon(LoadIconResource(id));
  for (const CMenuItemTemplate& popup : LoadMenuResource(id)) {
    AddMenuItems(*menuBar()->addMenu(popup.text), popup.items);
  }
  for (const CAcceleratorTemplate& accelerator : LoadAcceleratorResource(id)) {
    auto* shortcut = new QShortcut(accelerator.key, this);
    const unsigned command = accelerator.id;
    connect(shortcut, &QShortcut::activated, this,
            [this, command] { OnCmdMsg(command); });
  }
  OnUpdateRecentFileMenu();
  return OnCreate();
}

bool CFrameWnd::OnCreate() { return true; }

CStatusBar* CFrameWnd::CreateStatusBar(const unsigned* ids, int count) {
  statusBar_ = new CStatusBar(this);
  statusBar_->SetIndicators(ids, count);
  setStatusBar(statusBar_);
  return statusBar_;
}

void CFrameWnd::SetBusy(bool busy) {
  busy_ = busy;
  menuBar()->setEnabled(!busy);
  if (QWidget* view = centralWidget()) view->setEnabled(!busy);
}

void CFrameWnd::AddMenuItems(QMenu& menu,
                             const std::vector<CMenuItemTemplate>& items) {
  for (const CMenuItemTemplate& item : items) {
    if (item.separator) {
      menu.addSeparator();
    } else if (!item.items.empty()) {
      AddMenuItems(*menu.addMenu(item.text), item.items);
    } else {
      QAction* action = menu.addAction(item.text);
      action->setData(item.id);
      action->setEnabled(!item.grayed);
      const unsigned command = item.id;
      connect(action, &QAction::triggered, this,
              [this, command] { OnCmdMsg(command); });
      // The framework fills this place with the recent files.
      if (item.id == ID_FILE_MRU_FILE1) {
        recentMenu_ = &menu;
        recentPlaceholder_ = action;
      }
    }
  }
}

void CFrameWnd::SetView(std::unique_ptr<CView> view) {
  viewActive_ = view.get();
  setCentralWidget(view.release());
}

CDocument* CFrameWnd::GetActiveDocument() const {
  return viewActive_ != nullptr ? viewActive_->GetDocument() : nullptr;
}

void CFrameWnd::RecalcLayout(bool /*notify*/) {
  if (QLayout* frameLayout = layout()) frameLayout->activate();
}

void CFrameWnd::OnUpdateFrameTitle() {
  const CWinApp* app = AfxGetApp();
  const QString appName = app != nullptr ? app->m_strAppName : QString();
  const CDocument* document = GetActiveDocument();
  setWindowTitle(document != nullptr && !document->GetTitle().isEmpty()
                     ? document->GetTitle() + QStringLiteral(" - ") + appName
                     : appName);
}

void CFrameWnd::OnUpdateRecentFileMenu() {
  if (recentPlaceholder_ == nullptr) return;
  for (QAction* action : recentActions_) {
    recentMenu_->removeAction(action);
    action->deleteLater();
  }
  recentActions_.clear();
  const CWinApp* app = AfxGetApp();
  const int count = app != nullptr ? app->RecentFiles().GetSize() : 0;
  for (int i = 0; i < count; ++i) {
    auto* action = new QAction(app->RecentFiles().GetDisplayName(i), this);
    const unsigned command = ID_FILE_MRU_FILE1 + static_cast<unsigned>(i);
    action->setData(command);
    action->setStatusTip(app->RecentFiles()[i]);
    connect(action, &QAction::triggered, this,
            [this, command] { OnCmdMsg(command); });
    recentMenu_->insertAction(recentPlaceholder_, action);
    recentActions_.push_back(action);
  }
  recentPlaceholder_->setVisible(count == 0);
}

void CFrameWnd::DragAcceptFiles(bool accept) { setAcceptDrops(accept); }

void CFrameWnd::ShowWindow(int command) {
  if (command == SW_SHOW) show();
}

void CFrameWnd::UpdateWindow() { repaint(); }

bool CFrameWnd::OnCmdMsg(unsigned id) {
  if (busy_) return true;
  if (viewActive_ != nullptr && viewActive_->OnCmdMsg(id)) return true;
  if (CDocument* document = GetActiveDocument();
      document != nullptr && document->OnCmdMsg(id)) {
    return true;
  }
  if (id == ID_APP_EXIT) {
    close();
    return true;
  }
  CWinApp* app = AfxGetApp();
  return app != nullptr && app->OnCmdMsg(id);
}

QAction* CFrameWnd::FindMenuItem(unsigned id) const {
  QList<QAction*> pending = menuBar()->actions();
  while (!pending.empty()) {
    QAction* action = pending.takeLast();
    if (QMenu* menu = action->menu()) {
      pending.append(menu->actions());
    } else if (action->isVisible() && action->data().toUInt() == id) {
      return action;
    }
  }
  return nullptr;
}

void CFrameWnd::dragEnterEvent(QDragEnterEvent* event) {
  if (!busy_ && !DroppedFile(event->mimeData()).isEmpty()) {
    event->acceptProposedAction();
  }
}

void CFrameWnd::dropEvent(QDropEvent* event) {
  const QString path = DroppedFile(event->mimeData());
  if (busy_ || path.isEmpty()) return;
  event->acceptProposedAction();
  if (viewActive_ != nullptr) {
    const QPoint at = viewActive_->mapFrom(this, event->position().toPoint());
    QWidget* target = viewActive_->childAt(at);
    if (viewActive_->OnDropFile(path,
                                target != nullptr ? target : viewActive_)) {
      return;
    }
  }
  if (CWinApp* app = AfxGetApp()) app->OpenDocumentFile(path);
}

void CFrameWnd::closeEvent(QCloseEvent* event) {
  if (busy_) {
    event->ignore();
    return;
  }
  QMainWindow::closeEvent(event);
}

}  // namespace dalvren
