// The main block: every window is created once, in a fixed order, and lives
// until the message loop ends with the main window's close.
#include <QApplication>

#include "app/windows.h"
#include "platform/ui/application.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  PrepareApplication();
  CreateAllWindows();
  Application->Run();
  FreeAllWindows();
  return 0;
}
