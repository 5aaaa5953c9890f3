// The application: start-up, and the About, New and Open commands.
#pragma once

#include "framework/WinApp.h"

namespace dalvren {

class CDalvrenApp : public CWinApp {
 public:
  CDalvrenApp();

  // Sets up settings, the document template and the desktop registration,
  // then makes or opens the first document as the command line says and
  // shows the window. False (with nothing shown) when that fails.
  bool InitInstance() override;

  bool OnCmdMsg(unsigned id) override;

 private:
  // Shows the About box modally.
  void OnAppAbout();
};

}  // namespace dalvren
