// Window places from the settings file against the screen there is now, and
// the main window's smallest size.
#include <gtest/gtest.h>

#include <string>

#include "engine/big_screen.h"
#include "engine/measurement_window.h"
#include "engine/control_panel.h"
#include "engine/main_form.h"
#include "platform/ui/window_place.h"
#include "startup_fixture.h"

namespace {

using startup_test::StartupTest;

// The whole window, its frame included, lies on the screen's free part.
void ExpectOnScreen(const TForm* form) {
  const ui::WorkArea area = ui::WorkAreaAt(0, 0);
  EXPECT_GE(form->Left(), area.Left) << form->Name;
  EXPECT_GE(form->Top(), area.Top) << form->Name;
  EXPECT_LE(form->Left() + form->Width() + 2 * ui::kFrameBorder, area.Left + area.Width) << form->Name;
  EXPECT_LE(form->Top() + form->Height() + ui::kFrameTitleHeight + ui::kFrameBorder, area.Top + area.Height)
      << form->Name;
}

TEST_F(StartupTest, HugeAndFarAwayPlacesAreBroughtOntoTheScreen) {
  WriteIni(
      "[ScopeMainForm]\nTop=50000\nLeft=50000\nWidth=100000\nHeight=100000\n"
      "[Big_Screen]\nTop=-5000\nLeft=-5000\nWidth=100000\nHeight=100000\n"
      "[Big_Screen_ctrl]\nTop=3000\nLeft=9000\nWidth=732\nHeight=380\n"
      "[Wave_Parameters]\nTop=-40\nLeft=99999\nWidth=2000000000\nHeight=300\n");
  StartAndRun();
  for (const TForm* form : {static_cast<TForm*>(Form1), static_cast<TForm*>(Form10), static_cast<TForm*>(Form11),
                            static_cast<TForm*>(Form_99)})
    ExpectOnScreen(form);
  // The twin panel's stored size fits: only its place moved.
  EXPECT_EQ(Form11->Width(), 732);
  EXPECT_EQ(Form11->Height(), 380);

  // Shown and painted as the user would see it.
  Form1->Show();
  harness_->Pump(100);
  EXPECT_TRUE(Form1->Visible());

  ASSERT_TRUE(Close());
  EXPECT_LE(std::stoi(IniValue("ScopeMainForm", "Width")), ui::WorkAreaAt(0, 0).Width);
  EXPECT_LE(std::stoi(IniValue("Big_Screen", "Height")), ui::WorkAreaAt(0, 0).Height);
}

TEST_F(StartupTest, TheMainWindowNeverShrinksBelowItsControls) {
  WriteIni("[ScopeMainForm]\nTop=10\nLeft=10\nWidth=300\nHeight=200\n");
  Start();
  for (TForm* form : {static_cast<TForm*>(Form1), static_cast<TForm*>(Form11)}) {
    EXPECT_GE(form->Width(), form->ControlsWidth()) << form->Name;
    EXPECT_GE(form->Height(), form->ControlsHeight()) << form->Name;
    // Every control of the window shows whole.
    for (int i = 0; i < form->ControlCount(); ++i) {
      const TControl* c = form->Controls(i);
      EXPECT_LE(c->Left() + c->Width(), form->ClientWidth()) << form->Name << " " << c->Name;
      EXPECT_LE(c->Top() + c->Height(), form->ClientHeight()) << form->Name << " " << c->Name;
    }
    // Nor does a resize take it below.
    form->SetBounds(form->Left(), form->Top(), 100, 80);
    EXPECT_EQ(form->Width(), form->MinimumWidth()) << form->Name;
    EXPECT_EQ(form->Height(), form->MinimumHeight()) << form->Name;
  }
  EXPECT_EQ(Form1->Left(), 10);

  RunStartup();
  const int minWidth = Form1->MinimumWidth(), minHeight = Form1->MinimumHeight();
  ASSERT_TRUE(Close());
  EXPECT_EQ(IniValue("ScopeMainForm", "Width"), std::to_string(minWidth));
  EXPECT_EQ(IniValue("ScopeMainForm", "Height"), std::to_string(minHeight));
}

}  // namespace
