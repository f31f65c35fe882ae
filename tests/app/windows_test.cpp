// The program's frame: every window created once in the start-up order, the
// main window's picture and screen geometry, the headless harness, and the
// message loop that the main window's close ends.
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "app/windows.h"
#include "bode/add_text_bode.h"
#include "bode/bode_plot.h"
#include "bode/color_dialog.h"
#include "bode/frequency_step_dialog.h"
#include "bode/ok_bottom_dlg1.h"
#include "bode/trace_colors_dialog.h"
#include "bode/voltage_scale_note.h"
#include "bode/wait_time_dialog.h"
#include "engine/add_text.h"
#include "engine/big_screen.h"
#include "display/color_dialog.h"
#include "engine/measurement_window.h"
#include "engine/persistence_options.h"
#include "engine/btn_bottom_dlg3.h"
#include "engine/control_panel.h"
#include "engine/device_path.h"
#include "engine/form9.h"
#include "engine/main_form.h"
#include "engine/notice_dialogs.h"
#include "engine/scope_state.h"
#include "generator/comm_settings.h"
#include "generator/fine_tune.h"
#include "generator/generator_form.h"
#include "generator/hardware_dialog.h"
#include "generator/more_functions.h"
#include "generator/wave_editor.h"
#include "generator/generator_panel.h"
#include "generator/generator_state.h"
#include "widgets/control_maker.h"
#include "generator/wave_sequence.h"
#include "io/about_box.h"
#include "io/about_box_fgen.h"
#include "io/about_box_rec.h"
#include "engine/print_preview.h"
#include "engine/print_preview_1.h"
#include "recorder/print_preview_rec.h"
#include "engine/remote_control_form.h"
#include "io/scope_file_error.h"
#include "platform/ui/vcl.h"
#include "platform/usb/usb_device_host.h"
#include "recorder/add_text_rec.h"
#include "recorder/btn_bottom_dlg_33.h"
#include "recorder/recorder_file_error.h"
#include "recorder/recorder_form.h"
#include "support/app_harness.h"
#include "display/display_state.h"
#include "support/program_states.h"

namespace {

struct ExpectedWindow {
  std::string className;
  TForm* global;     // the window's global after creation
  bool rightClass;   // the global holds an object of that class
};

template <class T>
ExpectedWindow Expect(const char* className, T* global) {
  return {className, global, global != nullptr && dynamic_cast<T*>(static_cast<TForm*>(global)) != nullptr};
}

// The start-up order, main window first.
std::vector<ExpectedWindow> ExpectedOrder() {
  return {
      Expect("TForm1", Form1),
      Expect("TAboutBox", AboutBox),
      Expect("TBtnBottomDlg", BtnBottomDlg),
      Expect("TBtnBottomDlg1", BtnBottomDlg1),
      Expect("TBtnBottomDlg3", BtnBottomDlg3),
      Expect("TBtnBottomDlg2", BtnBottomDlg2),
      Expect("TPreviewForm", PreviewForm),
      Expect("TForm5", Form5),
      Expect("TForm8", Form8),
      Expect("TBtnBottomDlg1_fgen", BtnBottomDlg1_fgen),
      Expect("TAboutBox_fgen", AboutBox_fgen),
      Expect("TWave_editor1", Wave_editor1),
      Expect("TBode_plot", Bode_plot),
      Expect("TPreview_1Form", Preview_1Form),
      Expect("TBtnBottomDlg_2", BtnBottomDlg_2),
      Expect("TBtnBottomDlg_21", BtnBottomDlg_21),
      Expect("TOKBottomDlg_1", OKBottomDlg_1),
      Expect("TOKRightDlg_1", OKRightDlg_1),
      Expect("TOKRightDlg_2", OKRightDlg_2),
      Expect("TForm5_rec", Form5_rec),
      Expect("TPreviewForm_rec", PreviewForm_rec),
      Expect("TAboutBox_rec", AboutBox_rec),
      Expect("TBtnBottomDlg_33", BtnBottomDlg_33),
      Expect("TForm1_rec", Form1_rec),
      Expect("Tform_9rec", Form_9rec),
      Expect("TForm_9", Form_9),
      Expect("Tform_9bode", form_9bode),
      Expect("TBtnBottomDlg_fgen", BtnBottomDlg_fgen),
      Expect("TForm900", Form900),
      Expect("TCommFrm", CommFrm),
      Expect("TForm9", Form9),
      Expect("TForm_99", Form_99),
      Expect("TForm10", Form10),
      Expect("TForm11", Form11),
      Expect("TForm12", Form12),
      Expect("TFormx1", Formx1),
      Expect("TForm1_fgen", Form1_fgen),
      Expect("TForm_path", Form_path),
      Expect("TOKBottomDlg", OKBottomDlg),
      Expect("TOKBottomDlg1", OKBottomDlg1),
      Expect("TOKRightDlg", OKRightDlg),
  };
}

TEST(Windows, EveryWindowIsCreatedOnceInStartUpOrder) {
  AppHarness app;
  const std::vector<ExpectedWindow> expected = ExpectedOrder();
  const std::vector<CreatedWindow>& created = CreatedWindows();
  ASSERT_EQ(expected.size(), 41u);
  ASSERT_EQ(created.size(), expected.size());

  std::set<TForm*> distinct;
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(expected[i].className);
    EXPECT_EQ(created[i].ClassName, expected[i].className) << "at position " << i;
    EXPECT_EQ(created[i].Form, expected[i].global);
    EXPECT_TRUE(expected[i].rightClass);
    distinct.insert(created[i].Form);
  }
  EXPECT_EQ(distinct.size(), expected.size());
  EXPECT_EQ(Application->MainForm(), Form1);
  // Each window carries its global's name.
  EXPECT_EQ(Form1->Name, "Form1");
  EXPECT_EQ(Form_9rec->Name, "Form_9rec");
  EXPECT_EQ(form_9bode->Name, "form_9bode");
  EXPECT_EQ(Application->FindComponent("Bode_plot"), Bode_plot);

  // A second call makes no second set of windows.
  TForm* mainBefore = Form1;
  CreateAllWindows();
  EXPECT_EQ(CreatedWindows().size(), expected.size());
  EXPECT_EQ(Form1, mainBefore);
}

TEST(Windows, CaptionsAndDesignSizes) {
  AppHarness app;
  EXPECT_EQ(Application->Title(), "Oscilloscope");

  const std::vector<std::pair<TForm*, std::string>> captions = {
      {Form1, "Darvik48"},
      {AboutBox, "Oscilloscope"},
      {BtnBottomDlg, "Oscilloscope"},
      {BtnBottomDlg1, "Oscilloscope"},
      {BtnBottomDlg2, "Color"},
      {PreviewForm, "Print Preview"},
      {Form5, "File Error"},
      {Form8, "Fine Tune"},
      {BtnBottomDlg1_fgen, "More Functions"},
      {AboutBox_fgen, "Function generator"},
      {Wave_editor1, "Wave Editor"},
      {Bode_plot, "Bode Plotter"},
      {Preview_1Form, "Print Preview"},
      {BtnBottomDlg_2, "Color"},
      {BtnBottomDlg_21, "Color"},
      {OKBottomDlg_1, "Bode Plotter"},
      {OKRightDlg_1, "Wait Time"},
      {OKRightDlg_2, "Frequency Step"},
      {Form5_rec, "File Error"},
      {PreviewForm_rec, "Print Preview"},
      {AboutBox_rec, "Transient Recorder"},
      {Form1_rec, "Transient Recorder"},
      {Form_9rec, "Add Text"},
      {Form_9, "Add Text"},
      {form_9bode, "Add Text"},
      {BtnBottomDlg_fgen, "Function Generator"},
      {Form900, "Wave Sequence"},
      {CommFrm, "Communication Settings"},
      {Form_99, "Waveform Parameters"},
      {Form10, "Oscilloscope"},
      {Form11, "Darvik48"},
      {Form12, "Warnings"},
      {Formx1, "Darv-I/O"},
      {Form1_fgen, "Function Generator "},
      {OKBottomDlg, "Bode Plot"},
      {OKRightDlg, "Persistence Options"},
  };
  for (const auto& [form, caption] : captions) {
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->Caption(), caption);
    // The caption is what the window's title bar shows.
    EXPECT_EQ(form->Widget()->windowTitle().toStdString(), caption);
  }

  EXPECT_EQ(Form11->Left(), 194);
  EXPECT_EQ(Form11->Top(), 13);
  EXPECT_EQ(Form11->Width(), 732);
  EXPECT_EQ(Form11->Height(), 380);
  EXPECT_EQ(BtnBottomDlg2->ClientWidth(), 382);
  EXPECT_EQ(BtnBottomDlg2->ClientHeight(), 268);
  EXPECT_EQ(Form_99->ClientWidth(), 377);
  EXPECT_EQ(Form_99->ClientHeight(), 515);
  EXPECT_EQ(PreviewForm->Width(), 620);
  EXPECT_EQ(PreviewForm->Height(), 552);
  EXPECT_EQ(PreviewForm_rec->Width(), 524);
  EXPECT_EQ(PreviewForm_rec->Height(), 547);
  EXPECT_EQ(Preview_1Form->Width(), 622);
  EXPECT_EQ(Preview_1Form->Height(), 549);
  EXPECT_EQ(Formx1->WindowState(), wsMinimized);

  // The main window holds the picture and its buttons on a 1280 x 800 screen.
  EXPECT_LE(Form1->Width(), 1280);
  EXPECT_LE(Form1->Height(), 800);
}

TEST(Windows, OnlyTheMainWindowIsShownAtStart) {
  AppHarness app;
  for (const CreatedWindow& w : CreatedWindows()) {
    SCOPED_TRACE(w.ClassName);
    EXPECT_EQ(w.Form->Visible(), w.Form == Form1);
    EXPECT_EQ(w.Form->Widget()->isVisible(), w.Form == Form1);
  }
}

TEST(Windows, FreedInReverseOrderOfCreation) {
  AppHarness app;
  std::vector<std::string> destroyed;
  for (const CreatedWindow& w : CreatedWindows()) {
    const std::string name = w.ClassName;
    TNotifyEvent previous = w.Form->OnDestroy;
    w.Form->OnDestroy = [&destroyed, name, previous](TObject* sender) {
      if (previous) previous(sender);
      destroyed.push_back(name);
    };
  }
  std::vector<std::string> expected;
  for (const CreatedWindow& w : CreatedWindows()) expected.insert(expected.begin(), w.ClassName);

  FreeAllWindows();
  EXPECT_EQ(destroyed, expected);
  EXPECT_TRUE(CreatedWindows().empty());
  EXPECT_EQ(Form1, nullptr);
  EXPECT_EQ(Form12, nullptr);
  EXPECT_EQ(OKRightDlg, nullptr);
  EXPECT_EQ(Application->MainForm(), nullptr);
}

// ---- The scope picture and its geometry

TEST(MainWindow, PictureIsFilledWithTheBackgroundColour) {
  AppHarness app;
  ASSERT_NE(Form1->Image1, nullptr);
  const TBitmap* picture = Form1->Image1->Picture();
  ASSERT_EQ(picture->Width(), 700);
  ASSERT_EQ(picture->Height(), 298);
  EXPECT_EQ(Form1->Image1->Width(), 700);
  EXPECT_EQ(Form1->Image1->Height(), 298);
  EXPECT_EQ(DisplayState().BackgroundColor, 0xF5FFFFu);

  const QImage& image = picture->Image();
  int wrong = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (FromQRgb(image.pixel(x, y)) != 0xF5FFFFu) ++wrong;
  EXPECT_EQ(wrong, 0);
}

TEST(HiddenWindows, PicturesAndButtonFacesAreMadeOnFirstUseAsTheyWereDrawnAtStart) {
  // Nothing of a window the user has not opened takes picture memory after
  // start-up; read, each picture is what drawing it at once gives.
  AppHarness app;
  app.Pump(50);
  GeneratorPanel* recorderPanel = nullptr;
  for (GeneratorPanel* p : CreatedGeneratorState().Panels)
    if (!p->ScopeWindow()) recorderPanel = p;
  ASSERT_NE(recorderPanel, nullptr);
  const struct {
    const char* name;
    TImage* image;
    std::function<void()> drawNow;
  } pictures[] = {
      {"Bode plot", Bode_plot->Image1, [] { Bode_plot->draw(); }},
      {"probe warning", Form12->Image1, [] { DrawProbeWarning(*Form12->Image1->Picture()); }},
      {"wave editor", Wave_editor1->Image1, [] { Wave_editor1->curve_0(); }},
      {"recorder's generator preview", recorderPanel->Image6, [] { Form1_fgen->curve_rec(); }},
  };
  for (const auto& [name, image, drawNow] : pictures) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(image->Picture()->Made());
    const QImage deferred = std::as_const(*image->Picture()).Image();
    drawNow();
    EXPECT_EQ(deferred, std::as_const(*image->Picture()).Image());
  }
  TGrSpeedButton* start = Bode_plot->SpeedButton1;
  EXPECT_FALSE(start->Glyph()->Made());
  EXPECT_EQ(start->Glyph()->Image(), MakeSymbolStrip(start->Width(), start->Height(), nullptr)->Image());
}

TEST(MainWindow, PictureIsShownOnTheWindow) {
  AppHarness app;
  app.Pump(50);
  const QImage shown = Form1->Widget()->grab().toImage();
  // The picture's place inside the grabbed window (below the menu bar).
  const QPoint at = Form1->Image1->Widget()->mapTo(Form1->Widget(), QPoint(0, 0));
  const int left = at.x();
  const int top = at.y();
  // Inside the picture: the background colour; just outside it: the window face.
  for (const auto& [x, y] : {std::pair{left + 1, top + 1}, {left + 350, top + 149}, {left + 698, top + 296}})
    EXPECT_EQ(FromQRgb(shown.pixel(x, y)), 0xF5FFFFu) << x << "," << y;
  EXPECT_NE(FromQRgb(shown.pixel(left + 701, top + 150)), 0xF5FFFFu);
}

TEST(MainWindow, ScreenGeometryCentresTheGraticule) {
  AppHarness app;
  using namespace engine;
  using namespace display;
  EXPECT_EQ(ScopeState().ScreenX0, 25);
  EXPECT_EQ(ScopeState().ScreenY0, 20);
  // The graticule, 650 x 256, sits in the middle of the picture and the marker
  // limits meet its right and lower edges.
  EXPECT_EQ(ScopeState().ScreenX0 + 650 + ScopeState().ScreenX0, Form1->Image1->Width());
  EXPECT_EQ(ScopeState().MarkerLimitX, ScopeState().ScreenX0 + 650);
  EXPECT_EQ(ScopeState().MarkerLimitY, ScopeState().ScreenY0 + 256);
  EXPECT_EQ(ScopeState().TextLineY, Form1->Image1->Height() - 20);
  EXPECT_GT(ScopeState().TextLineY, ScopeState().ScreenY0 + 257);  // the read-out line lies below the frame

  // Markers start inside the graticule, 16 pixels in from its edges.
  EXPECT_EQ(DisplayState().TimeMarker1X, ScopeState().ScreenX0 + 16);
  EXPECT_EQ(DisplayState().TimeMarker2X, ScopeState().MarkerLimitX - 16);
  EXPECT_EQ(DisplayState().VoltMarker1Y, ScopeState().ScreenY0 + 16);
  EXPECT_EQ(DisplayState().VoltMarker2Y, ScopeState().MarkerLimitY - 16);
  EXPECT_EQ(DisplayState().FreqMarker1X, DisplayState().TimeMarker1X);
  EXPECT_EQ(DisplayState().LevelMarker1Y, DisplayState().VoltMarker1Y);
  EXPECT_EQ(DisplayState().LevelMarker2Y, DisplayState().VoltMarker2Y);
}

TEST(MainWindow, RunAndSingleSitBesideThePicture) {
  AppHarness app;
  TSpeedButton* run = Form1->SpeedButtonRun;
  TSpeedButton* single = Form1->SpeedButtonSingle;
  ASSERT_NE(run, nullptr);
  ASSERT_NE(single, nullptr);
  EXPECT_EQ(run->Caption(), "Run");
  EXPECT_EQ(single->Caption(), "Single");
  // Places in the window's coordinates, whatever panel holds the buttons.
  const int pictureRight = Form1->Image1->Widget()->mapTo(Form1->Widget(), QPoint(Form1->Image1->Width(), 0)).x();
  for (TSpeedButton* b : {run, single}) {
    const QPoint at = b->Widget()->mapTo(Form1->Widget(), QPoint(0, 0));
    EXPECT_GE(at.x(), pictureRight);
    EXPECT_LE(at.x() + b->Width(), Form1->Width());
  }
}

// ---- The harness

TEST(Harness, PumpsUntilAConditionHoldsOrTheTimeOutPasses) {
  AppHarness app;
  bool fired = false;
  TTimer* timer = new TTimer(Form1);
  timer->SetInterval(30);
  timer->OnTimer = [&](TObject*) {
    fired = true;
    timer->SetEnabled(false);
  };
  timer->SetEnabled(true);

  // On the program's clock: the wait ends when the timer has run, the
  // time-out after exactly its time, and neither waits for real time.
  QElapsedTimer real;
  real.start();
  program_clock::TimePoint start = program_clock::Now();
  EXPECT_TRUE(app.PumpUntil([&] { return fired; }, 20000));
  EXPECT_EQ(program_clock::MillisecondsSince(start), 30);

  start = program_clock::Now();
  EXPECT_FALSE(app.PumpUntil([] { return false; }, 60000));
  EXPECT_EQ(program_clock::MillisecondsSince(start), 60000);
  EXPECT_LT(real.elapsed(), 10000);
}

TEST(Harness, KeepsTheUserAndTheUsbBusOutOfTests) {
  {
    AppHarness app;
    EXPECT_EQ(std::string(std::getenv("HOME")), app.Home().Path());
    EXPECT_EQ(CurrentUsbHost().CountDevices(), 0);
    ShowMessage("hello");
    EXPECT_EQ(app.Dialogs().CountMessages("hello"), 1);
  }
  AppHarness::Options withDevice;
  withDevice.DevicePresent = true;
  AppHarness app(withDevice);
  EXPECT_EQ(CurrentUsbHost().CountDevices(), 1);
  EXPECT_EQ(&CurrentUsbHost(), static_cast<UsbDeviceHost*>(&app.Device()));
  EXPECT_EQ(CreatedWindows().size(), 41u);
}

// ---- The message loop

TEST(MessageLoop, ClosingTheMainWindowEndsIt) {
  AppHarness app;
  bool watchdog = false;
  // As the user does: the window's close button.
  QTimer::singleShot(0, Form1->Widget(), [] { Form1->Widget()->close(); });
  // Owned by this test, so that it never ends the program of a later one.
  QTimer limit;
  limit.setSingleShot(true);
  QObject::connect(&limit, &QTimer::timeout, [&watchdog] {
    watchdog = true;
    Application->Terminate();
  });
  limit.start(5000);
  Application->Run();
  EXPECT_FALSE(watchdog);
  EXPECT_TRUE(Application->Terminated());
  // The window stays until the main block frees it.
  EXPECT_NE(Form1, nullptr);
}

TEST(MessageLoop, ClosingAnotherWindowOnlyHidesIt) {
  AppHarness app;
  Form_99->Show();
  app.Pump(20);
  Form_99->Widget()->close();
  app.Pump(20);
  EXPECT_FALSE(Form_99->Visible());
  EXPECT_FALSE(Application->Terminated());
  EXPECT_TRUE(Form1->Visible());
}

}  // namespace
