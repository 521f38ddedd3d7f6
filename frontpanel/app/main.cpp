#include <QApplication>
#include <clocale>

#include "app/front_panel_app.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // Qt takes the user's locale for the C library too; numbers to and from the counter always
  // use a decimal point.
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setApplicationName(QStringLiteral("ZC4100_AP"));
  zc::fp::CFrontPanelApp theApp;
  return theApp.InitInstance();
}
