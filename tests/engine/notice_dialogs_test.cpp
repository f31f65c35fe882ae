#include "device/scope_device.h"
#include "engine/notice_dialogs.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QTimer>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "engine/main_form.h"
#include "engine/scope_state.h"
#include "support/key_press.h"
#include "support/scripted_dialogs.h"
#include "support/temp_home.h"
#include "support/program_states.h"
#include "app/windows.h"

namespace {

int CountPixels(const QImage& img, int x0, int y0, int x1, int y1, TColor c) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x)
      if (FromQRgb(img.pixel(x, y)) == c) ++n;
  return n;
}

template <class T>
struct DialogTest : ::testing::Test {
  T* dlg = nullptr;
  ScriptedDialogs dialogs;
  void SetUp() override {
    ScopeState().DemoMode = 0;
    ScopeState().RunStop = 0;
    ScopeState().SingleStop = 0;
    ScopeState().ProbeWarningMuted = 0;
    if constexpr (std::is_constructible_v<T, TComponent*, const engine::ScopeStates&>)
      dlg = new T(nullptr, CreatedScopeStates());
    else
      dlg = new T(nullptr);
  }
  void TearDown() override { FreeAndNil(dlg); }
};

// Runs `form` modally as the program does; once it is up, `act` types on it
// as the user would. The modal result, or -1 when the keys left it open.
int RunModalWithKeys(ScriptedDialogs& dialogs, TForm& form, std::function<void(TForm&)> act) {
  bool leftOpen = false;
  dialogs.AnswerModal([&](TForm& f) {
    QTimer::singleShot(0, f.Widget(), [&] { act(f); });
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, [&] {
      leftOpen = true;
      f.SetModalResult(mrAbort);
    });
    limit.start(1500);
    return f.RunModalLoop();
  });
  const int result = form.ShowModal();
  return leftOpen ? -1 : result;
}

using HardwareDialog = DialogTest<TBtnBottomDlg>;
using NoHardwareDialog = DialogTest<TBtnBottomDlg1>;
using ProbeWarning = DialogTest<TForm12>;
using BodeHint = DialogTest<TOKBottomDlg>;

}  // namespace

TEST_F(HardwareDialog, ShowsTheChoiceWithTheInstrumentPreselected) {
  EXPECT_EQ(dlg->Caption(), "Oscilloscope");
  EXPECT_EQ(dlg->Label1->Caption(), "Please select the oscilloscope hardware");
  EXPECT_EQ(dlg->RadioButton1->Caption(), "Darvik48");
  EXPECT_EQ(dlg->RadioButton2->Caption(), "None = Demo mode");
  EXPECT_TRUE(dlg->RadioButton1->Checked());
  EXPECT_FALSE(dlg->RadioButton2->Checked());
  EXPECT_EQ(dlg->GrSpeedButton1->Caption(), "OK");
  // Building the dialog is no choice of the user's.
  EXPECT_EQ(ScopeState().DemoMode, 0);
  EXPECT_EQ(ScopeState().RunStop, 0);
  EXPECT_EQ(ScopeState().SingleStop, 0);
}

TEST_F(HardwareDialog, ChoosingDemoModeStopsTheAcquisitionBeforeOk) {
  dialogs.AnswerModal([&](TForm&) {
    dlg->RadioButton2->Click();
    // At once, with the dialog still open.
    EXPECT_EQ(ScopeState().DemoMode, 1);
    EXPECT_EQ(ScopeState().RunStop, 1);
    EXPECT_EQ(ScopeState().SingleStop, 1);
    EXPECT_TRUE(dlg->Modal());
    dlg->GrSpeedButton1->Click();
    EXPECT_NE(dlg->ModalResult(), mrNone);
    return mrNone;
  });
  dlg->ShowModal();
  EXPECT_FALSE(dlg->Visible());
  ASSERT_EQ(dialogs.Forms().size(), 1u);
  EXPECT_EQ(dialogs.Forms()[0].Caption, "Oscilloscope");
  EXPECT_EQ(ScopeState().DemoMode, 1);
}

TEST_F(HardwareDialog, EitherChoiceReleasesTheMainWindowsRunAndSingle) {
  TempHome home;
  device::ScopeDevice device;
  Form1 = new TForm1(nullptr, device, CreatedScopeStates());
  for (TRadioButton* choice : {dlg->RadioButton2, dlg->RadioButton1}) {
    Form1->SpeedButtonRun->SetDown(true);
    Form1->SpeedButtonSingle->SetDown(true);
    ASSERT_TRUE(Form1->SpeedButtonRun->Down());
    ASSERT_TRUE(Form1->SpeedButtonSingle->Down());
    choice->Click();
    EXPECT_FALSE(Form1->SpeedButtonRun->Down()) << choice->Caption();
    EXPECT_FALSE(Form1->SpeedButtonSingle->Down()) << choice->Caption();
  }
  EXPECT_EQ(ScopeState().DemoMode, 0);
  FreeAndNil(Form1);
}

TEST_F(HardwareDialog, ChoosingTheInstrumentLeavesDemoModeAndStopsToo) {
  dlg->RadioButton2->SetChecked(true);
  ScopeState().RunStop = 0;
  ScopeState().SingleStop = 0;
  dlg->RadioButton1->Click();
  EXPECT_EQ(ScopeState().DemoMode, 0);
  EXPECT_EQ(ScopeState().RunStop, 1);
  EXPECT_EQ(ScopeState().SingleStop, 1);
  EXPECT_FALSE(dlg->RadioButton2->Checked());
}

TEST_F(NoHardwareDialog, ShowsTheExactTextsAndOkCloses) {
  EXPECT_EQ(dlg->Caption(), "Oscilloscope");
  EXPECT_EQ(dlg->Label1->Caption(), "No hardware response!");
  EXPECT_TRUE(dlg->Label1->Font().Style & fsBold);
  EXPECT_EQ(dlg->Label2->Caption(), "  Please make sure that the USB cable is connected.");
  EXPECT_EQ(dlg->Label3->Caption(), "  If connected: Disconnect and reconnect USB cable.");
  EXPECT_EQ(dlg->Label4->Caption(), "Choose Options | Hardware Setup to select the operation mode.");
  EXPECT_EQ(dlg->OKBtn->Caption(), "OK");
  dialogs.AnswerModal([&](TForm&) {
    dlg->OKBtn->Click();
    EXPECT_NE(dlg->ModalResult(), mrNone);  // the click ends the modal run
    return mrNone;
  });
  dlg->ShowModal();
  EXPECT_FALSE(dlg->Visible());
}

TEST_F(ProbeWarning, StaysOnTopWithThePictureAndItsChoice) {
  EXPECT_EQ(dlg->Caption(), "Warnings");
  EXPECT_EQ(dlg->FormStyle(), fsStayOnTop);
  EXPECT_EQ(dlg->Image1->Width(), 464);
  EXPECT_EQ(dlg->Image1->Height(), 89);
  EXPECT_EQ(dlg->Image1->Picture()->Width(), 464);
  EXPECT_EQ(dlg->Image1->Picture()->Height(), 89);
  EXPECT_EQ(dlg->CheckBox1->Caption(), "Don't show this warning again during this session.");
  EXPECT_FALSE(dlg->CheckBox1->Checked());
  EXPECT_EQ(dlg->SpeedButton29->Caption(), "OK");
}

TEST_F(ProbeWarning, TickingTheBoxMutesTheWarningForTheSession) {
  dlg->Show();
  dlg->CheckBox1->Click();
  EXPECT_EQ(ScopeState().ProbeWarningMuted, 1);
  // The probe buttons and the settings recall read the same flag.
  EXPECT_EQ(ScopeState().ProbeWarningMuted, 1);
  dlg->CheckBox1->Click();
  EXPECT_EQ(ScopeState().ProbeWarningMuted, 0);
  dlg->CheckBox1->Click();
  dlg->SpeedButton29->Click();
  EXPECT_FALSE(dlg->Visible());
  EXPECT_EQ(ScopeState().ProbeWarningMuted, 1);
}

TEST(NoticeKeys, ReturnEnterSpaceAndEscapePressTheOkOfEveryNotice) {
  ScriptedDialogs dialogs;
  ScopeState().ProbeWarningMuted = 0;
  const Qt::Key keys[] = {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space, Qt::Key_Escape};
  for (Qt::Key key : keys) {
    SCOPED_TRACE(KeyName(key));
    // The modal ones, with nothing focused, and with the focus in the Bode
    // hint's memo, which uses only Space.
    auto hardware = std::make_unique<TBtnBottomDlg>(nullptr, CreatedScopeStates());
    EXPECT_NE(RunModalWithKeys(dialogs, *hardware, [&](TForm& f) { PressKey(f.Widget(), key); }), -1);
    auto noHardware = std::make_unique<TBtnBottomDlg1>(nullptr);
    EXPECT_NE(RunModalWithKeys(dialogs, *noHardware, [&](TForm& f) { PressKey(f.Widget(), key); }), -1);
    EXPECT_FALSE(noHardware->Visible());
    auto bodeHint = std::make_unique<TOKBottomDlg>(nullptr);
    EXPECT_EQ(RunModalWithKeys(dialogs, *bodeHint,
                               [&](TForm&) {
                                 bodeHint->Memo1->SetFocus();
                                 PressKey(bodeHint->Memo1->Widget(), key);
                               }),
              key == Qt::Key_Space ? -1 : 1);  // Space pages the focused memo on
    // The probe warning is not modal.
    TForm12 warning(nullptr, CreatedScopeStates());
    warning.Show();
    PressKey(warning.Widget(), key);
    EXPECT_FALSE(warning.Visible());
  }
  EXPECT_EQ(ScopeState().ProbeWarningMuted, 0);
}

TEST(NoticeKeys, SpaceOnAFocusedChoiceTakesTheChoiceAndReturnStillCloses) {
  ScriptedDialogs dialogs;
  ScopeState().DemoMode = 0;
  ScopeState().ProbeWarningMuted = 0;
  TBtnBottomDlg hardware(nullptr, CreatedScopeStates());
  bool demoChosenWhileOpen = false;
  EXPECT_NE(RunModalWithKeys(dialogs, hardware,
                             [&](TForm& f) {
                               hardware.RadioButton2->SetFocus();
                               PressKey(hardware.RadioButton2->Widget(), Qt::Key_Space);
                               demoChosenWhileOpen = ScopeState().DemoMode == 1 && f.ModalResult() == mrNone;
                               PressKey(hardware.RadioButton2->Widget(), Qt::Key_Return);
                             }),
            -1);
  EXPECT_TRUE(demoChosenWhileOpen);
  EXPECT_TRUE(hardware.RadioButton2->Checked());

  // Up and Down choose between the two as they move the focus.
  ScopeState().DemoMode = 0;
  hardware.RadioButton1->SetChecked(true);
  std::vector<std::pair<int, bool>> seen;  // DemoMode, demo shown checked
  EXPECT_NE(RunModalWithKeys(dialogs, hardware,
                             [&](TForm&) {
                               hardware.RadioButton1->SetFocus();
                               for (Qt::Key key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_Up}) {
                                 // The key goes to the choice that has the focus, the checked one.
                                 TRadioButton* focused =
                                     hardware.RadioButton2->Checked() ? hardware.RadioButton2 : hardware.RadioButton1;
                                 PressKey(focused->Widget(), key);
                                 seen.emplace_back(ScopeState().DemoMode,
                                                   static_cast<QAbstractButton*>(hardware.RadioButton2->Widget())
                                                       ->isChecked());
                               }
                               PressKey(hardware.RadioButton2->Widget(), Qt::Key_Return);
                             }),
            -1);
  EXPECT_EQ(seen, (std::vector<std::pair<int, bool>>{{1, true}, {0, false}, {1, true}}));

  TForm12 warning(nullptr, CreatedScopeStates());
  warning.Show();
  warning.CheckBox1->SetFocus();
  PressKey(warning.CheckBox1->Widget(), Qt::Key_Space);
  EXPECT_TRUE(warning.Visible());
  EXPECT_EQ(ScopeState().ProbeWarningMuted, 1);
  PressKey(warning.CheckBox1->Widget(), Qt::Key_Return);
  EXPECT_FALSE(warning.Visible());
  ScopeState().DemoMode = 0;
  ScopeState().ProbeWarningMuted = 0;
}

TEST(ProbeWarningPicture, DrawsTheSignAndEverySentenceInsideThePicture) {
  TBitmap pic(kProbeWarningWidth, kProbeWarningHeight);
  const std::vector<std::string> lines = DrawProbeWarning(pic);
  ASSERT_FALSE(lines.empty()) << "the text did not fit";
  EXPECT_EQ(lines[0], "WARNINGS");
  std::string all;
  for (size_t i = 1; i < lines.size(); ++i) all += lines[i] + " ";
  for (const char* part : {"grounds are interconnected", "PC ground", "30 V AC+DC", "galvanically separated",
                           "AC power (mains)", "safety isolation transformer"})
    EXPECT_NE(all.find(part), std::string::npos) << part;

  const QImage& img = pic.Image();
  // A red triangle on the left, ink on the right, a white ground.
  int red = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < 80; ++x) {
      const TColor c = FromQRgb(img.pixel(x, y));
      if ((c & 0xFF) > 0xC0 && ((c >> 8) & 0xFF) < 0x40 && ((c >> 16) & 0xFF) < 0x40) ++red;
    }
  EXPECT_GT(red, 300);
  EXPECT_GT(CountPixels(img, 30, 30, 50, 75, clBlack), 20);  // the exclamation mark
  EXPECT_GT(CountPixels(img, 84, 0, img.width(), img.height(), clBlack), 300);
  EXPECT_GT(CountPixels(img, 0, 0, img.width(), img.height(), clWhite), img.width() * img.height() / 2);
  // Nothing is drawn over the frame's last rows: the text fits in height.
  EXPECT_EQ(CountPixels(img, 84, img.height() - 3, img.width() - 1, img.height() - 1, clBlack), 0);
}

TEST_F(BodeHint, ShowsTheWiringLinesExactly) {
  EXPECT_EQ(dlg->Caption(), "Bode Plot");
  const std::vector<std::string> expected = {
      "To get the ampltude plot:",
      "- Connect the output of the Function Generator to the input of the device under test.",
      "- Connect the output of the device under test to CH1 of the Oscilloscope.",
      "",
      "To get the phase plot: ",
      "- Connect the output of the Function Generator also to CH2 of the Oscilloscope.  ",
      "- From the View menu select Phase Plot.",
      "",
      "To use the option \"Normalize Output by Input\": ",
      "- Connect the output of the Function Generator also to CH2 of the Oscilloscope.  ",
      "- From the Options menu select Normalize Output by Input.",
      "- See Help for more information.",
  };
  EXPECT_EQ(dlg->Memo1->Lines().Lines(), expected);
  EXPECT_TRUE(dlg->Memo1->ReadOnly());
  EXPECT_EQ(dlg->CheckBox1->Caption(), "Do not show this again");
  EXPECT_EQ(dlg->OKBtn->Caption(), "OK");
}

TEST_F(BodeHint, OkEndsTheModalRunWithResultOneAndTheBoxIsRead) {
  dialogs.AnswerModal([&](TForm&) {
    dlg->CheckBox1->Click();
    dlg->OKBtn->Click();
    return mrNone;  // the form's own result
  });
  EXPECT_EQ(dlg->ShowModal(), 1);
  EXPECT_TRUE(dlg->CheckBox1->Checked());
  EXPECT_FALSE(dlg->Visible());
}
