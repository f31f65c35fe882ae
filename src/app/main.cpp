#include <QApplication>

#include "app/windows.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  CreateAllWindows();
  int rc = app.exec();
  FreeAllWindows();
  return rc;
}
