// Forms: closing (with the handlers' say), modal runs through the answering
// point and on a real event loop, key preview, ownership.
#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

#include <gtest/gtest.h>

#include "platform/ui/vcl.h"
#include "support/scripted_dialogs.h"

namespace {

// A small dialog as the window code builds one.
class TPickDlg : public TForm {
 public:
  explicit TPickDlg(TComponent* owner) : TForm(owner) {
    SetCaption("Oscilloscope");
    RadioButton1 = new TRadioButton(this);
    RadioButton1->Name = "RadioButton1";
    RadioButton1->SetParent(this);
    RadioButton1->SetChecked(true);
    RadioButton2 = new TRadioButton(this);
    RadioButton2->Name = "RadioButton2";
    RadioButton2->SetParent(this);
    RadioButton2->OnClick = [this](TObject*) { ++demo_clicks; };
    OK = new TSpeedButton(this);
    OK->SetParent(this);
    OK->OnClick = [this](TObject*) { Close(); };
    OnShow = [this](TObject*) { events += "show "; };
    OnHide = [this](TObject*) { events += "hide "; };
    OnClose = [this](TObject*, TCloseAction&) { events += "close "; };
  }
  TRadioButton* RadioButton1;
  TRadioButton* RadioButton2;
  TSpeedButton* OK;
  int demo_clicks = 0;
  std::string events;
};

void SendKey(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {}) {
  QKeyEvent press(QEvent::KeyPress, key, mods, text);
  QApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, key, mods, text);
  QApplication::sendEvent(w, &release);
}

}  // namespace

TEST(Form, CloseAsksOnCloseQueryThenOnClose) {
  TForm form(nullptr);
  form.Show();
  bool allow = false;
  TCloseAction action = caHide;
  std::string order;
  form.OnCloseQuery = [&](TObject*, bool& can) {
    order += "query ";
    can = allow;
  };
  form.OnClose = [&](TObject*, TCloseAction& a) {
    order += "close ";
    EXPECT_EQ(a, caHide);  // the default a handler sees
    a = action;
  };
  form.Close();
  EXPECT_TRUE(form.Visible());
  EXPECT_EQ(order, "query ");
  allow = true;
  action = caNone;
  form.Close();
  EXPECT_TRUE(form.Visible());
  action = caHide;
  form.Close();
  EXPECT_FALSE(form.Visible());
  EXPECT_EQ(order, "query query close query close ");
}

TEST(Form, WindowCloseButtonTakesTheSamePath) {
  TForm form(nullptr);
  form.Show();
  int queries = 0;
  form.OnCloseQuery = [&](TObject*, bool& can) {
    ++queries;
    can = false;
  };
  form.Widget()->close();
  EXPECT_EQ(queries, 1);
  EXPECT_TRUE(form.Visible());
  EXPECT_TRUE(form.Widget()->isVisible());
}

TEST(Form, ClosingTheMainFormTerminatesTheApplication) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        TForm* main = new TForm(Application);
        Application->SetMainForm(main);
        main->Show();
        main->Close();
        std::exit(Application->Terminated() ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(Form, ShowModalAnsweredByAScriptActingOnTheControls) {
  ScriptedDialogs dialogs;
  TPickDlg dlg(nullptr);
  dlg.Name = "BtnBottomDlg";
  dialogs.AnswerModal([](TForm& f) {
    EXPECT_TRUE(f.Visible());
    EXPECT_TRUE(f.Modal());
    f.FindComponentAs<TRadioButton>("RadioButton2")->Click();
    static_cast<TPickDlg&>(f).OK->Click();  // its handler calls Close()
    return mrNone;
  });
  const int result = dlg.ShowModal();
  // Close() during a modal run ends it with mrCancel.
  EXPECT_EQ(result, mrCancel);
  EXPECT_EQ(dlg.demo_clicks, 1);
  EXPECT_TRUE(dlg.RadioButton2->Checked());
  EXPECT_FALSE(dlg.RadioButton1->Checked());
  EXPECT_FALSE(dlg.Visible());
  EXPECT_FALSE(dlg.Modal());
  EXPECT_EQ(dlg.events, "show close hide ");
  ASSERT_EQ(dialogs.Forms().size(), 1u);
  EXPECT_EQ(dialogs.Forms()[0].ClassName, "(anonymous namespace)::TPickDlg");
  EXPECT_EQ(dialogs.Forms()[0].Name, "BtnBottomDlg");
  EXPECT_EQ(dialogs.Forms()[0].Caption, "Oscilloscope");
  EXPECT_EQ(dialogs.Forms()[0].Result, mrCancel);
}

TEST(Form, ShowModalUnscriptedIsCancelledAndScriptedResultWins) {
  ScriptedDialogs dialogs;
  TPickDlg dlg(nullptr);
  EXPECT_EQ(dlg.ShowModal(), mrCancel);
  dialogs.AnswerModal(mrOk);
  EXPECT_EQ(dlg.ShowModal(), mrOk);
  EXPECT_EQ(dlg.ModalResult(), mrOk);
  EXPECT_EQ(dialogs.Forms().size(), 2u);
  EXPECT_EQ(dialogs.PendingAnswers(), 0);
}

TEST(Form, ModalFormThatRefusesToCloseIsRecorded) {
  ScriptedDialogs dialogs;
  TPickDlg dlg(nullptr);
  dlg.OnCloseQuery = [](TObject*, bool& can) { can = false; };
  dialogs.AnswerModal(mrOk);
  dlg.ShowModal();
  ASSERT_EQ(dialogs.Forms().size(), 1u);
  EXPECT_TRUE(dialogs.Forms()[0].CloseRefused);
  EXPECT_EQ(dlg.events, "show hide ");
}

TEST(Form, RunModalLoopOnTheRealEventLoop) {
  TPickDlg dlg(nullptr);
  auto* ok = new TButton(&dlg);
  ok->SetParent(&dlg);
  ok->SetModalResult(mrOk);
  int refusals = 1;
  // The user presses OK twice: the first close is refused and the run goes
  // on; the second press comes only after that refusal, however late the
  // first one was.
  dlg.OnCloseQuery = [&](TObject*, bool& can) {
    can = refusals-- <= 0;
    if (!can) QTimer::singleShot(0, ok->Widget(), [ok] { ok->Click(); });
  };
  QTimer::singleShot(0, ok->Widget(), [ok] { ok->Click(); });
  EXPECT_EQ(dlg.RunModalLoop(), mrOk);
  EXPECT_FALSE(dlg.Visible());
  EXPECT_EQ(refusals, -1);

  // The window's close button ends a modal run with mrCancel.
  dlg.OnCloseQuery = nullptr;
  QTimer::singleShot(0, dlg.Widget(), [&dlg] { dlg.Widget()->close(); });
  EXPECT_EQ(dlg.RunModalLoop(), mrCancel);
}

TEST(Form, KeyPreviewSeesKeysFirstAndMaySwallowThem) {
  TForm form(nullptr);
  form.SetKeyPreview(true);
  auto* edit = new TEdit(&form);
  edit->SetParent(&form);
  std::vector<std::string> seen;
  form.OnKeyDown = [&](TObject*, unsigned short& key, TShiftState shift) {
    seen.push_back("form " + std::to_string(key) + (shift & ssShift ? " shift" : ""));
    if (key == VK_F1) key = 0;
  };
  edit->OnKeyDown = [&](TObject*, unsigned short& key, TShiftState) {
    seen.push_back("edit " + std::to_string(key));
  };
  SendKey(edit->Widget(), Qt::Key_Down, Qt::ShiftModifier);
  SendKey(edit->Widget(), Qt::Key_F1);
  EXPECT_EQ(seen, (std::vector<std::string>{"form 40 shift", "edit 40", "form 112"}));

  // Without preview the form sees only keys sent to itself.
  form.SetKeyPreview(false);
  seen.clear();
  SendKey(edit->Widget(), Qt::Key_R, Qt::NoModifier, "r");
  SendKey(form.Widget(), Qt::Key_R, Qt::NoModifier, "r");
  EXPECT_EQ(seen, (std::vector<std::string>{"edit 82", "form 82"}));
}

TEST(Form, OwnerDeletesOwnedComponentsAndFreeRunsOnDestroy) {
  auto* form = new TForm(nullptr);
  auto* panel = new TPanel(form);
  panel->SetParent(form);
  auto* label = new TLabel(form);
  label->SetParent(panel);
  auto* timer = new TTimer(form);
  (void)timer;
  int destroyed = 0;
  form->OnDestroy = [&](TObject*) { ++destroyed; };
  EXPECT_EQ(form->ComponentCount(), 3);
  delete label;
  EXPECT_EQ(form->ComponentCount(), 2);
  EXPECT_EQ(panel->ControlCount(), 0);
  FreeAndNil(form);
  EXPECT_EQ(form, nullptr);
  EXPECT_EQ(destroyed, 1);
}

TEST(Form, GeometryAndPlacement) {
  TForm form(nullptr);
  form.SetBounds(30, 40, 400, 300);
  EXPECT_EQ(form.Widget()->size(), QSize(400, 300));
  form.SetClientHeight(250);
  EXPECT_EQ(form.Height(), 250);
  auto* label = new TLabel(&form);
  label->SetParent(&form);
  label->SetAutoSize(false);
  label->SetBounds(10, 20, 50, 15);
  EXPECT_EQ(label->Widget()->geometry(), QRect(10, 20, 50, 15));
  EXPECT_EQ(label->Widget()->parentWidget(), form.ClientWidget());
  form.SetWindowState(wsMaximized);
  EXPECT_EQ(form.WindowState(), wsMaximized);
}

TEST(Form, HiddenWindowKeepsItsStateUntilShown) {
  const struct {
    TWindowState state;
    Qt::WindowStates shown;
  } cases[] = {{wsMinimized, Qt::WindowMinimized}, {wsMaximized, Qt::WindowMaximized}, {wsNormal, Qt::WindowNoState}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.state);
    TForm form(nullptr);
    form.SetWindowState(wsMaximized);
    form.SetWindowState(c.state);
    EXPECT_EQ(form.WindowState(), c.state);
    // No window of the window system for a window nobody has seen.
    EXPECT_FALSE(form.Widget()->testAttribute(Qt::WA_WState_Created));
    form.Show();
    EXPECT_EQ(form.Widget()->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized), c.shown);
    EXPECT_EQ(form.WindowState(), c.state);
    // Shown, it is minimised and restored at once.
    form.SetWindowState(wsMinimized);
    EXPECT_TRUE(form.Widget()->windowState() & Qt::WindowMinimized);
    form.SetWindowState(wsNormal);
    EXPECT_EQ(form.Widget()->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized), Qt::WindowNoState);
    EXPECT_EQ(form.WindowState(), wsNormal);
  }
}

TEST(Form, ChildrenFollowTheFormFontUntilGivenTheirOwn) {
  TForm form(nullptr);
  auto* panel = new TPanel(&form);
  panel->SetParent(&form);
  auto* inherits = new TLabel(&form);
  inherits->SetParent(panel);
  auto* own = new TLabel(&form);
  own->SetParent(panel);
  own->Font().Size = 12;
  own->FontChanged();
  TFont bold = form.Font();
  bold.Style = fsBold;
  bold.Color = clNavy;
  form.SetFont(bold);
  EXPECT_EQ(inherits->Font().Style, static_cast<unsigned>(fsBold));
  EXPECT_EQ(inherits->Font().Color, clNavy);
  EXPECT_TRUE(inherits->Widget()->font().bold());
  EXPECT_EQ(own->Font().Style, 0u);
  EXPECT_EQ(own->Font().Size, 12);
  // A control placed later takes the parent's font too.
  auto* late = new TCheckBox(&form);
  late->SetParent(panel);
  EXPECT_EQ(late->Font().Style, static_cast<unsigned>(fsBold));
}

// A stored window place must survive showing the window (and a hide/show),
// or saved places creep by the frame's size every session.
TEST(FormGeometry, ShowingKeepsTheStoredPlace) {
  TForm f(nullptr);
  f.SetBounds(100, 33, 300, 200);
  for (int round = 0; round < 2; ++round) {
    f.Show();
    for (int i = 0; i < 20; i++) QApplication::processEvents();
    EXPECT_EQ(f.Left(), 100);
    EXPECT_EQ(f.Top(), 33);
    f.Hide();
  }
}
