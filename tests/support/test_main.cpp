// Entry point of every test program: a Qt application on the offscreen platform,
// so windows and timers work without a display.
#include <QApplication>
#include <cstdlib>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

namespace {

// The offscreen platform's own screen is 800 x 600, smaller than the main
// window; the tests run on a common desktop of 1920 x 1080 instead.
std::string DesktopScreenConfig() {
  const auto path = std::filesystem::temp_directory_path() / ("darvik48-test-screen-" + std::to_string(getpid()) + ".json");
  std::ofstream out(path, std::ios::trunc);
  out << R"({"screens": [{"name": "Desktop", "x": 0, "y": 0, "width": 1920, "height": 1080,)"
      << R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";
  return out ? path.string() : std::string();
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  std::string screenConfig;
  if (std::string(std::getenv("QT_QPA_PLATFORM")) == "offscreen") {
    screenConfig = DesktopScreenConfig();
    if (!screenConfig.empty()) setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screenConfig).c_str(), 1);
  }
  int result = 0;
  {
    // The test flags are taken out first: the program's command line names
    // a settings file, and a test program's has none.
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    result = RUN_ALL_TESTS();
  }
  if (!screenConfig.empty()) {
    std::error_code ec;
    std::filesystem::remove(screenConfig, ec);
  }
  return result;
}
