// The automatic calibration against the simulated Darvik48 and its input
// stage model (SimFrontEnd): the transfers of each step and the DAC bytes
// searched, the record it stores, the report and its file, the messages; a
// failing calibration and its fallback at the next start; a report that
// cannot be written; a device lost midway; the menu entries; the first-run
// calibration of the start-up; the extended wait. Calibrations cut short (a
// close, a silent device, short replies) and records out of range.
#include <gtest/gtest.h>


#include <algorithm>
#include <chrono>
#include <climits>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "device_fixture.h"
#include "engine/btn_bottom_dlg3.h"
#include "engine/calibration.h"
#include "engine/control_panel.h"
#include "engine/form9.h"
#include "engine/main_form.h"
#include "device/scope_device.h"
#include "engine/scope_state.h"
#include "platform/os/folders.h"
#include "platform/ui/vcl.h"
#include "startup_fixture.h"
#include "support/program_states.h"

namespace {

const std::string kSucceeded = "Calibration completed successfully.";
const std::string kFailed = "CALIBRATION FAILED.\rPlease check 'Calibration.log' file for more details";
const std::string kDisconnected = "Darvik48 disconnected.";
const std::string kPreviousFailed =
    "Previous calibration failed.\rSelect File|Calibrate && Exit and restart the program.";
const std::string kCalibrateNow =
    "The oscilloscope will now be calibrated.\rPlease make sure that the oscilloscope inputs CH1 and CH2\r"
    "are disconnected from external circuits.";

// A calibration record in the order of the settings file's keys.
using Record = std::array<std::int32_t, 16>;
const std::array<const char*, 16> kRecordKeys = {"offs_1",   "offs_2",   "v5_offs1", "v5_offs2", "Ch1_pos0", "Ch1_pos1",
                                                 "Ch1_pos2", "Ch2_pos0", "Ch2_pos1", "Ch2_pos2", "Ch1_ad0",  "Ch1_ad1",
                                                 "Ch1_ad2",  "Ch2_ad0",  "Ch2_ad1",  "Ch2_ad2"};
// What an earlier good calibration left; no value like the model's.
const Record kEarlierRecord = {117, 133, -7, 12, 127, 30, 221, 129, 33, 226, 118, 21, 212, 131, 110, 150};

std::array<std::int32_t*, 16> RecordFields() {
  using namespace engine;
  return {&ScopeState().Channels[0].OffsetCal, &ScopeState().Channels[1].OffsetCal, &ScopeState().Channels[0].V5Offset, &ScopeState().Channels[1].V5Offset, &ScopeState().Channels[0].pos0, &ScopeState().Channels[0].pos1, &ScopeState().Channels[0].pos2, &ScopeState().Channels[1].pos0,
          &ScopeState().Channels[1].pos1,     &ScopeState().Channels[1].pos2,     &ScopeState().Channels[0].ad0,     &ScopeState().Channels[0].ad1,     &ScopeState().Channels[0].ad2,  &ScopeState().Channels[1].ad0,  &ScopeState().Channels[1].ad1,  &ScopeState().Channels[1].ad2};
}
void PutRecord(const Record& record) {
  const auto fields = RecordFields();
  for (std::size_t i = 0; i < fields.size(); ++i) *fields[i] = record[i];
}
Record RecordInForce() {
  Record record{};
  const auto fields = RecordFields();
  for (std::size_t i = 0; i < fields.size(); ++i) record[i] = *fields[i];
  return record;
}
std::string RecordSection(const Record& record) {
  std::string text = "[Calibration]\n";
  for (std::size_t i = 0; i < record.size(); ++i) text += std::string(kRecordKeys[i]) + "=" + std::to_string(record[i]) + "\n";
  return text;
}

// Settings-packet bytes: 3 V/div and 1 V/div with the input grounded and DC
// coupled; the time-base register of 1 ms/div and of 10 us/div.
constexpr std::uint8_t k3VGrounded = 0x08 | 0x10 | 0x01;
constexpr std::uint8_t k1VGrounded = 0x28 | 0x10 | 0x01;
constexpr std::uint8_t kReg1ms = 0xF8;
constexpr std::uint8_t kReg10us = 0x80;

// The model of the main tests. CH1 reads 1 code per offset step at 3 V/div
// and centres at 120; CH2 reads 7 codes per step and centres at 130, so its
// sweeps overshoot and step back down.
SimFrontEnd Model() {
  SimFrontEnd model;
  model.Ch1 = {.Zero3V = 120, .Slope3V = 1, .Zero1V = 100, .Slope1V = 2, .Stuck = {}};
  model.Ch2 = {.Zero3V = 130, .Slope3V = 7, .Zero1V = 170, .Slope1V = 3, .Stuck = {}};
  return model;
}

// What the device was asked for, with the settings it held at that moment.
struct Request {
  std::uint8_t command;            // 10: a capture, 13: a slow read
  std::array<std::uint8_t, 7> c;   // the control bytes of the last settings packet
};

std::vector<Request> Requests(const std::vector<SimTransfer>& wire, std::uint8_t command) {
  std::vector<Request> out;
  std::array<std::uint8_t, 7> c{};
  for (const SimTransfer& t : wire) {
    if (t.kind != SimTransfer::Kind::Write) continue;
    if (t.data.size() == 10 && t.data[0] == 14 && t.data[1] == 128)
      std::copy(t.data.begin() + 3, t.data.end(), c.begin());
    if (t.data.size() == 1 && t.data[0] == command) out.push_back({command, c});
  }
  return out;
}

std::vector<int> Bytes(const std::vector<Request>& requests, std::size_t index, std::size_t from = 0,
                       std::size_t count = SIZE_MAX) {
  std::vector<int> out;
  for (std::size_t i = from; i < requests.size() && out.size() < count; ++i) out.push_back(requests[i].c[index]);
  return out;
}

// first, first + 1, ..., last; each value `times` times.
std::vector<int> Ramp(int first, int last, int times = 1) {
  std::vector<int> out;
  const int step = first <= last ? 1 : -1;
  for (int v = first;; v += step) {
    out.insert(out.end(), static_cast<std::size_t>(times), v);
    if (v == last) break;
  }
  return out;
}

std::vector<int> Join(std::initializer_list<std::vector<int>> parts) {
  std::vector<int> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = text.find("\r\n", at);
    if (end == std::string::npos) {
      out.push_back(text.substr(at) + "<no line end>");
      break;
    }
    out.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return out;
}

// The report of the main model, line by line: the record derived by hand
// from the model's formula.
const std::vector<std::string> kGoodReport = {
    "Calibration results:",
    "",
    "CH1 offset at 3V/div      :\t120\tOK",
    "CH2 offset at 3V/div      :\t130\tOK",
    "CH1 offset at 1V/div   :\t-20\tOK",
    "CH2 offset at 1V/div   :\t40\tOK",
    "CH1 Y-position low\t32",
    "CH1 Y-position mid\t128",
    "CH1 Y-position high\t223",
    "CH2 Y-position low\t30",
    "CH2 Y-position mid\t128",
    "CH2 Y-position high\t219",
};

class CalibrationTest : public device_test::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    using namespace engine;
    // Not there yet: the report makes it.
    docs_ = harness_->Home().Path() + "/docs/";
    ScopeState().DocumentsFolder = docs_;
    ScopeState().FirstRunCalibration = 1;
    ScopeState().Calibrating = 0;
    ScopeState().ExtendCalTime = 0;
    ScopeState().ExtendCalSteps = 0;
    ScopeState().Channels[0].OffsetCal = ScopeState().Channels[1].OffsetCal = 124;
    ScopeState().Channels[0].RateTrim = ScopeState().Channels[1].RateTrim = 0;
    ScopeState().Channels[0].RangeTrim = ScopeState().Channels[1].RangeTrim = 0;
  }

  std::string LogPath() const { return docs_ + "Calibration.log"; }
  std::vector<std::string> Log() const { return Lines(startup_test::ReadText(LogPath())); }
  std::vector<std::string> Memo() const { return Form9->Memo1->Lines().Lines(); }
  // The settings file the window opened at its creation, as it is on disk.
  std::string IniValue(const std::string& key) const {
    TIniFile ini(harness_->Home().Path() + "/.local/share/Brastel/Darvik48/Darvik48.ini");
    return ini.ReadString("Calibration", key, "<missing>");
  }

  // The window is back to normal: nothing marks a calibration as running.
  void ExpectFinished() {
    EXPECT_EQ(ScopeState().Calibrating, 0);
    EXPECT_TRUE(Form1->Enabled());
    EXPECT_FALSE(Form1->CalibratingPanel->Visible());
    EXPECT_EQ(Form1->CalibratingLabel->Font().Color, 0x800000u);
    EXPECT_EQ(ScopeState().Settings.Channels[0].InputOn, 1);
    EXPECT_EQ(ScopeState().Settings.Channels[1].InputOn, 1);
    const SimScopeSettings last = *Device().LastSettings();
    EXPECT_EQ(last.ControlByte(1), 0x28 | 0x01) << "1 V/div, DC, connected";
    EXPECT_EQ(last.ControlByte(2), 0x28 | 0x01);
    EXPECT_EQ(last.TimeBaseRegister(), kReg1ms);
    EXPECT_FALSE(last.TriggerOn());
    EXPECT_FALSE(last.TriggerSourceCh2());
  }

  std::string docs_;
};

// ---- A whole calibration

TEST_F(CalibrationTest, ConvergesOnTheModelAndReportsIt) {
  OpenDevice();
  Device().SetResponse(Model().AsResponse());
  Form1->Calibration().calibrate();

  using namespace engine;
  EXPECT_TRUE(ScopeState().CalibrationCompleted);
  EXPECT_EQ(ScopeState().Channels[0].OffsetCal, 120);
  EXPECT_EQ(ScopeState().Channels[1].OffsetCal, 130);
  EXPECT_EQ(ScopeState().Channels[0].V5Offset, -20);
  EXPECT_EQ(ScopeState().Channels[1].V5Offset, 40);
  EXPECT_EQ(std::vector<int>({ScopeState().Channels[0].pos1, ScopeState().Channels[0].pos0, ScopeState().Channels[0].pos2}), std::vector<int>({32, 128, 223}));
  EXPECT_EQ(std::vector<int>({ScopeState().Channels[0].ad1, ScopeState().Channels[0].ad0, ScopeState().Channels[0].ad2}), std::vector<int>({24, 120, 215}));
  EXPECT_EQ(std::vector<int>({ScopeState().Channels[1].pos1, ScopeState().Channels[1].pos0, ScopeState().Channels[1].pos2}), std::vector<int>({30, 128, 219}));
  EXPECT_EQ(std::vector<int>({ScopeState().Channels[1].ad1, ScopeState().Channels[1].ad0, ScopeState().Channels[1].ad2}), std::vector<int>({116, 130, 143}));

  EXPECT_EQ(Memo(), kGoodReport);
  EXPECT_EQ(Log(), kGoodReport);
  ASSERT_EQ(Dialogs().Messages().size(), 1u);
  const auto& message = Dialogs().Messages()[0];
  EXPECT_EQ(message.Text, kSucceeded);
  EXPECT_EQ(message.Kind, mtInformation);
  EXPECT_EQ(message.Buttons, static_cast<TMsgDlgButtons>(mbOK));
  EXPECT_EQ(message.X, Form1->Left() + 238);
  EXPECT_EQ(message.Y, Form1->Top() + 200);
  EXPECT_EQ(Form1->CalibrationProgressLabel->Caption(), "100% Complete");
  ExpectFinished();
  EXPECT_TRUE(Device().ProtocolErrors().empty()) << Device().Dump();

  // Kept at close.
  Form1->Close();
  ASSERT_TRUE(Application->Terminated());
  EXPECT_EQ(IniValue("offs_1"), "120");
  EXPECT_EQ(IniValue("offs_2"), "130");
  EXPECT_EQ(IniValue("v5_offs1"), "-20");
  EXPECT_EQ(IniValue("v5_offs2"), "40");
  EXPECT_EQ(IniValue("Ch1_pos1"), "32");
  EXPECT_EQ(IniValue("Ch1_ad2"), "215");
  EXPECT_EQ(IniValue("Ch2_pos2"), "219");
  EXPECT_EQ(IniValue("Ch2_ad1"), "116");
}

TEST_F(CalibrationTest, OffsetSearchUsesCapturesAtThreeVoltsPerDivision) {
  OpenDevice();
  Device().SetResponse(Model().AsResponse());
  Form1->Calibration().calibrate();
  const std::vector<SimTransfer>& wire = Device().Transfers();

  // CH1 from 110 up to 120, then twice unchanged; CH2 likewise up to 130.
  const std::vector<Request> captures = Requests(wire, 10);
  ASSERT_EQ(captures.size(), 12u + 22u) << Device().Dump();
  EXPECT_EQ(Bytes(captures, 2, 0, 12), Join({Ramp(110, 120), {120}}));
  EXPECT_EQ(Bytes(captures, 3, 0, 12), std::vector<int>(12, 110));
  EXPECT_EQ(Bytes(captures, 2, 12), std::vector<int>(22, 120));
  EXPECT_EQ(Bytes(captures, 3, 12), Join({Ramp(110, 130), {130}}));
  for (const Request& r : captures) {
    EXPECT_EQ(r.c[0], k3VGrounded);
    EXPECT_EQ(r.c[1], k3VGrounded);
    EXPECT_EQ(r.c[5], kReg1ms);
    EXPECT_EQ(r.c[6] & 0x07, 0) << "trigger off, source CH1, rising edge";
  }
  // Each capture: arm, a 4-byte status poll, then the 8 blocks.
  for (std::size_t i = 0; i < wire.size(); ++i) {
    if (wire[i].kind != SimTransfer::Kind::Write || wire[i].data != std::vector<std::uint8_t>{10}) continue;
    ASSERT_GE(i, 3u);
    ASSERT_LT(i + 8, wire.size());
    EXPECT_EQ(wire[i - 3].data, std::vector<std::uint8_t>{9});
    EXPECT_EQ(wire[i - 2].data, std::vector<std::uint8_t>{11});
    EXPECT_EQ(wire[i - 1].kind, SimTransfer::Kind::Read);
    EXPECT_EQ(wire[i - 1].length, 4u);
    EXPECT_EQ(wire[i - 1].timeout_ms, 200u);
    for (std::size_t b = 1; b <= 8; ++b) {
      EXPECT_EQ(wire[i + b].length, 1024u);
      EXPECT_EQ(wire[i + b].timeout_ms, 200u);
    }
  }
}

TEST_F(CalibrationTest, CorrectionAndPositionSweepsUseSlowReads) {
  OpenDevice();
  Device().SetResponse(Model().AsResponse());
  Form1->Calibration().calibrate();
  const std::vector<SimTransfer>& wire = Device().Transfers();
  const std::vector<Request> reads = Requests(wire, 13);

  // Step 2 at 1 V/div: both trims move one step per read until both readings
  // are 128 (CH1 after 20 steps down, CH2 after 40 up), then one more read.
  const std::size_t step2 = 41;
  // Step 3 at 3 V/div and 10 us/div, the position DAC alone in the offset:
  // CH1 two settling reads at 0, up to 24 (reading 32), on to 120 (128) and
  // 215 (223) with two reads per step; CH2 one read per step, up to 117
  // (reading 37) and back to 116 (30), up to 130 (128), up to 144 (226) and
  // back to 143 (219).
  const std::vector<int> ch1Sweep = Join({{0, 0}, Ramp(1, 24), Ramp(25, 120, 2), Ramp(121, 215, 2)});
  const std::vector<int> ch2Sweep = Join({Ramp(1, 117), {116}, Ramp(117, 130), Ramp(131, 144), {143}});
  ASSERT_EQ(reads.size(), step2 + ch1Sweep.size() + ch2Sweep.size()) << Device().Dump();

  std::vector<int> trim1, trim2;
  for (int k = 0; k < 41; ++k) {
    trim1.push_back(120 - std::min(k, 20));
    trim2.push_back(130 + std::min(k, 40));
  }
  EXPECT_EQ(Bytes(reads, 2, 0, step2), trim1);
  EXPECT_EQ(Bytes(reads, 3, 0, step2), trim2);
  for (std::size_t i = 0; i < step2; ++i) {
    EXPECT_EQ(reads[i].c[0], k1VGrounded);
    EXPECT_EQ(reads[i].c[1], k1VGrounded);
  }

  EXPECT_EQ(Bytes(reads, 2, step2, ch1Sweep.size()), ch1Sweep);
  EXPECT_EQ(Bytes(reads, 3, step2, ch1Sweep.size()), std::vector<int>(ch1Sweep.size(), 0));
  const std::size_t ch2From = step2 + ch1Sweep.size();
  EXPECT_EQ(Bytes(reads, 3, ch2From), ch2Sweep);
  EXPECT_EQ(Bytes(reads, 2, ch2From), std::vector<int>(ch2Sweep.size(), 215));
  for (std::size_t i = step2; i < reads.size(); ++i) {
    EXPECT_EQ(reads[i].c[0], k3VGrounded);
    EXPECT_EQ(reads[i].c[5], kReg10us);
    EXPECT_EQ(reads[i].c[6] & 0x07, i < ch2From ? 0 : 0x01) << "trigger off on the swept channel";
  }

  // Each slow read: re-arm, a 1-byte poll with 20 ms, command 13, 64 bytes with 200 ms.
  int checked = 0;
  for (std::size_t i = 0; i < wire.size(); ++i) {
    if (wire[i].kind != SimTransfer::Kind::Write || wire[i].data != std::vector<std::uint8_t>{13}) continue;
    ASSERT_GE(i, 3u);
    ASSERT_LT(i + 1, wire.size());
    EXPECT_EQ(wire[i - 3].data, std::vector<std::uint8_t>{9});
    EXPECT_EQ(wire[i - 2].data, std::vector<std::uint8_t>{11});
    EXPECT_EQ(wire[i - 1].length, 1u);
    EXPECT_EQ(wire[i - 1].timeout_ms, 20u);
    EXPECT_EQ(wire[i - 1].data, std::vector<std::uint8_t>{0x44});
    EXPECT_EQ(wire[i + 1].kind, SimTransfer::Kind::Read);
    EXPECT_EQ(wire[i + 1].length, 64u);
    EXPECT_EQ(wire[i + 1].timeout_ms, 200u);
    EXPECT_EQ(wire[i + 1].data.size(), 64u);
    ++checked;
  }
  EXPECT_EQ(checked, static_cast<int>(reads.size()));
}

TEST_F(CalibrationTest, VerdictsAndSweepEdges) {
  OpenDevice();
  SimFrontEnd model;
  // CH1: from 110 down to 91, where code 125 already counts as centred; a
  // 1 V/div correction of -49.
  model.Ch1 = {.Zero3V = 89, .Slope3V = 1, .Zero1V = 42, .Slope1V = 1, .Stuck = {}};
  // CH2: down to 90 (at 91 the steeper slope reads 124, too low), a
  // correction of -50; its high point reads 224 at once, without a step back.
  model.Ch2 = {.Zero3V = 90, .Slope3V = 3, .Zero1V = 40, .Slope1V = 1, .Stuck = {}};
  Device().SetResponse(model.AsResponse());
  Form1->Calibration().calibrate();

  using namespace engine;
  EXPECT_EQ(ScopeState().Channels[0].OffsetCal, 91);
  EXPECT_EQ(ScopeState().Channels[1].OffsetCal, 90);
  EXPECT_EQ(ScopeState().Channels[0].V5Offset, -49);
  EXPECT_EQ(ScopeState().Channels[1].V5Offset, -50);
  const std::vector<std::string> log = Log();
  ASSERT_EQ(log.size(), 12u);
  EXPECT_EQ(log[2], "CH1 offset at 3V/div      :\t91\tOK");
  EXPECT_EQ(log[3], "CH2 offset at 3V/div      :\t90\tFAIL");
  EXPECT_EQ(log[4], "CH1 offset at 1V/div   :\t-49\tOK");
  EXPECT_EQ(log[5], "CH2 offset at 1V/div   :\t-50\tFAIL");
  EXPECT_EQ(Dialogs().CountMessages(kFailed), 1);
  EXPECT_EQ(Dialogs().CountMessages(kSucceeded), 0);
  const auto* warning = Dialogs().FindMessage(kFailed);
  ASSERT_NE(warning, nullptr);
  EXPECT_EQ(warning->Kind, mtWarning);
  EXPECT_EQ(warning->X, Form1->Left() + 200);
  EXPECT_EQ(warning->Y, Form1->Top() + 200);

  // CH1's low point: reading 128 + (1 - 89) = 40 at DAC 1, above 32, so it
  // steps down through 0 and wraps to 255, where the sweep ends.
  EXPECT_EQ(ScopeState().Channels[0].ad1, 255);
  EXPECT_EQ(ScopeState().Channels[0].pos1, 255);
  // CH2: 128 + 3 * (DAC - 90) is 32 at DAC 58 and 224 at DAC 122.
  EXPECT_EQ(ScopeState().Channels[1].ad1, 58);
  EXPECT_EQ(ScopeState().Channels[1].pos1, 32);
  EXPECT_EQ(ScopeState().Channels[1].ad2, 122);
  EXPECT_EQ(ScopeState().Channels[1].pos2, 224);
  const std::vector<Request> reads = Requests(Device().Transfers(), 13);
  ASSERT_FALSE(reads.empty());
  EXPECT_EQ(reads.back().c[3], 122) << "no step back from 224";
  ExpectFinished();
}

TEST_F(CalibrationTest, LowPointReachedAtTheFirstStepHasNoStepBack) {
  OpenDevice();
  SimFrontEnd model = Model();
  model.Ch1.Zero3V = 97;  // 128 + (1 - 97) = 32 at DAC 1
  Device().SetResponse(model.AsResponse());
  Form1->Calibration().calibrate();
  EXPECT_EQ(ScopeState().Channels[0].ad1, 1);
  EXPECT_EQ(ScopeState().Channels[0].pos1, 32);
  // Two settling reads at 0, one at 1, then the mid sweep goes on upwards.
  const std::vector<Request> reads = Requests(Device().Transfers(), 13);
  std::size_t first = 0;
  while (first < reads.size() && reads[first].c[5] != kReg10us) ++first;
  EXPECT_EQ(Bytes(reads, 2, first, 5), std::vector<int>({0, 0, 1, 2, 2}));
}

// ---- Failures

class CalibrationStartupTest : public startup_test::StartupTest {
 protected:
  bool DevicePresent() const override { return true; }
  // The session writes its settings file as its close does, and the program
  // starts again on the same home. (A real close would end the test's
  // application for good.)
  void SaveAndStartAgain() {
    ASSERT_TRUE(Form1->SettingsFiles().WriteMainSettings());
    Dialogs().ClearRecords();
    StartAndRun();
  }

  // The logic file, and the documents folder a desktop user has.
  void InstallLogicFile() {
    device_test::WriteFile(DataDir() + "darvik48.bit", device_test::LogicFile(5, device_test::FullData()));
    std::filesystem::create_directories(os::GetSpecialFolderPath(os::kCsidlPersonal));
  }
};

TEST_F(CalibrationStartupTest, FirstRunCalibratesAndTheNextStartDoesNot) {
  InstallLogicFile();
  Device().SetResponse(Model().AsResponse());
  StartAndRun();

  using namespace engine;
  ASSERT_FALSE(Application->Terminated());
  EXPECT_TRUE(ScopeState().CalibrationCompleted);
  EXPECT_EQ(ScopeState().FirstRunCalibration, 0);
  // The report went to the program's own documents folder, made on the first run.
  const std::string docs = os::GetSpecialFolderPath(os::kCsidlPersonal) + "/My Darvik48/";
  EXPECT_EQ(ScopeState().DocumentsFolder, docs);
  EXPECT_EQ(Lines(startup_test::ReadText(docs + "Calibration.log")), kGoodReport);
  const auto& messages = Dialogs().Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].Text.substr(0, 40), "The oscilloscope will now be calibrated.");
  EXPECT_EQ(messages[1].Text, kSucceeded);
  // After it: positions re-sent, 1 V/div and 1 ms/div with the new offsets.
  const SimScopeSettings last = *Device().LastSettings();
  EXPECT_EQ(last.ControlByte(1), 0x29);
  EXPECT_EQ(last.TimeBaseRegister(), kReg1ms);
  EXPECT_EQ(last.OffsetDac(1), 120 - 20);
  EXPECT_EQ(last.OffsetDac(2), 130 + 40);

  SaveAndStartAgain();
  EXPECT_EQ(IniValue("Menu", "HWdialog"), "0");
  EXPECT_EQ(IniValue("Calibration", "Ch2_ad2"), "143");
  EXPECT_TRUE(Device().LogicLoaded());
  EXPECT_EQ(Requests(Device().Transfers(), 13).size(), 0u);
  EXPECT_EQ(Dialogs().CountMessages(kSucceeded), 0);
  EXPECT_EQ(ScopeState().Channels[1].ad2, 143);
}

TEST_F(CalibrationStartupTest, StuckChannelFailsAndTheNextStartFallsBack) {
  InstallLogicFile();
  SimFrontEnd model = Model();
  model.Ch2.Stuck = 0;
  Device().SetResponse(model.AsResponse());
  StartAndRun();

  using namespace engine;
  EXPECT_EQ(Dialogs().CountMessages(kFailed), 1);
  EXPECT_EQ(Dialogs().CountMessages(kSucceeded), 0);
  // CH2 reads 255 whatever it is told: its offset runs down for all 51
  // captures, its correction for all 101 reads, and every sweep ends at 255.
  EXPECT_EQ(ScopeState().Channels[1].OffsetCal, 110 - 51);
  EXPECT_EQ(ScopeState().Channels[1].V5Offset, -101);
  EXPECT_EQ(ScopeState().Channels[1].ad0, 255);
  EXPECT_EQ(ScopeState().Channels[1].ad1, 255);
  EXPECT_EQ(ScopeState().Channels[1].ad2, 255);
  const std::vector<std::string> log = Lines(startup_test::ReadText(ScopeState().DocumentsFolder + "Calibration.log"));
  ASSERT_EQ(log.size(), 12u);
  EXPECT_EQ(log[2], "CH1 offset at 3V/div      :\t120\tOK");
  EXPECT_EQ(log[3], "CH2 offset at 3V/div      :\t59\tFAIL");
  EXPECT_EQ(log[5], "CH2 offset at 1V/div   :\t-101\tFAIL");
  EXPECT_EQ(log[9], "CH2 Y-position low\t255");
  // It ran to its end: the failed record is stored and used.
  EXPECT_EQ(ScopeState().FirstRunCalibration, 0);

  // The next start finds two equal DAC values and falls back.
  SaveAndStartAgain();
  EXPECT_EQ(IniValue("Calibration", "Ch2_ad1"), "255");
  EXPECT_EQ(IniValue("Calibration", "offs_2"), "59");
  EXPECT_EQ(ScopeState().CalibrationInvalid, 1);
  EXPECT_EQ(Dialogs().CountMessages(kPreviousFailed), 1);
  EXPECT_EQ(std::vector<int>({ScopeState().Channels[0].ad0, ScopeState().Channels[0].ad1, ScopeState().Channels[0].ad2}), std::vector<int>({128, 62, 192}));
  EXPECT_EQ(std::vector<int>({ScopeState().Channels[1].pos0, ScopeState().Channels[1].pos1, ScopeState().Channels[1].pos2}), std::vector<int>({128, 32, 224}));
}

TEST_F(CalibrationStartupTest, DeviceLostMidwayKeepsTheFirstRunRequest) {
  InstallLogicFile();
  Device().SetResponse(Model().AsResponse());
  // Past the upload and the first settings, inside the offset search.
  Device().UnplugAfter(200);
  StartAndRun();

  using namespace engine;
  EXPECT_FALSE(ScopeState().CalibrationCompleted);
  // The loss is the one message; no verdict follows it.
  EXPECT_EQ(Dialogs().CountMessages(kDisconnected), 1);
  EXPECT_EQ(Dialogs().CountMessages(kFailed), 0);
  EXPECT_EQ(Dialogs().CountMessages(kSucceeded), 0);
  EXPECT_EQ(ScopeState().Calibrating, 0);
  EXPECT_TRUE(Form1->Enabled());
  EXPECT_FALSE(Form1->CalibratingPanel->Visible());
  // The report is complete, with the values as they were left.
  EXPECT_EQ(Lines(startup_test::ReadText(ScopeState().DocumentsFolder + "Calibration.log")).size(), 12u);
  EXPECT_EQ(ScopeState().FirstRunCalibration, 1);
  ASSERT_TRUE(Close());
  EXPECT_EQ(IniValue("Menu", "HWdialog"), "1");
}

TEST_F(CalibrationTest, UnwritableReportIsToldOnceAndTheCalibrationStillFinishes) {
  OpenDevice();
  Device().SetResponse(Model().AsResponse());
  std::filesystem::create_directories(LogPath());
  Form1->Calibration().calibrate();

  const std::string unable = "Unable to write to " + LogPath();
  EXPECT_EQ(Dialogs().CountMessages(unable), 1);
  ASSERT_EQ(Dialogs().Messages().size(), 2u);
  EXPECT_EQ(Dialogs().Messages()[0].Text, unable);
  EXPECT_EQ(Dialogs().Messages()[1].Text, kSucceeded);
  EXPECT_TRUE(ScopeState().CalibrationCompleted);
  EXPECT_EQ(ScopeState().Channels[1].ad2, 143);
  EXPECT_EQ(Memo(), kGoodReport);
  ExpectFinished();
}

// ---- Menus

TEST_F(CalibrationTest, CalibrateMenuStopsRunWaitsATickAndCalibrates) {
  OpenDevice();
  Device().SetResponse(Model().AsResponse());
  using namespace engine;
  ScopeState().AveragingOn = 1;
  ScopeState().AverageRunning = 1;
  Form1->SpeedButtonRun->Click();
  ASSERT_TRUE(harness_->PumpUntil([&] { return Device().CapturesSent() >= 2; }, 3000));
  Dialogs().ClearRecords();

  const auto started = program_clock::Now();
  ASSERT_TRUE(Form1->Calibrate1->Enabled());
  Form1->Calibrate1->Click();
  const auto waited = program_clock::Now() - started;

  EXPECT_GE(waited, std::chrono::milliseconds(900)) << "one tick of Timer6";
  EXPECT_FALSE(Form1->Timer6->Enabled());
  EXPECT_FALSE(Form1->SpeedButtonRun->Down());
  EXPECT_FALSE(Form1->Fasttimer1->Enabled());
  EXPECT_EQ(ScopeState().AveragingOn, 0);
  EXPECT_TRUE(ScopeState().CalibrationCompleted);
  EXPECT_EQ(ScopeState().FirstRunCalibration, 0);
  EXPECT_EQ(Dialogs().CountMessages(kSucceeded), 1);
  EXPECT_EQ(Log(), kGoodReport);
  EXPECT_FALSE(Application->Terminated());
}

TEST_F(CalibrationTest, CalibrateAndExitClosesAfterwards) {
  OpenDevice();
  Device().SetResponse(Model().AsResponse());
  EXPECT_EQ(Form1->CalibrateExit1->Caption(), "Calibrate && Exit");
  Form1->CalibrateExit1->Click();
  EXPECT_EQ(Dialogs().CountMessages(kSucceeded), 1);
  EXPECT_TRUE(Application->Terminated());
  EXPECT_EQ(IniValue("Ch1_ad1"), "24");
}

TEST_F(CalibrationTest, CalibrateAndExitInDemoModeOnlyCloses) {
  ScopeState().DemoMode = 1;
  Form1->CalibrateExit1->Click();
  EXPECT_TRUE(Application->Terminated());
  EXPECT_TRUE(Device().Transfers().empty()) << Device().Dump();
  EXPECT_TRUE(Dialogs().Messages().empty());
  EXPECT_FALSE(std::filesystem::exists(LogPath()));
}

// In demo mode there is nothing to calibrate: "Calibrate" on either window
// says why nothing happens and leaves device, record and report alone.
TEST_F(CalibrationTest, CalibrateInDemoModeSaysItNeedsTheHardware) {
  const std::vector<std::pair<const char*, std::function<TMenuItem*()>>> items = {
      {"main window", [] { return Form1->Calibrate1; }}, {"twin panel", [] { return Form11->Calibrate1; }}};
  ScopeState().DemoMode = 1;
  for (const auto& [name, item] : items) {
    SCOPED_TRACE(name);
    Dialogs().ClearRecords();
    item()->Click();
    ASSERT_EQ(Dialogs().Messages().size(), 1u);
    EXPECT_EQ(Dialogs().Messages()[0].Text,
              "Calibration needs the oscilloscope hardware.\rSoftware runs now in Demo Mode.\r\r"
              "Choose Options|Hardware Setup menu to enter normal mode.");
    EXPECT_EQ(Dialogs().Messages()[0].Kind, mtInformation);
    EXPECT_TRUE(Dialogs().Forms().empty());
    EXPECT_TRUE(Device().Transfers().empty()) << Device().Dump();
    EXPECT_FALSE(std::filesystem::exists(LogPath()));
    EXPECT_EQ(ScopeState().Calibrating, 0);
    EXPECT_FALSE(Application->Terminated());
  }
}

class CalibrationNoDeviceTest : public CalibrationTest {
 protected:
  bool DevicePresent() const override { return false; }
};

TEST_F(CalibrationNoDeviceTest, NoHardwareIsToldAndTheRequestStays) {
  Form1->Calibrate1->Click();
  ASSERT_EQ(Dialogs().Forms().size(), 1u);
  EXPECT_EQ(Dialogs().Forms()[0].ClassName, "TBtnBottomDlg1");
  EXPECT_EQ(ScopeState().FirstRunCalibration, 1);
  EXPECT_EQ(ScopeState().Calibrating, 0);
  EXPECT_FALSE(std::filesystem::exists(LogPath()));
}

// ---- The extended wait

TEST_F(CalibrationTest, ExtendedWaitCountsRunUpdatesThenCalibrates) {
  OpenDevice();
  Device().SetResponse(Model().AsResponse());
  using namespace engine;
  ScopeState().ExtendCalTime = 1;
  // At 20 ms/div every Run capture updates the read-outs.
  Form1->FrontPanel().ApplyTimeBaseStep(TimeBaseTable[4]);
  ASSERT_GT(ScopeState().TimePerDiv, 1000000);
  Dialogs().ClearRecords();

  // The first step shows the window, whose timer presses Run; the Run loop
  // takes it from there.
  Form1->Calibration().ExtendedCalibrationStep();
  EXPECT_TRUE(BtnBottomDlg3->Visible());
  EXPECT_EQ(BtnBottomDlg3->Label1->Caption(),
            "Waiting for the Windows XP to complete the Plug and Play operation...");
  int highest = 0;
  ASSERT_TRUE(harness_->PumpUntil(
      [&] {
        highest = std::max(highest, BtnBottomDlg3->ProgressBar1->Position());
        return ScopeState().ExtendCalTime == 0;
      },
      20000))
      << "steps: " << ScopeState().ExtendCalSteps;

  EXPECT_GE(highest, 140);
  EXPECT_FALSE(BtnBottomDlg3->Visible());
  EXPECT_FALSE(Form1->SpeedButtonRun->Down());
  EXPECT_TRUE(ScopeState().CalibrationCompleted);
  EXPECT_EQ(ScopeState().FirstRunCalibration, 0);
  EXPECT_EQ(Dialogs().CountMessages(kSucceeded), 1);
  EXPECT_EQ(Log(), kGoodReport);
  // Then 0.3 V/div on both channels and 1 ms/div.
  const SimScopeSettings last = *Device().LastSettings();
  EXPECT_EQ(last.GainBits(1), 0x04);
  EXPECT_EQ(last.GainBits(2), 0x04);
  EXPECT_EQ(last.TimeBaseRegister(), kReg1ms);

  // The wait is over: further Run updates count nothing.
  Form1->Calibration().ExtendedCalibrationStep();
  EXPECT_FALSE(BtnBottomDlg3->Visible());
}

// ---- Calibrations cut short keep the previous record

// The program's clock, which the test drives.
struct Clock {
  using time_point = program_clock::TimePoint;
  using duration = program_clock::Duration;
  static time_point now() { return program_clock::Now(); }
};

// The main window's close arrives while the calibration waits for the device:
// during its first capture, or while every slow reply comes short. The close
// waits, the calibration stops at once without a verdict and keeps the
// earlier record, and then the close goes through and stores that record.
class CalibrationCloseTest : public CalibrationTest, public ::testing::WithParamInterface<bool> {};

TEST_P(CalibrationCloseTest, CloseWaitsForTheCalibrationWhichKeepsTheEarlierRecord) {
  const bool duringShortReplies = GetParam();
  OpenDevice();
  Device().SetResponse(Model().AsResponse());
  if (duringShortReplies) Device().SetShortReplies(10);
  // A capture takes a few polls of the Single tick, as on a real device, so
  // the close comes while the first one is awaited.
  else Device().SetBusyPolls(3);
  // A build whose waits never end sees the device go away instead.
  Device().UnplugAfter(200000);
  PutRecord(kEarlierRecord);

  std::optional<Clock::time_point> closedAt;
  program_clock::Alarm closer([&] {
    const std::vector<std::uint8_t>& commands = Device().Commands();
    const bool slowReadAsked = std::find(commands.begin(), commands.end(), 13) != commands.end();
    if (closedAt || (duringShortReplies && !slowReadAsked)) return;
    closedAt = Clock::now();
    Form1->Close();
  });
  closer.Start(std::chrono::milliseconds(1));
  Form1->Calibration().calibrate();
  closer.Stop();

  ASSERT_TRUE(closedAt.has_value());
  EXPECT_LT(Clock::now() - *closedAt, std::chrono::milliseconds(1000)) << "ended at the request";
  EXPECT_FALSE(Application->Terminated()) << "closed in the middle of the calibration";
  EXPECT_TRUE(Driver().IsOpen());
  EXPECT_FALSE(ScopeState().CalibrationCompleted);
  EXPECT_EQ(RecordInForce(), kEarlierRecord);
  EXPECT_TRUE(Dialogs().Messages().empty()) << Dialogs().Messages().front().Text;
  ExpectFinished();

  ASSERT_TRUE(harness_->PumpUntil([] { return Application->Terminated(); }, 3000));
  for (std::size_t i = 0; i < kRecordKeys.size(); ++i)
    EXPECT_EQ(IniValue(kRecordKeys[i]), std::to_string(kEarlierRecord[i])) << kRecordKeys[i];
}

INSTANTIATE_TEST_SUITE_P(WhileWaiting, CalibrationCloseTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? std::string("ForShortSlowReplies") : std::string("ForACapture");
                         });

TEST_F(CalibrationTest, SilentDeviceEndsTheCalibrationAsFailedAndKeepsTheEarlierRecord) {
  OpenDevice();
  Device().SetResponse(Model().AsResponse());
  struct Case {
    const char* name;
    std::function<void(SimulatedDarvik48&, bool)> silence;  // on / off
  };
  const Case cases[] = {
      {"never reports a capture ready", [](SimulatedDarvik48& d, bool on) { d.SetBusyPolls(on ? INT_MAX : 0); }},
      {"every slow reply comes short",
       [](SimulatedDarvik48& d, bool on) { d.SetShortReplies(on ? std::optional<std::size_t>(10) : std::nullopt); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PutRecord(kEarlierRecord);
    Device().ClearLog();
    Dialogs().ClearRecords();
    c.silence(Device(), true);
    // A build that waits for ever sees the device go away instead.
    Device().UnplugAfter(200000);
    program_clock::Alarm safety([&] { Device().Unplug(); });
    safety.Start(std::chrono::milliseconds(15000), false);

    const Clock::time_point started = Clock::now();
    Form1->Calibration().calibrate();
    const Clock::duration took = Clock::now() - started;
    safety.Stop();
    c.silence(Device(), false);

    EXPECT_LT(took, std::chrono::milliseconds(10000));
    ASSERT_TRUE(Driver().IsOpen()) << "the device was still there";
    EXPECT_FALSE(ScopeState().CalibrationCompleted);
    EXPECT_EQ(Dialogs().CountMessages(kFailed), 1);
    EXPECT_EQ(Dialogs().Messages().size(), 1u);
    EXPECT_EQ(RecordInForce(), kEarlierRecord);
    EXPECT_EQ(Log().size(), 12u);
    ExpectFinished();
  }
}

TEST_F(CalibrationTest, ShortSlowRepliesEndOnTheTimeLimitOrALostLinkWhileTheProgramRuns) {
  OpenDevice();
  Device().SetShortReplies(10);
  // A build whose retries never end sees the device go away instead.
  Device().UnplugAfter(200000);
  int ticks = 0;
  program_clock::Alarm beat([&] { ++ticks; });
  beat.Start(std::chrono::milliseconds(20));

  // Nothing else happens: the time limit ends the read.
  Clock::time_point started = Clock::now();
  bool read = Driver().ReadBytes().has_value();
  Clock::duration took = Clock::now() - started;
  EXPECT_FALSE(read);
  EXPECT_GE(took, std::chrono::milliseconds(1900));
  EXPECT_LT(took, std::chrono::milliseconds(4000));
  EXPECT_GT(ticks, 40) << "timers ran while the read waited";
  EXPECT_TRUE(Driver().IsOpen());
  EXPECT_TRUE(Dialogs().Messages().empty());

  // The device goes away: the read ends with it.
  program_clock::Alarm pull([&] { Device().Unplug(); });  // gone with the test
  pull.Start(std::chrono::milliseconds(100), false);
  started = Clock::now();
  read = Driver().ReadBytes().has_value();
  took = Clock::now() - started;
  EXPECT_FALSE(read);
  EXPECT_LT(took, std::chrono::milliseconds(1000));
  EXPECT_FALSE(Driver().IsOpen());
  EXPECT_EQ(Dialogs().CountMessages(kDisconnected), 1);
}

// A record out of range (a damaged or hand-edited file) is never used: the
// start asks for the first calibration and takes its record. Values at the
// edges of the ranges are kept.
TEST_F(CalibrationStartupTest, RecordOutOfRangeCountsAsNoCalibration) {
  InstallLogicFile();
  Device().SetResponse(Model().AsResponse());
  struct Case {
    std::size_t index;
    std::int32_t value;
  };
  const Case outOfRange[] = {{0, INT_MAX}, {1, -1}, {2, INT_MIN}, {3, 256}, {8, -1}, {10, 256}};
  for (const Case& c : outOfRange) {
    SCOPED_TRACE(std::string(kRecordKeys[c.index]) + "=" + std::to_string(c.value));
    Record record = kEarlierRecord;
    record[c.index] = c.value;
    WriteIni(RecordSection(record) + "[Menu]\nHWdialog=0\n");
    Dialogs().ClearRecords();
    StartAndRun();
    EXPECT_EQ(Dialogs().CountMessages(kCalibrateNow), 1);
    EXPECT_EQ(Dialogs().CountMessages(kSucceeded), 1);
    EXPECT_EQ(Dialogs().CountMessages(kPreviousFailed), 0);
    EXPECT_EQ(ScopeState().Channels[0].OffsetCal, 120);
    EXPECT_EQ(ScopeState().Channels[1].V5Offset, 40);
    EXPECT_EQ(ScopeState().Channels[1].ad2, 143);
    EXPECT_EQ(ScopeState().FirstRunCalibration, 0);
  }

  const Record edges = {0, 255, -255, 255, 0, 255, 1, 255, 0, 2, 0, 255, 7, 255, 0, 9};
  WriteIni(RecordSection(edges) + "[Menu]\nHWdialog=0\n");
  Dialogs().ClearRecords();
  StartAndRun();
  EXPECT_EQ(Dialogs().CountMessages(kCalibrateNow), 0);
  EXPECT_EQ(RecordInForce(), edges);
  EXPECT_EQ(ScopeState().FirstRunCalibration, 0);
}

}  // namespace
