// What the benchmarks of the whole program share: the program's windows
// created headless in a temporary home (a run never touches the user's
// settings, and the device is never opened), and the time base chosen as its
// button chooses it.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>

#include "app/windows.h"
#include "engine/main_form.h"
#include "engine/step_tables.h"
#include "io/shared_blocks.h"
#include "platform/shm/shared_memory.h"

// HOME and the XDG folders in a temporary folder for the life of the run.
class ScratchHome {
 public:
  ScratchHome() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "darvik48-bench-XXXXXX").string();
    if (mkdtemp(tmpl.data())) path_ = tmpl;
    if (path_.empty()) return;
    setenv("HOME", path_.c_str(), 1);
    setenv("XDG_DATA_HOME", (path_ + "/.local/share").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (path_ + "/.config").c_str(), 1);
    unsetenv("XDG_DOCUMENTS_DIR");
  }
  ~ScratchHome() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  ScratchHome(const ScratchHome&) = delete;
  ScratchHome& operator=(const ScratchHome&) = delete;
  bool ok() const { return !path_.empty(); }

 private:
  std::string path_;
};

// The body of main(): creates the windows, runs `prepare`, then the
// benchmarks named on the command line.
inline int RunProgramBenchmarks(int argc, char** argv, const std::function<void()>& prepare) {
  // With a display (xvfb-run, or a desktop) the pictures go to the window
  // system as in the program; without one they are painted offscreen.
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", std::getenv("DISPLAY") ? "xcb" : "offscreen", 1);
  std::fprintf(stderr, "painting on the %s platform\n", std::getenv("QT_QPA_PLATFORM"));
  ScratchHome home;
  if (!home.ok()) return 1;
  // The shared-memory blocks of the run have names of their own, removed at the end.
  const std::string suffix = "bench" + std::to_string(getpid());
  setenv(io::kNameSuffixVariable, suffix.c_str(), 1);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

  PrepareApplication();
  OpenSharedMemory();
  CreateAllWindows();
  // The deferred start-up (device, calibration) never runs here.
  Form1->Timer3->SetEnabled(false);
  prepare();

  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  FreeAllWindows();
  io::CloseSharedBlocks();
  for (const char* base : {io::kSampleExportName, io::kScopeMailboxName, io::kGeneratorMailboxName})
    shm::SharedMemory::Unlink(io::SharedBlockName(base));
  return 0;
}

// Applies the time/div row with this label as its button does.
inline void SelectTimeBase(const std::string& label) {
  for (const engine::TimeBaseStep& step : engine::TimeBaseTable)
    if (step.Button && step.Label == label) {
      Form1->FrontPanel().ApplyTimeBaseStep(step);
      return;
    }
}
