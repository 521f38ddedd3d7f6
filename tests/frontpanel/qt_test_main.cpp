// Widget tests need the application object before any widget exists.
#include <gtest/gtest.h>

#include <QApplication>
#include <clocale>
#include <cstdlib>

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");  // as the program does
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
