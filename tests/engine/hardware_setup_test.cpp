// Options "Hardware Setup...": from demo mode back to the device and from the
// device to demo mode, with the simulated Darvik48 plugged in or not.
#include <gtest/gtest.h>

#include <QImage>

#include <cstdint>
#include <string>
#include <vector>

#include "display/display_state.h"
#include "engine/main_form.h"
#include "engine/notice_dialogs.h"
#include "device/scope_device.h"
#include "engine/scope_state.h"
#include "generator/generator_state.h"
#include "device_fixture.h"
#include "startup_fixture.h"
#include "support/program_states.h"

namespace {

using startup_test::StartupTest;

const std::string kDemoChosenText = "Software runs now in demo mode.\rClick 'Run' to start the demo.";
const std::string kNoDeviceText = "Software runs now in Demo Mode.\rClick 'Run' to start the demo.";
const std::string kNotCalibratedText =
    "Oscilloscope is not calibrated.\rSelect File|Calibrate && Exit and restart the program.";

class HardwareSetupTest : public StartupTest {
 protected:
  void SetUp() override {
    StartupTest::SetUp();
    device_test::WriteFile(DataDir() + "darvik48.bit", device_test::LogicFile(5, device_test::FullData()));
  }
  // The user picks a radio button of the hardware dialog and presses OK; the
  // dialog's preset at the moment it showed is kept.
  void ChooseInDialog(bool device) {
    Dialogs().AnswerModal([this, device](TForm& form) {
      EXPECT_EQ(&form, BtnBottomDlg);
      presetDemo_ = BtnBottomDlg->RadioButton2->Checked();
      (device ? BtnBottomDlg->RadioButton1 : BtnBottomDlg->RadioButton2)->Click();
      BtnBottomDlg->GrSpeedButton1->Click();
      return mrNone;
    });
  }
  void ExpectBackToDriver();
  bool presetDemo_ = false;
};

// The session is in demo mode with the device on the bus: Hardware Setup,
// the device chosen, brings it back to the device.
void HardwareSetupTest::ExpectBackToDriver() {
  ASSERT_EQ(ScopeState().DemoMode, 1);
  ASSERT_EQ(Device().OpenCalls(), 0);
  // The menu the demo message names.
  ASSERT_NE(Form1->Hardware1, nullptr);
  EXPECT_EQ(Form1->Hardware1->Caption(), "Hardware Setup...");
  EXPECT_EQ(Form1->Hardware1->Parent(), Form1->Options1);
  EXPECT_EQ(Form1->Options1->Caption(), "&Options");

  Dialogs().ClearRecords();
  ChooseInDialog(/*device=*/true);
  Form1->Hardware1->Click();

  EXPECT_TRUE(presetDemo_);
  ASSERT_EQ(Dialogs().Forms().size(), 1u);
  EXPECT_EQ(Dialogs().Forms()[0].ClassName, "TBtnBottomDlg");
  EXPECT_EQ(ScopeState().DemoMode, 0);
  EXPECT_FALSE(Driver().HardwareMissing());
  EXPECT_TRUE(Driver().IsOpen());
  EXPECT_EQ(GeneratorState().GeneratorHardware, 10);
  // The device got its logic and the panel's settings: 1 V/div on both
  // channels, the trigger level as the bar means it outside demo mode.
  EXPECT_EQ(Device().LogicUploads(), 1);
  EXPECT_TRUE(Device().LogicLoaded());
  const auto settings = Device().LastSettings();
  ASSERT_TRUE(settings.has_value()) << Device().Dump();
  EXPECT_EQ(settings->GainBits(1), 0x28);
  EXPECT_EQ(settings->GainBits(2), 0x28);
  EXPECT_EQ(settings->TriggerLevel(), Form1->TrackBar3->Position());
  EXPECT_TRUE(Device().ProtocolErrors().empty());
  // Never calibrated (no session had the device yet): the user is told.
  ASSERT_EQ(Dialogs().Messages().size(), 1u);
  EXPECT_EQ(Dialogs().Messages()[0].Text, kNotCalibratedText);
  EXPECT_EQ(Dialogs().Messages()[0].Kind, mtWarning);
  EXPECT_EQ(Dialogs().Messages()[0].X, Form1->Left() + 125);
  EXPECT_EQ(Dialogs().Messages()[0].Y, Form1->Top() + 200);

  // A capture now comes from the device.
  Form1->SpeedButtonRun->SetDown(true);
  Form1->SpeedButtonRunClick(Form1);
  ASSERT_TRUE(harness_->PumpUntil([&] { return Device().CapturesSent() > 0; }, 3000)) << Device().Dump();
  Form1->SpeedButtonRun->SetDown(false);
  Form1->SpeedButtonRunClick(Form1);

  // The next session starts with the device.
  ASSERT_TRUE(Close());
  EXPECT_EQ(IniValue("Hardware", "DemoMode"), "0");
}

TEST_F(HardwareSetupTest, AFallbackToDemoModeEndsWhenTheInstrumentIsPluggedIn) {
  // No device at start: the session falls back to demo mode (which the close
  // would store), then the device is plugged in.
  StartAndRun();
  Device().SetDeviceCount(1);
  ExpectBackToDriver();
}

TEST_F(HardwareSetupTest, DemoModeStoredByAnEarlierFallbackEndsWithTheInstrumentThere) {
  WriteIni("[Hardware]\nDemoMode=1\n");
  Device().SetDeviceCount(1);
  StartAndRun();
  ExpectBackToDriver();
}

TEST_F(HardwareSetupTest, DeviceChosenWithoutADeviceFallsBackToDemoModeWithTheNotice) {
  StartAndRun();
  ASSERT_EQ(ScopeState().DemoMode, 1);
  Dialogs().ClearRecords();
  ChooseInDialog(/*device=*/true);
  Dialogs().AnswerModal(mrOk);  // "No hardware response!"
  Form1->Hardware1->Click();

  ASSERT_EQ(Dialogs().Forms().size(), 2u);
  EXPECT_EQ(Dialogs().Forms()[1].ClassName, "TBtnBottomDlg1");
  ASSERT_EQ(Dialogs().Messages().size(), 1u);
  EXPECT_EQ(Dialogs().Messages()[0].Text, kNoDeviceText);
  EXPECT_EQ(Dialogs().Messages()[0].Kind, mtInformation);
  EXPECT_EQ(Dialogs().Messages()[0].X, Form1->Left() + 238);
  EXPECT_EQ(ScopeState().DemoMode, 1);
  EXPECT_TRUE(Driver().HardwareMissing());
  EXPECT_FALSE(Driver().IsOpen());
  EXPECT_EQ(GeneratorState().GeneratorHardware, 0);
  // The demo trigger search reads the level turned round, as before the dialog.
  EXPECT_EQ(ScopeState().Settings.DeviceTriggerLevel, 255 - Form1->TrackBar3->Position());
  EXPECT_TRUE(Device().Transfers().empty());
}

class HardwareSetupWithDeviceTest : public HardwareSetupTest {
 protected:
  bool DevicePresent() const override { return true; }
};

TEST_F(HardwareSetupWithDeviceTest, DemoModeChosenStopsTheCaptureAndSaysHowToStartTheDemo) {
  WriteIni("[Menu]\nHWdialog=0\n");
  StartAndRun();
  ASSERT_EQ(ScopeState().DemoMode, 0);
  ASSERT_TRUE(Driver().IsOpen());
  Form1->SpeedButtonRun->SetDown(true);
  Form1->SpeedButtonRunClick(Form1);
  ASSERT_TRUE(harness_->PumpUntil([] { return ScopeState().AcquisitionIdle == 0; }, 2000));

  Dialogs().ClearRecords();
  // Run is already released when the dialog comes up.
  bool runUpInDialog = false;
  Dialogs().AnswerModal([&](TForm&) {
    runUpInDialog = !Form1->SpeedButtonRun->Down() && ScopeState().AcquisitionIdle;
    BtnBottomDlg->RadioButton2->Click();
    return mrOk;
  });
  Form1->Hardware1->Click();

  EXPECT_TRUE(runUpInDialog);
  EXPECT_EQ(ScopeState().DemoMode, 1);
  EXPECT_EQ(GeneratorState().GeneratorHardware, 0);
  EXPECT_EQ(Form1->RecorderDemoChangePending, 1);
  ASSERT_EQ(Dialogs().Messages().size(), 1u);
  EXPECT_EQ(Dialogs().Messages()[0].Text, kDemoChosenText);
  EXPECT_EQ(Dialogs().Messages()[0].Kind, mtInformation);
  EXPECT_EQ(Dialogs().Messages()[0].X, Form1->Left() + 240);
  EXPECT_EQ(Dialogs().Messages()[0].Y, Form1->Top() + 200);
  EXPECT_EQ(ScopeState().Settings.DeviceTriggerLevel, 255 - Form1->TrackBar3->Position());
  ASSERT_TRUE(Close());
  EXPECT_EQ(IniValue("Hardware", "DemoMode"), "1");
}

// Pixels of either channel's trace colour inside the graticule.
int TracePixels() {
  const QImage picture = Form1->Image1->Picture()->Image();
  const int x0 = ScopeState().ScreenX0, y0 = ScopeState().ScreenY0;
  int n = 0;
  for (int y = y0 + 1; y < y0 + 256; ++y)
    for (int x = x0 + 1; x < x0 + 650; ++x) {
      const QRgb p = picture.pixel(x, y);
      n += p == ToQRgb(DisplayState().Ch1Color) || p == ToQRgb(DisplayState().Ch2Color);
    }
  return n;
}

// Counts the trace pixels on the picture while each message box is up, then
// lets the answerer in force answer it.
class PictureUnderMessages : public DialogAnswerer {
 public:
  PictureUnderMessages() : next_(SetDialogAnswerer(this)) {}
  ~PictureUnderMessages() override { SetDialogAnswerer(next_); }
  int Message(const MessageRequest& r) override {
    Seen.push_back(TracePixels());
    return next_->Message(r);
  }
  int ModalForm(TForm& f) override { return next_->ModalForm(f); }
  bool FileDialog(const FileDialogRequest& r, std::string& n, int& i) override { return next_->FileDialog(r, n, i); }
  bool ColorDialog(TColor& c) override { return next_->ColorDialog(c); }
  bool PrintDialog(PrintDialogRequest& r) override { return next_->PrintDialog(r); }
  bool Print(const PrintedDocument& d) override { return next_->Print(d); }
  std::vector<int> Seen;

 private:
  DialogAnswerer* next_;
};

TEST_F(HardwareSetupWithDeviceTest, ANewSourceNeverShowsTheOldSourcesTraces) {
  struct Case {
    const char* what;
    bool startInDemo;
    bool bitViewFirst;
  };
  const Case cases[] = {
      {"demo mode, then the device", true, false},
      {"device with the bit view used, then demo mode", false, true},
      {"device, then demo mode", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteIni(c.startInDemo ? "[Menu]\nHWdialog=0\n[Hardware]\nDemoMode=1\n" : "[Menu]\nHWdialog=0\n");
    StartAndRun();
    ASSERT_EQ(ScopeState().DemoMode, c.startInDemo ? 1 : 0);
    Device().SetSamples(std::vector<std::uint8_t>(4096, 0xB2), std::vector<std::uint8_t>(4096, 0x0F));
    if (c.bitViewFirst) Form1->GrSpeedButton15->Click();
    Form1->SingleClick();
    if (c.bitViewFirst) Form1->GrSpeedButton15->Click();
    ASSERT_GT(TracePixels(), 300);

    Dialogs().ClearRecords();
    ChooseInDialog(/*device=*/c.startInDemo);
    {
      // The notice after the choice ("demo mode", "not calibrated") stands
      // over a picture without the old traces.
      PictureUnderMessages notices;
      Form1->Hardware1->Click();
      if (!c.startInDemo) {
        EXPECT_EQ(notices.Seen.size(), 1u);
      }
      for (int pixels : notices.Seen) EXPECT_EQ(pixels, 0);
    }
    ASSERT_EQ(ScopeState().DemoMode, c.startInDemo ? 0 : 1);
    EXPECT_EQ(TracePixels(), 0);
    // A control that redraws the picture before the first capture of the
    // new source: still nothing of the old one; nothing to save either.
    Form1->TrackBar1->SetPosition(Form1->TrackBar1->Position() + 10);
    Form1->TrackBar2->SetPosition(Form1->TrackBar2->Position() - 10);
    harness_->Pump(20);
    EXPECT_EQ(TracePixels(), 0);
    Form1->File1->Click();
    EXPECT_FALSE(Form1->SaveDSOData1->Enabled());
    // The new source's capture is drawn.
    Form1->SingleClick();
    EXPECT_GT(TracePixels(), 300);
  }
}

}  // namespace
