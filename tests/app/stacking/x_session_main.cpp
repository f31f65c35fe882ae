// Entry point of the stacking tests: a virtual X server of their own with a
// window manager on it, since which window is on top is the window
// manager's decision, and a Qt application on that display.
#include <QApplication>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "x_session.h"

namespace {

pid_t Spawn(const std::vector<std::string>& args, int keepFd = -1) {
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  const int null = ::open("/dev/null", O_RDWR);
  ::dup2(null, 0);
  ::dup2(null, 1);
  ::dup2(null, 2);
  for (int fd = 3; fd < 256; ++fd)
    if (fd != keepFd) ::close(fd);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  ::execvp(argv[0], argv.data());
  ::_exit(127);
}

void Stop(pid_t pid) {
  if (pid <= 0) return;
  ::kill(pid, SIGTERM);
  ::waitpid(pid, nullptr, 0);
}

// Starts Xvfb on a free display; the display's name, or empty.
std::string StartXServer(pid_t& pid) {
  int fds[2];
  if (::pipe(fds) != 0) return {};
  pid = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"},
              fds[1]);
  ::close(fds[1]);
  std::string number;
  char ch;
  // Xvfb writes the display number once it accepts clients.
  while (::read(fds[0], &ch, 1) == 1 && ch != '\n') number += ch;
  ::close(fds[0]);
  if (number.empty()) {
    Stop(pid);
    pid = -1;
    return {};
  }
  return ":" + number;
}

}  // namespace

std::string XSessionProblem;

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();

  pid_t server = -1, manager = -1;
  const std::string display = StartXServer(server);
  const auto config = std::filesystem::temp_directory_path() / ("darvik48-wm-" + std::to_string(::getpid()) + ".xml");
  if (display.empty()) {
    XSessionProblem = "no X server could be started (Xvfb)";
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  } else {
    ::setenv("DISPLAY", display.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    // A task bar at the foot of the screen, as on a desktop: windows keep clear of it.
    std::ofstream(config) << "<?xml version=\"1.0\"?>\n<JWM><FocusModel>click</FocusModel>"
                             "<Tray x=\"0\" y=\"-1\" height=\"25\" autohide=\"off\"><TaskList/></Tray></JWM>\n";
    manager = Spawn({"jwm", "-display", display, "-f", config.string()});
  }
  int result = 0;
  {
    QApplication app(argc, argv);
    if (manager > 0 && !WaitForWindowManager(std::chrono::seconds(10)))
      XSessionProblem = "the window manager (jwm, installed by scripts/setup) did not start";
    result = RUN_ALL_TESTS();
  }
  Stop(manager);
  Stop(server);
  std::error_code ec;
  std::filesystem::remove(config, ec);
  return result;
}
