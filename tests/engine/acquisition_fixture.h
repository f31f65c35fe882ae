// A fixture for the acquisition tests: the device-link fixture with the
// simulated Darvik48 opened, plus a compact view of the transfer log and the
// Run / Single presses a user makes.
#pragma once

#include <algorithm>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "device_fixture.h"
#include "engine/scope_state.h"
#include "device/scope_device.h"
#include "platform/ui/vcl.h"
#include "display/history_state.h"
#include "support/program_states.h"

namespace acquisition_test {

inline constexpr const char* kDisconnected = "Darvik48 disconnected.";

// One transfer as text: "W9/10" (a one-byte write of 9, 10 ms), "W14+9/10"
// for longer writes (first byte and the count of the others), "R1/200:1=68"
// (a status poll of 1 byte, 200 ms, 1 arrived, holding 0x44), "R1024/200:1024".
inline std::string Describe(const SimTransfer& t) {
  std::ostringstream s;
  if (t.kind == SimTransfer::Kind::Write) {
    s << "W" << (t.data.empty() ? -1 : static_cast<int>(t.data[0]));
    if (t.length > 1) s << "+" << t.length - 1;
    s << "/" << t.timeout_ms;
  } else if (t.kind == SimTransfer::Kind::Read) {
    s << "R" << t.length << "/" << t.timeout_ms << ":" << t.data.size();
    // A status poll shows the status byte that arrived (68 = 0x44, done).
    if (t.length <= 4 && !t.data.empty()) s << "=" << static_cast<int>(t.data[0]);
  } else {
    s << "F";
  }
  return s.str();
}

inline std::vector<std::string> Describe(const std::vector<SimTransfer>& transfers) {
  std::vector<std::string> out;
  for (const SimTransfer& t : transfers) out.push_back(Describe(t));
  return out;
}

// The eight block reads of one capture with their time-out.
inline std::vector<std::string> BlockReads(unsigned timeout) {
  return std::vector<std::string>(8, "R1024/" + std::to_string(timeout) + ":1024");
}

class AcquisitionTest : public device_test::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    OpenDevice();
    using namespace engine;
    using namespace display;
    HistoryState().HistoryIndex = 0;
    HistoryState().HistoryStoreOn = 1;
    ScopeState().AcquisitionIdle = 1;
    ScopeState().RunStop = ScopeState().SingleStop = 0;
  }

  void PumpUntil(const std::function<bool()>& condition, int ms = 3000) {
    ASSERT_TRUE(harness_->PumpUntil(condition, ms)) << Device().Dump();
  }
  void Pump(int ms) { harness_->Pump(ms); }

  // The user's clicks.
  void ClickRun() { Form1->SpeedButtonRun->Click(); }
  void ClickSingle() { Form1->SpeedButtonSingle->Click(); }

  std::string Status() const { return Form1->Label3->Caption(); }
  std::vector<std::string> Log() { return Describe(Device().Transfers()); }
  int Count(const std::string& text) {
    const std::vector<std::string> log = Log();
    return static_cast<int>(std::count(log.begin(), log.end(), text));
  }
};

}  // namespace acquisition_test
