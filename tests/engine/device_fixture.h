// A fixture for the device-link tests: the whole program headless with a
// simulated Darvik48 (or none), the deferred start-up held back, and the
// program and data folders in the temporary home. Also a maker of logic files.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/main_form.h"
#include "device/scope_device.h"
#include "engine/scope_state.h"
#include "support/app_harness.h"
#include "support/held_startup_test.h"
#include "support/program_states.h"

namespace device_test {

inline constexpr std::size_t kStreamBytes = 54912;
inline constexpr std::size_t kDataBytes = kStreamBytes - 5;
inline constexpr std::size_t kHeaderBytes = 66;

inline std::uint8_t Reversed(std::uint8_t b) {
  std::uint8_t r = 0;
  for (int i = 0; i < 8; ++i)
    if (b & (1u << i)) r = static_cast<std::uint8_t>(r | (0x80u >> i));
  return r;
}

// A logic file: 66 header bytes, then filler so that the three 0xFF of the
// sync mark end at the `syncEnd`-th byte after the header, then `data`.
inline std::vector<std::uint8_t> LogicFile(std::size_t syncEnd, const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t> file(kHeaderBytes, 0x5A);
  file.insert(file.end(), syncEnd - 3, 0x11);
  file.insert(file.end(), {0xFF, 0xFF, 0xFF});
  file.insert(file.end(), data.begin(), data.end());
  return file;
}

// Configuration data that fills the stream exactly, no byte like its neighbour.
inline std::vector<std::uint8_t> FullData() {
  std::vector<std::uint8_t> data(kDataBytes);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7 + 3);
  return data;
}

inline void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class DeviceTest : public HeldStartupTest {
 protected:
  bool DevicePresent() const override { return true; }

  void SetUp() override {
    // The tests open the device themselves.
    HeldStartupTest::SetUp();

    using namespace engine;
    programDir_ = harness_->Home().Path() + "/program/";
    dataDir_ = harness_->Home().Path() + "/data/";
    std::filesystem::create_directories(programDir_);
    std::filesystem::create_directories(dataDir_);
    ScopeState().ProgramFolder = programDir_;
    ScopeState().DataFolder = dataDir_;
  }


  SimulatedDarvik48& Device() { return harness_->Device(); }
  device::ScopeDevice& Link() { return Driver(); }
  ScriptedDialogs& Dialogs() { return harness_->Dialogs(); }
  std::string ProgramLogicFile() const { return programDir_ + "darvik48.bit"; }
  std::string DataLogicFile() const { return dataDir_ + "darvik48.bit"; }

  void InstallLogicFile(const std::vector<std::uint8_t>& bytes) { WriteFile(ProgramLogicFile(), bytes); }
  // A good logic file, the device opened, the log cleared.
  void OpenDevice() {
    InstallLogicFile(LogicFile(5, FullData()));
    Form1->Acquisition().test0();
    ASSERT_TRUE(Driver().IsOpen());
    Device().ClearLog();
  }

  // Bytes the device took in writes, transfer by transfer.
  std::vector<std::vector<std::uint8_t>> Writes() const {
    std::vector<std::vector<std::uint8_t>> out;
    for (const SimTransfer& t : harness_->Device().Transfers())
      if (t.kind == SimTransfer::Kind::Write) out.push_back(t.data);
    return out;
  }

  std::string programDir_, dataDir_;
};

}  // namespace device_test
