// The recorder window in the whole program, headless: with the simulated
// Darvik48 (opened) or in demo mode, and a sample clock that ticks only when
// the test says so.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/acquisition_fixture.h"
#include "recorder/add_text_rec.h"
#include "recorder/recorder_file_error.h"
#include "recorder/recorder_form.h"
#include "recorder/recorder_state.h"
#include "widgets/fast_timer.h"
#include "support/program_states.h"

namespace recorder_test {

// A tick source that never ticks by itself.
class ManualTicks : public FastTickSource {
 public:
  std::uint32_t Start(std::uint32_t, std::uint32_t, std::function<void()>) override { return ++next_; }
  void Stop(std::uint32_t) override {}
  std::uint32_t MinResolution() const override { return 1; }
  std::uint32_t MaxResolution() const override { return 1000; }

 private:
  std::uint32_t next_ = 0;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

// Lines of a CR LF text.
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 2;
  }
  return lines;
}

// What the recorder tests share, over a fixture that brings the program up.
template <class Base>
class RecorderTestOf : public Base {
 protected:
  void SetUp() override {
    previous_ = SetFastTimerLibrary(&ticks_);
    Base::SetUp();
  }
  void TearDown() override {
    Base::TearDown();
    SetFastTimerLibrary(previous_);
  }

  TForm1_rec& Rec() { return *Form1_rec; }
  // Delivers sample-clock ticks while a recording runs; returns how many.
  int Tick(int max) {
    int n = 0;
    while (n < max && !Rec().RecorderState.RecStopped && Rec().FastTimer1->Enabled()) {
      Rec().FastTimer1->Tick();
      ++n;
    }
    return n;
  }
  int TickUntilStopped() { return Tick(100000); }
  std::string DocPath(const std::string& name) { return this->harness_->Home().Path() + "/" + name; }
  std::string Status() const { return Form1_rec->Label3->Caption(); }

  ManualTicks ticks_;
  FastTickSource* previous_ = nullptr;
};

using RecorderWireTest = RecorderTestOf<acquisition_test::AcquisitionTest>;

// Demo mode, no device on the bus.
class DemoBase : public device_test::DeviceTest {
 protected:
  bool DevicePresent() const override { return false; }
  void SetUp() override {
    DeviceTest::SetUp();
    ScopeState().DemoMode = 1;
  }
};
using RecorderDemoTest = RecorderTestOf<DemoBase>;

}  // namespace recorder_test
