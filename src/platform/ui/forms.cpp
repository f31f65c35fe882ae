#include "platform/ui/forms.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>

#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/keys.h"
#include "platform/ui/menus.h"
#include "platform/ui/window_place.h"

namespace {

// The form's top-level widget. Keys that no control used travel up to it;
// the dialog keys among them go to the form's default and cancel buttons.
class FormWindow : public QWidget {
 public:
  FormWindow() : QWidget(nullptr, Qt::Window) {}
  TForm* form = nullptr;

 protected:
  void keyPressEvent(QKeyEvent* e) override {
    if (form && form->DialogKey(VirtualKeyOf(*e), ShiftStateOf(*e))) {
      e->accept();
      return;
    }
    QWidget::keyPressEvent(e);
  }
};

// The height of a menu bar in that font, with one line of items or none.
int ProbeBarHeight(const QFont& font, bool items) {
  static QPointer<QMenuBar> probe;
  static QCoreApplication* app = nullptr;
  // Widgets belong to the application of the moment (a test may make a new one).
  if (!probe || app != QCoreApplication::instance()) {
    app = QCoreApplication::instance();
    probe = new QMenuBar();
    probe->setNativeMenuBar(false);
    probe->addAction(QStringLiteral("File"));
  }
  probe->setFont(font);
  probe->actions().front()->setVisible(items);
  return probe->sizeHint().height();
}

bool PlatformIsHeadless() {
  static const bool headless = QGuiApplication::platformName() == QLatin1String("offscreen");
  return headless;
}

TForm* FormOfWidget(QWidget* w) {
  auto* window = w ? dynamic_cast<FormWindow*>(w->window()) : nullptr;
  return window ? window->form : nullptr;
}

}  // namespace

QWidget* ui::ActiveProgramWindow() {
  if (QWidget* w = QApplication::activeWindow(); w && w->isVisible()) return w;
  TForm* main = Application ? Application->MainForm() : nullptr;
  QWidget* w = main ? main->Widget() : nullptr;
  return w && w->isVisible() ? w : nullptr;
}

bool ui::StayOnTopWindowShown(const QWidget* except) {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w != except && w->isVisible() && (w->windowFlags() & Qt::WindowStaysOnTopHint)) return true;
  return false;
}

TForm::TForm(TComponent* owner) : TWinControl(owner, new FormWindow()) {
  static_cast<FormWindow*>(MadeWidget())->form = this;
  QWidget* w = MadeWidget();
  layout_ = new QVBoxLayout(w);
  layout_->setContentsMargins(0, 0, 0, 0);
  layout_->setSpacing(0);
  layout_->setSizeConstraint(QLayout::SetNoConstraint);
  client_ = new QWidget(w);
  layout_->addWidget(client_, 1);
  client_->setMouseTracking(true);
  HookWidget(client_);
  visible_ = false;
  color_ = clBtnFace;
  ApplyFlags();
  ApplyColor();
  ApplyFont();
  SetBounds(0, 0, 320, 240);
}

TForm::~TForm() {
  if (auto* w = dynamic_cast<FormWindow*>(MadeWidget())) w->form = nullptr;
  if (modal_loop_) modal_loop_->quit();
  // The menu may outlive the window: keep its bar out of the widget's deletion.
  if (menu_) {
    if (QMenuBar* bar = menu_->BarMade() ? menu_->MenuBar() : nullptr) {
      layout_->setMenuBar(nullptr);
      bar->hide();
      bar->setParent(nullptr);
    }
    menu_->form_ = nullptr;
    menu_ = nullptr;
  }
  if (Application) Application->FormDestroyed(this);
}

void TForm::BeforeDestruction() {
  if (destroy_run_) return;
  destroy_run_ = true;
  if (OnDestroy) OnDestroy(this);
}

int TForm::MenuHeight() const {
  if (!menu_) return 0;
  QMenuBar* bar = menu_->BarMade() ? menu_->MenuBar() : nullptr;
  if (bar && bar->parentWidget() == MadeWidget()) return bar->sizeHint().height();
  // Not made yet: as high as a bar in this window's font with the same
  // line of items (or none) would be.
  return ProbeBarHeight(ToQFont(font_), menu_->Items()->ShowsAnItemInABar());
}

void TForm::MakeWidgets() {
  const bool first = !ChildrenMade();
  TWinControl::MakeWidgets();
  if (first && menu_) AttachMenuBar();
}

void TForm::AttachMenuBar() {
  QMenuBar* bar = menu_->MenuBar();
  bar->setParent(MadeWidget());
  layout_->setMenuBar(bar);
  bar->show();
}

int TForm::ClientHeight() const { return std::max(0, height_ - MenuHeight()); }

void TForm::SetClientWidth(int w) { SetBounds(left_, top_, w, height_); }

void TForm::SetClientHeight(int h) { SetBounds(left_, top_, width_, h + MenuHeight()); }

void TForm::SetBounds(int left, int top, int width, int height) {
  TWinControl::SetBounds(left, top, std::max(width, min_width_), std::max(height, min_height_));
}

void TForm::SetMinimumSize(int width, int height) {
  min_width_ = std::max(0, width);
  min_height_ = std::max(0, height);
  const bool fixed = border_style_ == bsSingle || border_style_ == bsDialog || border_style_ == bsToolWindow;
  if (QWidget* w = MadeWidget(); w && !fixed) w->setMinimumSize(min_width_, min_height_);
  SetBounds(left_, top_, width_, height_);
}

int TForm::ControlsWidth() const {
  int right = 0;
  for (int i = 0; i < ControlCount(); ++i)
    if (const TControl* c = Controls(i)) right = std::max(right, c->Left() + c->Width());
  return right;
}

int TForm::ControlsHeight() const {
  int bottom = 0;
  for (int i = 0; i < ControlCount(); ++i)
    if (const TControl* c = Controls(i)) bottom = std::max(bottom, c->Top() + c->Height());
  return bottom + MenuHeight();
}

void TForm::PlaceOnScreen(int left, int top, int width, int height) {
  const ui::WindowPlace fit =
      ui::FitWindowPlace({left, top, width, height}, min_width_, min_height_, ui::WorkAreaAt(left, top));
  SetBounds(fit.Left, fit.Top, fit.Width, fit.Height);
}

void TForm::ApplyGeometry() {
  QWidget* w = MadeWidget();
  if (!w) return;
  w->move(left_, top_);
  const bool fixed = border_style_ == bsSingle || border_style_ == bsDialog || border_style_ == bsToolWindow;
  if (fixed) w->setFixedSize(width_, height_);
  else w->resize(width_, height_);
}

void TForm::ApplyCaption() {
  if (QWidget* w = MadeWidget()) w->setWindowTitle(QString::fromStdString(caption_));
}

void TForm::ApplyColor() {
  // A form always paints its colour (the button face unless set).
  QWidget* w = MadeWidget();
  if (!w) return;
  QPalette p = w->palette();
  p.setColor(QPalette::Window, ToQColor(color_));
  w->setPalette(p);
  w->setAutoFillBackground(true);
}

void TForm::ApplyFlags() {
  QWidget* w = MadeWidget();
  if (!w) return;
  Qt::WindowFlags f = Qt::Window;
  if (border_style_ == bsToolWindow || border_style_ == bsSizeToolWin) f = Qt::Tool;
  else if (border_style_ == bsDialog) f = Qt::Dialog;
  if (border_style_ == bsNone) {
    f |= Qt::FramelessWindowHint;
  } else {
    f |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (border_icons_ & biSystemMenu) f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if ((border_icons_ & biMinimize) && border_style_ != bsDialog) f |= Qt::WindowMinimizeButtonHint;
    if ((border_icons_ & biMaximize) && border_style_ == bsSizeable) f |= Qt::WindowMaximizeButtonHint;
  }
  if (form_style_ == fsStayOnTop || modal_on_top_) f |= Qt::WindowStaysOnTopHint;
  const bool shown = w->isVisible();
  w->setWindowFlags(f);
  if (border_style_ != bsSingle && border_style_ != bsDialog && border_style_ != bsToolWindow) {
    w->setMinimumSize(min_width_, min_height_);
    w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  }
  ApplyGeometry();
  if (shown) w->show();
}

void TForm::SetFormStyle(TFormStyle s) {
  if (s == form_style_) return;
  form_style_ = s;
  ApplyFlags();
}

void TForm::SetBorderStyle(TFormBorderStyle s) {
  if (s == border_style_) return;
  border_style_ = s;
  ApplyFlags();
}

void TForm::SetBorderIcons(TBorderIcons icons) {
  if (icons == border_icons_) return;
  border_icons_ = icons;
  ApplyFlags();
}

void TForm::SetWindowState(TWindowState s) {
  window_state_ = s;
  QWidget* w = MadeWidget();
  if (!w) return;
  // Setting a state makes the window system's window: a window that has
  // none yet keeps the state until it is shown.
  state_pending_ = !w->testAttribute(Qt::WA_WState_Created);
  if (!state_pending_) ApplyWindowState();
}

void TForm::ApplyWindowState() {
  QWidget* w = MadeWidget();
  const TWindowState s = window_state_;
  Qt::WindowStates q = w->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
  if (s == wsMinimized) q |= Qt::WindowMinimized;
  if (s == wsMaximized) q |= Qt::WindowMaximized;
  w->setWindowState(q);
}

bool TForm::Active() const {
  QWidget* w = MadeWidget();
  return w && w->isActiveWindow();
}

void TForm::PlaceOnFirstShow() {
  if (placed_) return;
  placed_ = true;
  if (position_ == poScreenCenter) {
    if (QScreen* s = QGuiApplication::primaryScreen()) {
      const QRect a = s->availableGeometry();
      left_ = a.x() + (a.width() - width_) / 2;
      top_ = a.y() + (a.height() - height_) / 2;
    }
  } else if (position_ == poMainFormCenter || position_ == poOwnerFormCenter) {
    TForm* ref = position_ == poOwnerFormCenter ? dynamic_cast<TForm*>(Owner()) : nullptr;
    if (!ref && Application) ref = Application->MainForm();
    if (ref && ref != this) {
      left_ = ref->Left() + (ref->Width() - width_) / 2;
      top_ = ref->Top() + (ref->Height() - height_) / 2;
    }
  }
  ApplyGeometry();
}

void TForm::CentreOn(const TForm& other) {
  const ui::WindowPlace centred{other.Left() + (other.Width() - width_) / 2,
                                other.Top() + (other.Height() - height_) / 2, width_, height_};
  const ui::WindowPlace fit = ui::FitWindowPlace(centred, min_width_, min_height_,
                                                 ui::WorkAreaAt(centred.Left + width_ / 2, centred.Top + height_ / 2));
  left_ = fit.Left;
  top_ = fit.Top;
}

void TForm::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  if (v) {
    if (OnShow) OnShow(this);
  } else {
    // Hiding a modal form ends its run.
    if (modal_ && modal_result_ == mrNone) SetModalResult(mrCancel);
    if (OnHide) OnHide(this);
  }
  ApplyVisible();
}

void TForm::ApplyVisible() {
  QWidget* w = MadeWidget();
  if (!w) return;
  if (visible_) {
    MakeWidgets();
    PlaceOnFirstShow();
    // Whatever place it was given (centred on a window near the screen's
    // edge, a design place), the window opens inside the screen's free area;
    // the headless platform has no such area.
    if (!PlatformIsHeadless() && window_state_ == wsNormal) PlaceOnScreen(left_, top_, width_, height_);
    // The window system learns the frame's size only when the window appears;
    // place it again then, so the stored place (frame included) is where it
    // shows, and no move reported on the way overwrites it.
    placing_ = true;
    if (state_pending_) {
      state_pending_ = false;
      ApplyWindowState();
    }
    w->show();
    w->move(left_, top_);
    placing_ = false;
    if (active_control_) active_control_->SetFocus();
  } else {
    w->hide();
  }
}

void TForm::Show() {
  SetVisible(true);
  // The headless platform has no stacking of windows to change.
  if (QWidget* w = MadeWidget(); w && visible_ && !PlatformIsHeadless()) {
    w->raise();
    w->activateWindow();
  }
}

void TForm::SetModalResult(int r) {
  modal_result_ = r;
  if (r != mrNone && modal_loop_) modal_loop_->quit();
}

int TForm::ShowModal() { return CurrentDialogAnswerer().ModalForm(*this); }

void TForm::BeginModal() {
  QWidget* w = MadeWidget();
  // Modality only takes effect on a hidden window.
  if (w && w->isVisible()) w->hide();
  // Opened from the window the user works in; a window manager keeps a
  // dialog above the window it belongs to, and keeps the program's
  // stay-on-top windows above every other unless the dialog stays on top too.
  TForm* from = FormOfWidget(ui::ActiveProgramWindow());
  if (from == this) from = nullptr;
  modal_owner_ = from;
  const bool onTop = ui::StayOnTopWindowShown(w);
  if (onTop != modal_on_top_) {
    modal_on_top_ = onTop;
    ApplyFlags();
  }
  if (w) {
    w->setWindowModality(Qt::ApplicationModal);
    w->winId();
    QWindow* own = w->windowHandle();
    QWindow* parent = nullptr;
    if (from && from->Widget()) {
      from->Widget()->winId();
      parent = from->Widget()->windowHandle();
    }
    if (own) own->setTransientParent(parent);
  }
  if (from && position_ != poScreenCenter) {
    CentreOn(*from);
    placed_ = true;
  }
  modal_ = true;
  modal_result_ = mrNone;
  if (visible_) ApplyVisible();
  else SetVisible(true);
  if (w && visible_ && !PlatformIsHeadless()) {
    w->raise();
    w->activateWindow();
  }
}

bool TForm::CloseModal() {
  TCloseAction action = caNone;
  if (CloseQuery()) {
    action = caHide;
    if (OnClose) OnClose(this, action);
  }
  if (action == caNone) {
    modal_result_ = mrNone;
    return false;
  }
  if (action == caFree) releasing_ = true;
  return true;
}

void TForm::EndModal() {
  modal_ = false;
  modal_owner_ = nullptr;
  SetVisible(false);
  if (QWidget* w = MadeWidget()) {
    w->setWindowModality(Qt::NonModal);
    if (QWindow* own = w->windowHandle()) own->setTransientParent(nullptr);
  }
  if (modal_on_top_) {
    modal_on_top_ = false;
    ApplyFlags();
  }
  if (releasing_) {
    releasing_ = false;
    Release();
  }
}

int TForm::RunModalLoop() {
  BeginModal();
  for (;;) {
    const bool terminated = Application && Application->Terminated();
    if (modal_result_ == mrNone && !terminated) {
      QEventLoop loop;
      modal_loop_ = &loop;
      loop.exec();
      modal_loop_ = nullptr;
    }
    if (Application && Application->Terminated()) {
      modal_result_ = mrCancel;
      break;
    }
    if (modal_result_ != mrNone && CloseModal()) break;
  }
  const int result = modal_result_;
  EndModal();
  return result;
}

bool TForm::CloseQuery() {
  bool can = true;
  if (OnCloseQuery) OnCloseQuery(this, can);
  return can;
}

void TForm::Close() {
  if (modal_) {
    SetModalResult(mrCancel);
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  if (OnClose) OnClose(this, action);
  if (action == caNone) return;
  if (Application && Application->MainForm() == this) {
    Application->Terminate();
    return;
  }
  switch (action) {
    case caHide: Hide(); break;
    case caMinimize: SetWindowState(wsMinimized); break;
    case caFree: Release(); break;
    default: break;
  }
}

void TForm::Release() {
  SetVisible(false);
  QWidget* w = MadeWidget();
  if (!w) return;
  QTimer::singleShot(0, w, [this] {
    TForm* self = this;
    FreeAndNil(self);
  });
}

void TForm::SetMenu(TMainMenu* menu) {
  if (menu == menu_) return;
  const int client = ClientHeight();
  if (menu_) {
    if (QMenuBar* old = menu_->BarMade() ? menu_->MenuBar() : nullptr; old && old->parentWidget() == MadeWidget()) {
      layout_->setMenuBar(nullptr);
      old->hide();
      old->setParent(nullptr);
    }
    menu_->form_ = nullptr;
  }
  menu_ = menu;
  if (menu_) {
    if (menu_->form_ && menu_->form_ != this) menu_->form_->SetMenu(nullptr);
    menu_->form_ = this;
    if (ChildrenMade()) AttachMenuBar();
  }
  SetBounds(left_, top_, width_, client + MenuHeight());
}

bool TForm::DialogKey(unsigned short key, TShiftState shift) {
  if (shift & (ssCtrl | ssAlt)) return false;
  TControl* button = nullptr;
  if (key == VK_RETURN || key == VK_SPACE) button = default_button_;
  else if (key == VK_ESCAPE) button = cancel_button_;
  if (!button) {
    // A modal window closes with Escape as with its close box, and with
    // Return too when it has no button the keys could stand for.
    const bool closes = key == VK_ESCAPE || (key == VK_RETURN && !default_button_ && !cancel_button_);
    if (!modal_ || !closes) return false;
    Close();
    return true;
  }
  if (!button->CanUserInteract()) return false;
  button->Click();
  return true;
}

void TForm::SetActiveControl(TWinControl* c) {
  active_control_ = c;
  if (c && visible_) c->SetFocus();
}

bool TForm::WindowEvent(QObject* obj, QEvent* e) {
  QWidget* w = MadeWidget();
  if (!w || obj != w) return false;
  switch (e->type()) {
    case QEvent::Close:
      // The window's close button: the same path as Close(); the form hides
      // itself (or not) as its handlers decide.
      e->ignore();
      Close();
      return true;
    case QEvent::Move:
      // Only moves of the shown window by the user or the window system count.
      if (!placing_ && w->isVisible()) {
        left_ = w->x();
        top_ = w->y();
      }
      return false;
    case QEvent::Resize: {
      const QSize s = w->size();
      if (s.width() != width_ || s.height() != height_) {
        width_ = s.width();
        height_ = s.height();
        if (OnResize) OnResize(this);
      }
      return false;
    }
    case QEvent::WindowStateChange: {
      const Qt::WindowStates s = w->windowState();
      window_state_ = (s & Qt::WindowMinimized)   ? wsMinimized
                      : (s & Qt::WindowMaximized) ? wsMaximized
                                                  : wsNormal;
      return false;
    }
    case QEvent::ActivationChange:
      if (w->isActiveWindow()) {
        if (OnActivate) OnActivate(this);
      } else if (OnDeactivate) {
        OnDeactivate(this);
      }
      return false;
    default:
      return false;
  }
}
