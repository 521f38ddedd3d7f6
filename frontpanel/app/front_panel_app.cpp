#include "app/front_panel_app.h"

#include "app/front_panel_dlg.h"

namespace zc::fp {

int CFrontPanelApp::InitInstance() {
  CFrontPanelDlg dlg;
  dlg.OnInitDialog();
  dlg.exec();
  return 0;
}

}  // namespace zc::fp
