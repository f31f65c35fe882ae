// A fixture for the start-up and settings-file tests: the whole program
// headless in a temporary home. The user's files are laid out in that home
// first (the harness's own first start is held back before its start-up
// runs), then the program starts again as the next session would, runs its
// deferred start-up and, when a test asks, closes.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "app/windows.h"
#include "engine/main_form.h"
#include "engine/scope_state.h"
#include "platform/ini/ini_file.h"
#include "platform/ui/vcl.h"
#include "support/app_harness.h"
#include "support/held_startup_test.h"

namespace startup_test {

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteText(const std::string& path, const std::string& text) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

class StartupTest : public HeldStartupTest {
 protected:

  void SetUp() override {
    // This first start only provides the home; its start-up never runs.
    HeldStartupTest::SetUp();
    std::filesystem::remove(IniPath());
  }


  std::string DataDir() const { return harness_->Home().Path() + "/.local/share/Brastel/Darvik48/"; }
  std::string IniPath() const { return DataDir() + "Darvik48.ini"; }
  void WriteIni(const std::string& text) { WriteText(IniPath(), text); }
  std::string Ini() const { return ReadText(IniPath()); }
  // One value of the main settings file as it is on disk now.
  std::string IniValue(const std::string& section, const std::string& key) const {
    TIniFile ini(IniPath());
    return ini.ReadString(section, key, "<missing>");
  }

  // The program starts again on the same home; its window creation has run.
  void Start() {
    FreeAllWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Device().ClearLog();
    PrepareApplication();
    CreateAllWindows();
  }
  // Lets the deferred start-up run to its end (or to the end of the program).
  void RunStartup() {
    ASSERT_TRUE(harness_->PumpUntil([] { return !Form1->Timer3->Enabled(); }, 5000));
  }
  void StartAndRun() {
    Start();
    RunStartup();
  }
  // Closes the main window as the user would; true when the program ended.
  bool Close() {
    Form1->Close();
    harness_->Pump(20);
    return Application->Terminated();
  }

  SimulatedDarvik48& Device() { return harness_->Device(); }
  ScriptedDialogs& Dialogs() { return harness_->Dialogs(); }

};

}  // namespace startup_test
