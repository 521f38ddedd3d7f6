#include <QApplication>

#include "app/front_panel_app.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("ZC4100_AP"));
  zc::fp::CFrontPanelApp theApp;
  return theApp.InitInstance();
}
