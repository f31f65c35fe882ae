// The modal windows of the program as the user meets them: the keyboard in
// every one (Return presses the default button, Escape the cancel button or
// closes the window as its close box does, typed where the keys go once the
// window is the active one), and the "File Error" window's message.
#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bode/color_dialog.h"
#include "bode/frequency_step_dialog.h"
#include "bode/ok_bottom_dlg1.h"
#include "bode/trace_colors_dialog.h"
#include "bode/voltage_scale_note.h"
#include "bode/wait_time_dialog.h"
#include "display/color_dialog.h"
#include "display/persistence_options.h"
#include "engine/main_form.h"
#include "engine/notice_dialogs.h"
#include "generator/comm_settings.h"
#include "generator/hardware_dialog.h"
#include "io/about_box.h"
#include "io/about_box_fgen.h"
#include "io/about_box_rec.h"
#include "io/print_preview.h"
#include "io/print_preview_1.h"
#include "io/print_preview_rec.h"
#include "io/scope_file_error.h"
#include "recorder/recorder_file_error.h"
#include "recorder/recorder_form.h"
#include "support/app_harness.h"
#include "support/key_press.h"

namespace {

constexpr int kLeftOpen = -1;

// Runs the window modally as the program does; once it is up and active,
// types keys where the keyboard focus is (after focusing `focus`, when
// given). The modal result, or kLeftOpen when the keys did not close it.
int TypeIntoModal(AppHarness& app, TForm& form, TWinControl* focus, const std::vector<Qt::Key>& keys) {
  bool leftOpen = false;
  bool shown = false;
  app.Dialogs().AnswerModal([&](TForm& f) {
    QTimer::singleShot(0, f.Widget(), [&] {
      shown = f.Widget()->isVisible();
      f.Widget()->activateWindow();
      QApplication::processEvents();
      if (focus) focus->SetFocus();
      for (Qt::Key key : keys) {
        if (!f.Modal() || f.ModalResult() != mrNone) break;
        QWidget* target = QApplication::focusWidget();
        if (!target || target->window() != f.Widget()) target = f.Widget();
        if (key == Qt::Key_Tab) {
          QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
          QApplication::sendEvent(target, &tab);
          continue;
        }
        PressKey(target, key);
      }
    });
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, [&] {
      leftOpen = true;
      f.SetModalResult(mrAbort);
    });
    limit.start(1000);
    return f.RunModalLoop();
  });
  const int result = form.ShowModal();
  EXPECT_TRUE(shown);
  EXPECT_FALSE(form.Visible());
  return leftOpen ? kLeftOpen : result;
}

std::string Keys(const std::vector<Qt::Key>& keys) {
  std::string s;
  for (Qt::Key k : keys) s += std::string(s.empty() ? "" : "+") + (k == Qt::Key_Tab ? "Tab" : KeyName(k));
  return s;
}

}  // namespace

TEST(ModalWindows, ReturnPressesTheDefaultButtonAndEscapeCancelsOrCloses) {
  AppHarness app;
  Form1->Timer3->SetEnabled(false);  // no start-up notices in between
  using Focus = std::function<TWinControl*()>;
  const Focus none = [] { return nullptr; };
  struct Case {
    const char* window;
    std::function<TForm*()> form;
    Focus focus;
    std::vector<Qt::Key> keys;
    int result;  // the modal result the keys give, or kLeftOpen
  };
  const std::vector<Case> cases = {
      // The about boxes: their "OK", or the close of the one without a button.
      {"About Oscilloscope", [] { return AboutBox; }, none, {Qt::Key_Return}, mrOk},
      {"About Oscilloscope", [] { return AboutBox; }, none, {Qt::Key_Escape}, mrOk},
      {"About Transient Recorder", [] { return AboutBox_rec; }, none, {Qt::Key_Return}, mrOk},
      {"About Transient Recorder", [] { return AboutBox_rec; }, none, {Qt::Key_Escape}, mrOk},
      {"About Function generator", [] { return AboutBox_fgen; }, none, {Qt::Key_Return}, mrCancel},
      {"About Function generator", [] { return AboutBox_fgen; }, none, {Qt::Key_Escape}, mrCancel},
      // Notices with one "OK".
      {"Oscilloscope hardware", [] { return BtnBottomDlg; }, none, {Qt::Key_Escape}, mrNone},
      {"No hardware response", [] { return BtnBottomDlg1; }, none, {Qt::Key_Return}, mrNone},
      {"Bode Plot hint", [] { return OKBottomDlg; }, none, {Qt::Key_Escape}, mrOk},
      {"Bode Plotter voltage scale", [] { return OKBottomDlg_1; }, none, {Qt::Key_Return}, mrOk},
      {"Phase Plot hint", [] { return OKBottomDlg1; }, none, {Qt::Key_Escape}, mrOk},
      // "File Error" of both readers: "Close".
      {"File Error (scope)", [] { return Form5; }, none, {Qt::Key_Return}, mrCancel},
      {"File Error (recorder)", [] { return Form5_rec; }, none, {Qt::Key_Escape}, mrCancel},
      // Choices with OK and Cancel.
      {"Color (scope)", [] { return BtnBottomDlg2; }, none, {Qt::Key_Return}, mrOk},
      {"Color (scope)", [] { return BtnBottomDlg2; }, none, {Qt::Key_Escape}, mrCancel},
      {"Color (Bode plot)", [] { return BtnBottomDlg_2; }, none, {Qt::Key_Return}, mrOk},
      {"Color (Bode plot)", [] { return BtnBottomDlg_2; }, none, {Qt::Key_Escape}, mrCancel},
      {"Color (multiple traces)", [] { return BtnBottomDlg_21; }, none, {Qt::Key_Return}, mrOk},
      {"Color (multiple traces)", [] { return BtnBottomDlg_21; }, none, {Qt::Key_Escape}, mrCancel},
      {"Communication Settings", [] { return CommFrm; }, [] { return CommFrm->ComboBox2; }, {Qt::Key_Return}, mrOk},
      {"Communication Settings", [] { return CommFrm; }, [] { return CommFrm->ComboBox2; }, {Qt::Key_Escape},
       mrCancel},
      // Choices whose only button is "OK": Escape closes as the close box does.
      {"Persistence Options", [] { return OKRightDlg; }, none, {Qt::Key_Return}, mrOk},
      {"Persistence Options", [] { return OKRightDlg; }, none, {Qt::Key_Escape}, mrCancel},
      {"Function Generator hardware", [] { return BtnBottomDlg_fgen; }, none, {Qt::Key_Return}, mrOk},
      {"Function Generator hardware", [] { return BtnBottomDlg_fgen; }, none, {Qt::Key_Escape}, mrCancel},
      // The Bode plotter's lists, typed with the list focused.
      {"Wait Time", [] { return OKRightDlg_1; }, [] { return OKRightDlg_1->ComboBox1; }, {Qt::Key_Return}, mrOk},
      {"Wait Time", [] { return OKRightDlg_1; }, [] { return OKRightDlg_1->ComboBox1; }, {Qt::Key_Escape}, mrOk},
      {"Frequency Step", [] { return OKRightDlg_2; }, [] { return OKRightDlg_2->ComboBox1; }, {Qt::Key_Return},
       mrOk},
      {"Frequency Step", [] { return OKRightDlg_2; }, [] { return OKRightDlg_2->ComboBox1; }, {Qt::Key_Escape},
       mrOk},
      {"Frequency Step", [] { return OKRightDlg_2; }, [] { return OKRightDlg_2->ComboBox1; },
       {Qt::Key_Tab, Qt::Key_Return}, mrOk},
      {"Frequency Step", [] { return OKRightDlg_2; }, [] { return OKRightDlg_2->ComboBox1; }, {Qt::Key_Space},
       mrOk},
      // The print previews: "Close" is the cancel button; Return prints nothing.
      {"Print Preview (scope)", [] { return PreviewForm; }, none, {Qt::Key_Escape}, mrCancel},
      {"Print Preview (Bode plot)", [] { return Preview_1Form; }, none, {Qt::Key_Escape}, mrCancel},
      {"Print Preview (recorder)", [] { return PreviewForm_rec; }, none, {Qt::Key_Escape}, mrCancel},
      {"Print Preview (recorder)", [] { return PreviewForm_rec; }, none, {Qt::Key_Return}, kLeftOpen},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.window) + ", " + Keys(c.keys));
    TForm* form = c.form();
    ASSERT_NE(form, nullptr);
    const int result = TypeIntoModal(app, *form, c.focus(), c.keys);
    if (c.result == mrNone) EXPECT_NE(result, kLeftOpen);
    else EXPECT_EQ(result, c.result);
  }
  EXPECT_TRUE(app.Dialogs().Printed().empty());
}

TEST(ModalWindows, FileErrorShowsItsWholeMessageAboveItsButton) {
  AppHarness app;
  const std::string longName = "measurement_of_the_filter_board_after_the_second_repair_2024-06-01.txt";
  struct Case {
    const char* reader;
    std::string file;
    std::string message;
  };
  const Case cases[] = {
      {"scope", "notes.txt", "notes.txt  is not a valid Kavrino data file."},
      {"scope", longName, longName + "  is not a valid Kavrino data file."},
      {"recorder", "notes.txt", "notes.txt  is not a valid Tolmeda data file."},
      {"recorder", longName, longName + "  is not a valid Tolmeda data file."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.reader) + ": " + c.file);
    const std::string path = app.Home().Path() + "/" + c.file;
    std::ofstream(path) << "Shopping list\r\n2 apples\r\n";
    app.Dialogs().AnswerFile(path);
    bool shown = false;
    app.Dialogs().AnswerModal([&](TForm& f) {
      shown = true;
      auto* error = dynamic_cast<FileErrorWindow*>(&f);
      if (!error) {
        ADD_FAILURE() << "not the File Error window";
        return mrCancel;
      }
      EXPECT_EQ(f.Widget()->windowTitle().toStdString(), "File Error");
      auto* label = dynamic_cast<QLabel*>(error->Label1->Widget());
      QWidget* button = error->BitBtn1->Widget();
      EXPECT_TRUE(label->isVisible());
      EXPECT_EQ(label->text().toStdString(), c.message);
      const QRect client = f.ClientWidget()->rect();
      const QRect text = label->geometry();
      // The whole text: every word fits the width, and every line the height.
      const QFontMetrics fm(label->font());
      for (const QString& word : label->text().split(' ', Qt::SkipEmptyParts))
        EXPECT_LE(fm.horizontalAdvance(word), text.width()) << word.toStdString();
      EXPECT_GE(text.height(), label->heightForWidth(text.width()));
      EXPECT_TRUE(client.contains(text)) << "text at " << text.x() << "," << text.y() << " " << text.width() << "x"
                                         << text.height();
      EXPECT_TRUE(client.contains(button->geometry()));
      EXPECT_GE(button->geometry().top(), text.bottom());
      return mrNone;
    });
    if (std::string(c.reader) == "scope") Form1->OpenData1Click(nullptr);
    else Form1_rec->OpenData1Click(nullptr);
    EXPECT_TRUE(shown);
  }
}
