// The application object: shows the main window modally; the program ends when it closes.
#pragma once

namespace zc::fp {

class CFrontPanelApp {
 public:
  // Returns the process exit code.
  int InitInstance();
};

}  // namespace zc::fp
