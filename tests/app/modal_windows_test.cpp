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
#include "engine/persistence_options.h"
#include "engine/main_form.h"
#include "engine/notice_dialogs.h"
#include "generator/comm_settings.h"
#include "generator/hardware_dialog.h"
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

std::string KeysText(const std::vector<Qt::Key>& keys) {
  std::string s;
  for (Qt::Key k : keys) s += std::string(s.empty() ? "" : "+") + (k == Qt::Key_Tab ? "Tab" : KeyName(k));
  return s;
}

}  // namespace

TEST(ModalWindows, ReturnPressesTheDefaultButtonAndEscapeCancelsOrCloses) {
  AppHarness app;
  Form1->Timer3->SetEnabled(false);  // no start-up notices in between
  using Keys = std::vector<Qt::Key>;
  const Keys ret{Qt::Key_Return}, esc{Qt::Key_Escape};
  struct Case {
    const char* window;
    TForm* form;
    TWinControl* focus;  // where the keys go, nullptr: where the window puts them
    std::vector<std::pair<Keys, int>> presses;  // keys and the modal result they give
  };
  const std::vector<Case> cases = {
      // The about boxes: their "OK", or the close of the one without a button.
      {"About Oscilloscope", AboutBox, nullptr, {{ret, mrOk}, {esc, mrOk}}},
      {"About Transient Recorder", AboutBox_rec, nullptr, {{ret, mrOk}, {esc, mrOk}}},
      {"About Function generator", AboutBox_fgen, nullptr, {{ret, mrCancel}, {esc, mrCancel}}},
      // Notices with one "OK".
      {"Oscilloscope hardware", BtnBottomDlg, nullptr, {{ret, mrCancel}, {esc, mrCancel}}},  // "OK" closes
      {"No hardware response", BtnBottomDlg1, nullptr, {{ret, mrCancel}, {esc, mrCancel}}},
      {"Bode Plot hint", OKBottomDlg, nullptr, {{ret, mrOk}, {esc, mrOk}}},
      {"Bode Plotter voltage scale", OKBottomDlg_1, nullptr, {{ret, mrOk}, {esc, mrOk}}},
      {"Phase Plot hint", OKBottomDlg1, nullptr, {{ret, mrOk}, {esc, mrOk}}},
      // "File Error" of both readers: "Close".
      {"File Error (scope)", Form5, nullptr, {{ret, mrCancel}, {esc, mrCancel}}},
      {"File Error (recorder)", Form5_rec, nullptr, {{ret, mrCancel}, {esc, mrCancel}}},
      // Choices with OK and Cancel.
      {"Color (scope)", BtnBottomDlg2, nullptr, {{ret, mrOk}, {esc, mrCancel}}},
      {"Color (Bode plot)", BtnBottomDlg_2, nullptr, {{ret, mrOk}, {esc, mrCancel}}},
      {"Color (multiple traces)", BtnBottomDlg_21, nullptr, {{ret, mrOk}, {esc, mrCancel}}},
      {"Communication Settings", CommFrm, CommFrm->ComboBox2, {{ret, mrOk}, {esc, mrCancel}}},
      // Choices whose only button is "OK": Escape closes as the close box does.
      {"Persistence Options", OKRightDlg, nullptr, {{ret, mrOk}, {esc, mrCancel}}},
      {"Function Generator hardware", BtnBottomDlg_fgen, nullptr, {{ret, mrOk}, {esc, mrCancel}}},
      // The Bode plotter's lists, typed with the list focused.
      {"Wait Time", OKRightDlg_1, OKRightDlg_1->ComboBox1, {{ret, mrOk}, {esc, mrOk}}},
      {"Frequency Step",
       OKRightDlg_2,
       OKRightDlg_2->ComboBox1,
       {{ret, mrOk}, {esc, mrOk}, {{Qt::Key_Tab, Qt::Key_Return}, mrOk}, {{Qt::Key_Space}, mrOk}}},
      // The print previews: "Close" is the cancel button; Return prints nothing.
      {"Print Preview (scope)", PreviewForm, nullptr, {{esc, mrCancel}}},
      {"Print Preview (Bode plot)", Preview_1Form, nullptr, {{esc, mrCancel}}},
      {"Print Preview (recorder)", PreviewForm_rec, nullptr, {{esc, mrCancel}, {ret, kLeftOpen}}},
  };
  for (const Case& c : cases) {
    for (const auto& [keys, result] : c.presses) {
      SCOPED_TRACE(std::string(c.window) + ", " + KeysText(keys));
      EXPECT_EQ(TypeIntoModal(app, *c.form, c.focus, keys), result);
    }
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
      {"scope", "notes.txt", "notes.txt  is not a valid Kavrino data file.\nLine 3: the file ends here."},
      {"scope", longName, longName + "  is not a valid Kavrino data file.\nLine 3: the file ends here."},
      {"recorder", "notes.txt", "notes.txt  is not a valid Tolmeda data file.\nLine 5: no time/div step."},
      {"recorder", longName, longName + "  is not a valid Tolmeda data file.\nLine 5: no time/div step."},
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
    if (std::string(c.reader) == "scope") Form1->Files().OpenData1Click(nullptr);
    else Form1_rec->OpenData1Click(nullptr);
    EXPECT_TRUE(shown);
  }
}
