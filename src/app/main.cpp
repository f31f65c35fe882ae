// The main block: the shared-memory blocks first, then every window once, in
// a fixed order; they live until the message loop ends with the main
// window's close.
#include <QApplication>

#include "app/windows.h"
#include "io/shared_blocks.h"
#include "platform/ui/application.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  PrepareApplication();
  // Without the shared blocks (the user is told) the instrument still runs.
  OpenSharedMemory();
  CreateAllWindows();
  // A logout, kill or Ctrl+C closes like the window's close box: settings
  // written, device released, the running mark taken off.
  CloseOnTerminationSignals();
  Application->Run();
  FreeAllWindows();
  io::CloseSharedBlocks();
  return 0;
}
