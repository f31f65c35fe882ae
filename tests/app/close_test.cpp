// The program's close: the wave editor is asked first, a cancelled close
// changes nothing, and a second request while it asks adds no question; a
// close from a signal asks nothing and tells on standard error what it lost.
#include <gtest/gtest.h>

#include <QTimer>

#include <csignal>
#include <fstream>
#include <sstream>

#include "app/windows.h"
#include "engine/device_fixture.h"
#include "generator/generator_form.h"
#include "generator/wave_editor.h"
#include "support/program_states.h"

namespace {

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

std::string ReadFile(const std::string& path) {
  std::ostringstream s;
  s << std::ifstream(path, std::ios::binary).rdbuf();
  return s.str();
}

// Scripted answers that first let `during` happen while the question is open.
struct AskedThen : ScriptedDialogs {
  explicit AskedThen(std::function<void()> d) : during(std::move(d)) {}
  int Message(const MessageRequest& r) override {
    if (auto d = std::exchange(during, nullptr)) d();
    return ScriptedDialogs::Message(r);
  }
  std::function<void()> during;
};

class CloseTest : public device_test::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    ASSERT_TRUE(CloseOnTerminationSignals());
  }
  static void Signal() {
    ::raise(SIGTERM);
    Application->ProcessMessages();
  }
  bool Ended() { return harness_->PumpUntil([] { return Application->Terminated(); }, 3000); }
  int GeneratorPackets() const {
    int n = 0;
    for (const auto& w : Writes()) n += w.size() == 7 && w[0] == 0x0E && w[1] == 0x05;
    return n;
  }
};

TEST_F(CloseTest, CancelledCloseChangesNothingAndASignalCloseTellsOfTheLostWave) {
  OpenDevice();
  const std::string ini = Form1_fgen->GeneratorIni->FileName();
  std::ofstream(ini) << "[Calibration]\nGain=5\n";
  Wave_editor1->Memo1->SetText("0\r\n255");
  // A signal, then the close box, arrives while the question is open; the
  // answer is Cancel. (The signal first: it must not leave the close box's
  // question unasked.)
  for (auto second : {Signal, +[] { Form1->Close(); }}) {
    Wave_editor1->Memo1->SetModified(true);
    Device().ClearLog();
    AskedThen dialogs(second);
    dialogs.AnswerMessage(mrCancel);
    CaptureStderr();
    Form1->Close();
    harness_->Pump(50);
    EXPECT_EQ(GetCapturedStderr(), "");
    EXPECT_EQ(dialogs.CountMessages("Save changes to file?"), 1);
    EXPECT_FALSE(Application->Terminated());
    // The editor is in sight with its text; the generator's engine window,
    // which has nothing to show, stays hidden; output and file untouched.
    EXPECT_TRUE(Wave_editor1->Visible());
    EXPECT_FALSE(Form1_fgen->Visible());
    EXPECT_EQ(Wave_editor1->Memo1->Text(), "0\r\n255");
    EXPECT_EQ(GeneratorPackets(), 0);
    EXPECT_EQ(ReadFile(ini), "[Calibration]\nGain=5\n");
  }
  // A signal with no question open: nothing asked, the program ends.
  CaptureStderr();
  Signal();
  ASSERT_TRUE(Ended());
  EXPECT_EQ(GetCapturedStderr(), "darvik48: Wave Editor: the edited wave was not saved\n");
  EXPECT_TRUE(Dialogs().Messages().empty());
  EXPECT_GT(GeneratorPackets(), 0);
  EXPECT_NE(ReadFile(ini).find("[MainForm]"), std::string::npos);
}

TEST_F(CloseTest, SignalsDuringACalibrationCloseOnceAndTellTheVerdict) {
  ScopeState().DocumentsFolder = harness_->Home().Path() + "/";
  Device().SetResponse(SimFrontEnd{}.AsResponse());
  OpenDevice();
  QTimer::singleShot(0, [] {
    Signal();
    Signal();
  });
  CaptureStderr();
  Form1->Calibration().calibrate();
  ASSERT_TRUE(Ended());
  EXPECT_EQ(GetCapturedStderr(),
            "darvik48: CALIBRATION FAILED. Please check 'Calibration.log' file for more details\n");
  EXPECT_TRUE(Dialogs().Messages().empty());
}

}  // namespace
