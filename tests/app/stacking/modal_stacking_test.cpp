// Every modal window of the program opens on top: above the window it was
// opened from and above every window of the program that stays on top (the
// x10 probe warning, the wave sequence player, the measurement window),
// centred on the window it came from unless it belongs in the screen's
// centre. Checked in the X server's own stacking order, with a window
// manager that keeps stay-on-top windows above the others.
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/windows.h"
#include "bode/bode_plot.h"
#include "bode/bode_state.h"
#include "bode/color_dialog.h"
#include "bode/frequency_step_dialog.h"
#include "bode/ok_bottom_dlg1.h"
#include "bode/trace_colors_dialog.h"
#include "bode/voltage_scale_note.h"
#include "bode/wait_time_dialog.h"
#include "display/color_dialog.h"
#include "engine/control_panel.h"
#include "engine/measurement_window.h"
#include "engine/persistence_options.h"
#include "engine/main_form.h"
#include "engine/notice_dialogs.h"
#include "generator/comm_settings.h"
#include "generator/hardware_dialog.h"
#include "generator/generator_form.h"
#include "generator/wave_editor.h"
#include "generator/wave_sequence.h"
#include "io/about_box.h"
#include "io/about_box_fgen.h"
#include "io/about_box_rec.h"
#include "engine/print_preview.h"
#include "engine/print_preview_1.h"
#include "recorder/print_preview_rec.h"
#include "io/scope_file_error.h"
#include "recorder/recorder_file_error.h"
#include "recorder/recorder_form.h"
#include "support/app_harness.h"
#include "x_session.h"

namespace {

// The stay-on-top windows shown while the modal windows open.
std::vector<TForm*> StayOnTopWindows() { return {Form12, Form900, Form_99}; }

// What the X server shows once the window manager has settled: the modal
// window above its owner and above every stay-on-top window.
void ExpectOnTop(AppHarness& app, const QWidget& modal, const TForm& owner, const std::string& what) {
  std::vector<const QWidget*> below = {owner.Widget()};
  for (TForm* f : StayOnTopWindows()) below.push_back(f->Widget());
  auto onTop = [&] {
    const int mine = StackingIndex(modal);
    if (mine < 0) return false;
    for (const QWidget* w : below)
      if (StackingIndex(*w) > mine) return false;
    return true;
  };
  app.PumpUntil(onTop, 5000);
  app.Pump(300);  // and it stays there
  EXPECT_TRUE(onTop()) << what << " at " << StackingIndex(modal) << ", its owner at " << StackingIndex(*owner.Widget())
                       << ", the probe warning at " << StackingIndex(*Form12->Widget()) << ", the player at "
                       << StackingIndex(*Form900->Widget());
}

// The user turns to the window; true once the program sees it active. The
// request is made again while a window manager still takes on new windows.
bool MakeActive(AppHarness& app, QWidget& window) {
  for (int attempt = 0; attempt < 20; ++attempt) {
    ActivateAsTheUserDoes(window);
    if (app.PumpUntil([&] { return QApplication::activeWindow() == &window; }, 250)) return true;
  }
  return false;
}

bool Holds(const QRect& r, const QPoint& p) { return r.adjusted(-2, -2, 2, 2).contains(p); }

}  // namespace

TEST(ModalStacking, EveryModalWindowOpensAboveItsOwnerAndTheStayOnTopWindows) {
  if (XSessionProblem.rfind("no X server", 0) == 0) GTEST_SKIP() << XSessionProblem;
  ASSERT_TRUE(XSessionProblem.empty()) << XSessionProblem;
  // The window manager and the X server keep real time.
  AppHarness::Options options;
  options.RealClock = true;
  AppHarness app(options);
  Form1->Timer3->SetEnabled(false);  // no start-up notices in between
  for (TForm* f : {static_cast<TForm*>(Form1_rec), static_cast<TForm*>(Bode_plot)}) f->Show();
  for (TForm* f : StayOnTopWindows()) f->Show();
  // The player sits where its dialogs would open by design.
  Form900->SetBounds(0, 0, Form900->Width(), Form900->Height());

  struct Case {
    const char* window;
    TForm* owner;                 // the window it is opened from
    TForm* form;                  // nullptr: made by the opener
    std::function<void()> open;   // nullptr: ShowModal
    bool screenCentre = false;    // placed in the screen's centre
  };
  const std::string notData = app.Home().Path() + "/shopping.txt";
  std::ofstream(notData) << "Shopping list\r\n2 apples\r\n";
  auto main = Form1;
  auto rec = Form1_rec;
  auto bode = Bode_plot;
  auto player = Form900;
  const std::vector<Case> cases = {
      // The two the user met, by the way the user opens them.
      {"File Error (Open DSO Data...)", main, Form5,
       [&] {
         app.Dialogs().AnswerFile(notData);
         Form1->Files().OpenData1Click(nullptr);
       }},
      {"File Error (recorder's Open Data...)", rec, Form5_rec,
       [&] {
         app.Dialogs().AnswerFile(notData);
         Form1_rec->OpenData1Click(nullptr);
       }},
      {"About Oscilloscope", main, AboutBox, nullptr, true},
      {"About Transient Recorder", rec, AboutBox_rec, nullptr, true},
      {"About Function generator", main, AboutBox_fgen, nullptr, true},
      {"Oscilloscope hardware", main, BtnBottomDlg, nullptr},
      {"No hardware response", main, BtnBottomDlg1, nullptr},
      {"Color (scope)", main, BtnBottomDlg2, nullptr},
      {"Persistence Options", main, OKRightDlg, nullptr},
      {"Print Preview (scope)", main, PreviewForm, nullptr},
      {"Function Generator hardware", main, BtnBottomDlg_fgen, nullptr},
      {"Print Preview (recorder)", rec, PreviewForm_rec, nullptr},
      {"Bode Plot hint", bode, OKBottomDlg, nullptr},
      {"Phase Plot hint", bode, OKBottomDlg1, nullptr},
      {"Bode voltage scale note", bode, OKBottomDlg_1, nullptr},
      {"Wait Time", bode, OKRightDlg_1, nullptr},
      {"Frequency Step", bode, OKRightDlg_2, nullptr},
      {"Color (Bode plot)", bode, BtnBottomDlg_2, nullptr},
      {"Color (multiple traces)", bode, BtnBottomDlg_21, nullptr},
      {"Print Preview (Bode plot)", bode, Preview_1Form, nullptr},
      {"Communication Settings (player's Serial Port)", player, nullptr,
       [] {
         Form900->RadioButton2->SetChecked(true);
         Form900->RadioButton2Click(Form900->RadioButton2);
       }},
  };
  const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.window);
    TForm* owner = c.owner;
    owner->Show();
    // The user works in it: the window manager has made it the active one.
    EXPECT_TRUE(MakeActive(app, *owner->Widget()));
    bool shown = false;
    app.Dialogs().AnswerModal([&](TForm& f) {
      shown = true;
      if (c.form) {
        EXPECT_EQ(&f, c.form);
      }
      ExpectOnTop(app, *f.Widget(), *owner, c.window);
      const QRect place = f.Widget()->frameGeometry();
      if (c.screenCentre) EXPECT_TRUE(Holds(place, screenCentre));
      else EXPECT_TRUE(Holds(place, owner->Widget()->frameGeometry().center()));
      return mrCancel;
    });
    if (c.open) c.open();
    else c.form->ShowModal();
    EXPECT_TRUE(shown);
    EXPECT_EQ(app.Dialogs().PendingAnswers(), 0);
  }
  if (Form900->RadioButton1->Checked() == false) {
    Form900->RadioButton1->SetChecked(true);
    Form900->RadioButton1Click(Form900->RadioButton1);
  }

  // The system's message boxes and file dialogs, opened from the player.
  DialogAnswerer* scripted = SetDialogAnswerer(nullptr);
  struct SystemCase {
    const char* window;
    std::function<void()> open;
  };
  const SystemCase system[] = {
      {"message box", [] { MessageDlg("Error on line 3 of the input data.", mtWarning, mbOK); }},
      {"file dialog",
       [] {
         TOpenDialog open(nullptr);
         open.SetFilter("Text file|*.txt|All files|*.*");
         open.Execute();
       }},
  };
  for (const SystemCase& c : system) {
    SCOPED_TRACE(c.window);
    Form900->Show();
    EXPECT_TRUE(MakeActive(app, *Form900->Widget()));
    bool shown = false;
    QTimer::singleShot(100, [&] {
      QWidget* dialog = QApplication::activeModalWidget();
      ASSERT_NE(dialog, nullptr);
      shown = true;
      ExpectOnTop(app, *dialog, *Form900, c.window);
      if (auto* box = qobject_cast<QDialog*>(dialog)) box->done(QDialog::Rejected);
    });
    c.open();
    EXPECT_TRUE(shown);
  }
  SetDialogAnswerer(scripted);
}

// "Automatic Voltage Scale" in the Bode Plotter readies the scope and shows
// its note: the note opens over the Bode Plotter, the scope window (shown
// when it was hidden) stays behind it, and after OK the Bode Plotter is in
// front and active as before.
TEST(NoticeStacking, TheVoltageScaleNoteOpensOverTheBodePlotterAndLeavesItInFront) {
  if (XSessionProblem.rfind("no X server", 0) == 0) GTEST_SKIP() << XSessionProblem;
  ASSERT_TRUE(XSessionProblem.empty()) << XSessionProblem;
  AppHarness::Options options;
  options.RealClock = true;  // the window manager and the X server keep real time
  AppHarness app(options);
  Form1->Timer3->SetEnabled(false);  // no start-up notices in between
  Form1->Show();
  Bode_plot->Show();
  const auto bodeInFront = [] {
    const int scope = StackingIndex(*Form1->Widget());
    return scope >= 0 && StackingIndex(*Bode_plot->Widget()) > scope;
  };
  const auto where = [] {
    return "the Bode Plotter at " + std::to_string(StackingIndex(*Bode_plot->Widget())) + ", the scope window at " +
           std::to_string(StackingIndex(*Form1->Widget()));
  };
  for (bool scopeShown : {true, false}) {
    SCOPED_TRACE(scopeShown ? "scope window shown" : "scope window hidden");
    if (!scopeShown) Form1->Hide();
    ASSERT_TRUE(MakeActive(app, *Bode_plot->Widget()));
    app.BodeState().BodeAutoScale = 0;
    bool shown = false;
    app.Dialogs().AnswerModal([&](TForm& f) {
      shown = true;
      EXPECT_EQ(&f, OKBottomDlg_1);
      ExpectOnTop(app, *f.Widget(), *Bode_plot, "the note");
      app.PumpUntil(bodeInFront, 2000);
      EXPECT_TRUE(bodeInFront()) << where();
      return mrOk;
    });
    Bode_plot->AutomaticVoltageScale1->Click();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(Form1->Visible());
    const auto asBefore = [&] { return bodeInFront() && QApplication::activeWindow() == Bode_plot->Widget(); };
    app.PumpUntil(asBefore, 5000);
    app.Pump(300);  // and it stays so
    EXPECT_TRUE(asBefore()) << where() << ", active: "
                            << (QApplication::activeWindow() ? QApplication::activeWindow()->windowTitle().toStdString()
                                                             : std::string("none"));
  }
}

// Every window opens inside the screen's free area, clear of the task bar at
// its foot: each of the program's windows at the place the program gives
// it, the print preview centred on a main window at the top of the screen,
// and the system's file dialogs opened from windows low on the screen.
TEST(WindowPlaces, EveryWindowOpensInsideTheScreensFreeArea) {
  if (XSessionProblem.rfind("no X server", 0) == 0) GTEST_SKIP() << XSessionProblem;
  ASSERT_TRUE(XSessionProblem.empty()) << XSessionProblem;
  AppHarness::Options options;
  options.RealClock = true;  // the window manager and the X server keep real time
  AppHarness app(options);
  Form1->Timer3->SetEnabled(false);  // no start-up notices in between
  const QScreen* screen = QGuiApplication::primaryScreen();
  // The window manager announces its task bar's room once it is up.
  app.PumpUntil([&] { return screen->availableGeometry().height() < screen->geometry().height(); }, 5000);
  const QRect area = screen->availableGeometry();
  ASSERT_LT(area.height(), screen->geometry().height()) << "the window manager shows no task bar";
  const auto where = [](const QWidget& w) {
    const QRect r = w.frameGeometry();
    return std::to_string(r.width()) + "x" + std::to_string(r.height()) + " at (" + std::to_string(r.x()) + ", " +
           std::to_string(r.y()) + ")";
  };
  // Inside once the window manager has framed it, and it stays there.
  const auto expectInside = [&](const QWidget& w, const std::string& what) {
    const auto inside = [&] { return w.isVisible() && area.contains(w.frameGeometry()); };
    app.PumpUntil(inside, 3000);
    app.Pump(60);
    EXPECT_TRUE(inside()) << what << ": " << where(w);
  };

  Printer()->SetOrientation(poPortrait);
  Form1->SetBounds(area.x(), area.y(), Form1->Width(), Form1->Height());
  Form1->Show();
  ASSERT_TRUE(MakeActive(app, *Form1->Widget()));
  bool previewShown = false;
  app.Dialogs().AnswerModal([&](TForm& f) {
    previewShown = true;
    expectInside(*f.Widget(), "the print preview");
    return mrCancel;
  });
  Form1->Files().Print1Click(nullptr);
  EXPECT_TRUE(previewShown);

  DialogAnswerer* scripted = SetDialogAnswerer(nullptr);
  struct SystemCase {
    const char* window;
    TForm* from;
    int fromTop;  // where the window it is opened from stands
    std::function<void()> open;
  };
  const SystemCase system[] = {
      {"the generator's library Open dialog", Form1, area.bottom() - Form1->Height() - 40,
       [] { Form1_fgen->file1_count(); }},
      {"the wave editor's Save As dialog", Wave_editor1, area.bottom() - Wave_editor1->Height() - 40,
       [] { Wave_editor1->SaveAs1Click(nullptr); }},
      // Placed as the program places its demo-mode notice, under a main
      // window's top that stands low on the screen.
      {"a notice placed on the main window", Form1, area.bottom() - 260,
       [] {
         MessageDlgPos("Software runs now in Demo mode.", mtInformation, mbOK, 0, Form1->Left() + 163,
                       Form1->Top() + 200);
       }},
  };
  for (const SystemCase& c : system) {
    SCOPED_TRACE(c.window);
    c.from->SetBounds(c.from->Left(), c.fromTop, c.from->Width(), c.from->Height());
    c.from->Show();
    EXPECT_TRUE(MakeActive(app, *c.from->Widget()));
    bool shown = false;
    QTimer::singleShot(100, [&] {
      QWidget* dialog = QApplication::activeModalWidget();
      ASSERT_NE(dialog, nullptr);
      shown = true;
      expectInside(*dialog, c.window);
      if (auto* box = qobject_cast<QDialog*>(dialog)) box->done(QDialog::Rejected);
    });
    c.open();
    EXPECT_TRUE(shown);
  }
  SetDialogAnswerer(scripted);

  for (int i = 0; i < Application->ComponentCount(); ++i) {
    TForm* f = dynamic_cast<TForm*>(Application->Components(i));
    // The twin panel is never shown; shown windows are not opening.
    if (!f || f == Form11 || f->Visible()) continue;
    SCOPED_TRACE(f->Name);
    f->Show();
    expectInside(*f->Widget(), f->Name);
    f->Hide();
  }
}

// The X client libraries keep some of their allocations until the process ends.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libxcb\nleak:libX11\nleak:libxkbcommon\nleak:libfontconfig\nleak:libdbus\nleak:libglib\nleak:libQt6XcbQpa\n";
}
