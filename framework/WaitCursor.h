// Shows the busy cursor over the program's windows for as long as it lives.
#pragma once

#include <QGuiApplication>

namespace dalvren {

class CWaitCursor {
 public:
  CWaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
  ~CWaitCursor() { QGuiApplication::restoreOverrideCursor(); }

  // Each one restores exactly the cursor it replaced.
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;
};

}  // namespace dalvren
