#include "platform/ui/control.h"

#include <algorithm>
#include <cmath>
#include <strings.h>

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>

#include "platform/ui/forms.h"
#include "platform/ui/menus.h"

QFont ToQFont(const TFont& font) {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(std::max(1, static_cast<int>(std::lround(font.Size * 96.0 / 72.0))));
  f.setBold((font.Style & fsBold) != 0);
  f.setItalic((font.Style & fsItalic) != 0);
  f.setUnderline((font.Style & fsUnderline) != 0);
  f.setStrikeOut((font.Style & fsStrikeOut) != 0);
  return f;
}

// ---------------------------------------------------------------- TComponent

TComponent::TComponent(TComponent* owner) : owner_(owner) {
  if (owner_) owner_->components_.push_back(this);
}

TComponent::~TComponent() {
  // Owned components remove themselves from the list as they go.
  while (!components_.empty()) {
    TComponent* c = components_.back();
    components_.pop_back();
    c->owner_ = nullptr;
    c->BeforeDestruction();
    delete c;
  }
  if (owner_) owner_->Remove(this);
}

TComponent* TComponent::Components(int i) const {
  if (i < 0 || i >= ComponentCount()) return nullptr;
  return components_[static_cast<size_t>(i)];
}

TComponent* TComponent::FindComponent(const std::string& name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : components_)
    if (strcasecmp(c->Name.c_str(), name.c_str()) == 0) return c;
  return nullptr;
}

void TComponent::Remove(TComponent* c) {
  auto it = std::find(components_.begin(), components_.end(), c);
  if (it != components_.end()) components_.erase(it);
}

void TComponent::OrphanComponents() {
  for (TComponent* c : components_) c->owner_ = nullptr;
  components_.clear();
}

// ---------------------------------------------------------------- event hook

namespace {

TShiftState MouseShift(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons) {
  TShiftState s = 0;
  if (mods & Qt::ShiftModifier) s |= ssShift;
  if (mods & Qt::AltModifier) s |= ssAlt;
  if (mods & Qt::ControlModifier) s |= ssCtrl;
  if (buttons & Qt::LeftButton) s |= ssLeft;
  if (buttons & Qt::RightButton) s |= ssRight;
  if (buttons & Qt::MiddleButton) s |= ssMiddle;
  return s;
}

bool ToButton(Qt::MouseButton b, TMouseButton& out) {
  switch (b) {
    case Qt::LeftButton: out = mbLeft; return true;
    case Qt::RightButton: out = mbRight; return true;
    case Qt::MiddleButton: out = mbMiddle; return true;
    default: return false;
  }
}

// The character a key press types, as the KeyPress event gives it (0: none).
char KeyChar(const QKeyEvent& e) {
  switch (e.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return '\r';
    case Qt::Key_Backspace: return '\b';
    case Qt::Key_Escape: return 27;
    case Qt::Key_Tab: return '\t';
    default: break;
  }
  const QString t = e.text();
  if (t.size() != 1) return 0;
  const QChar c = t.at(0);
  if (c.unicode() >= 0x80 || c.unicode() == 0) return 0;
  return static_cast<char>(c.unicode());
}

}  // namespace

// Turns the Qt events of a control's widgets into the control's events. Mouse
// and key events end at the control that received them (the widget still
// handles them itself), so a parent never sees its child's clicks or keys:
// mouse events through WA_NoMousePropagation on every hooked widget, key
// events by delivering them here and stopping them afterwards.
class ControlEventHook : public QObject {
 public:
  explicit ControlEventHook(TControl* c) : control_(c) {}

  bool eventFilter(QObject* obj, QEvent* e) override {
    // A key event this hook is handing on to its widget.
    if (e == delivering_) return false;
    switch (e->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove:
        return Mouse(obj, static_cast<QMouseEvent*>(e));
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
        return Key(obj, static_cast<QKeyEvent*>(e));
      case QEvent::Enter:
        if (obj == control_->MadeWidget()) control_->MouseEnter();
        return false;
      case QEvent::Leave:
        if (obj == control_->MadeWidget()) control_->MouseLeave();
        return false;
      case QEvent::ContextMenu:
        // The nearest pop-up menu up the parent chain, as a right click finds it.
        for (TControl* c = control_; c; c = c->Parent()) {
          if (TPopupMenu* m = c->PopupMenu()) {
            auto* ce = static_cast<QContextMenuEvent*>(e);
            m->Popup(ce->globalPos().x(), ce->globalPos().y());
            break;
          }
        }
        e->accept();
        return true;
      case QEvent::FocusIn:
        if (auto* w = dynamic_cast<TWinControl*>(control_); w && w->OnEnter) w->OnEnter(w);
        return false;
      case QEvent::FocusOut:
        if (auto* w = dynamic_cast<TWinControl*>(control_); w && w->OnExit) w->OnExit(w);
        return false;
      default:
        break;
    }
    if (auto* form = dynamic_cast<TForm*>(control_)) return form->WindowEvent(obj, e);
    return false;
  }

 private:
  // The event's position in the control's main widget.
  QPoint WidgetPos(QObject* obj, QMouseEvent* e) const {
    QPoint p = e->position().toPoint();
    QWidget* w = static_cast<QWidget*>(obj);
    QWidget* main = control_->MadeWidget();
    if (main && w != main) p = w->mapTo(main, p);
    return p;
  }

  bool Mouse(QObject* obj, QMouseEvent* e) {
    TControl* c = control_;
    // A disabled control hears no mouse.
    for (const TControl* p = c; p; p = p->Parent())
      if (!p->Enabled()) return false;
    const QPoint wp = WidgetPos(obj, e);
    const QPoint p = c->ToClient(wp);
    const TShiftState shift = MouseShift(e->modifiers(), e->buttons());
    TMouseButton b;
    QPointer<QObject> alive(obj);
    switch (e->type()) {
      case QEvent::MouseButtonPress:
        if (!ToButton(e->button(), b)) break;
        if (b == mbLeft) c->left_pressed_ = true;
        c->MouseDown(b, shift, p.x(), p.y());
        break;
      case QEvent::MouseButtonDblClick:
        if (!ToButton(e->button(), b)) break;
        if (b == mbLeft) c->DblClick();
        if (alive) c->MouseDown(b, shift | ssDouble, p.x(), p.y());
        break;
      case QEvent::MouseButtonRelease: {
        if (!ToButton(e->button(), b)) break;
        const bool wasPressed = c->left_pressed_;
        if (b == mbLeft) c->left_pressed_ = false;
        QWidget* main = c->MadeWidget();
        const bool inside = main && main->rect().contains(wp);
        if (b == mbLeft && wasPressed && c->click_on_mouse_up_ && inside) c->Click();
        if (alive) c->MouseUp(b, shift, p.x(), p.y());
        break;
      }
      case QEvent::MouseMove:
        c->MouseMove(shift, p.x(), p.y());
        break;
      default:
        break;
    }
    // A handler may have deleted the control (and its widgets): then the
    // event must go no further.
    return !alive;
  }

  // Gives the key event to the widget (and the other filters on it), then
  // ends it there.
  static bool Deliver(QObject* obj, QEvent* delivered, QEvent* original) {
    QEvent* const saved = delivering_;
    delivering_ = delivered;
    QCoreApplication::sendEvent(obj, delivered);
    delivering_ = saved;
    original->accept();
    return true;
  }

  bool Key(QObject* obj, QKeyEvent* e) {
    auto* self = dynamic_cast<TWinControl*>(control_);
    if (!self) return false;
    TForm* form = self->ParentForm();
    const bool preview = form && form != self && form->KeyPreview();
    const bool down = e->type() == QEvent::KeyPress;
    const TShiftState shift = ShiftStateOf(*e);
    QPointer<QObject> alive(obj);

    unsigned short key = VirtualKeyOf(*e);
    if (key != 0) {
      TKeyEvent TWinControl::*handler = down ? &TWinControl::OnKeyDown : &TWinControl::OnKeyUp;
      if (preview && form->*handler) (form->*handler)(form, key, shift);
      if (key != 0 && alive && self->*handler) (self->*handler)(self, key, shift);
      if (key == 0 || !alive) {
        e->accept();
        return true;
      }
    }
    if (down) {
      char ch = KeyChar(*e);
      const char typed = ch;
      if (ch != 0) {
        if (preview && form->OnKeyPress) form->OnKeyPress(form, ch);
        if (ch != 0 && alive && self->OnKeyPress) self->OnKeyPress(self, ch);
        if (ch == 0 || !alive) {
          e->accept();
          return true;
        }
        if (ch != typed) {
          QKeyEvent changed(QEvent::KeyPress, 0, e->modifiers(), QString(QChar(ch)));
          return Deliver(obj, &changed, e);
        }
      }
    }
    return Deliver(obj, e, e);
  }

  TControl* control_;
  static inline QEvent* delivering_ = nullptr;
};

// ---------------------------------------------------------------- TControl

TControl::TControl(TComponent* owner, QWidget* widget)
    : TComponent(owner), hook_(std::make_unique<ControlEventHook>(this)) {
  AttachWidget(widget);
  const QSize s = widget->size();
  width_ = s.width();
  height_ = s.height();
}

// The size a widget made without a parent starts with, so a control keeps
// the same size whenever its widget is made.
TControl::TControl(TComponent* owner)
    : TComponent(owner), width_(640), height_(480), hook_(std::make_unique<ControlEventHook>(this)) {}

TControl::~TControl() {
  if (TForm* f = ParentForm()) {
    if (f->ActiveControl() == this) f->SetActiveControl(nullptr);
    if (f->DefaultButton() == this) f->SetDefaultButton(nullptr);
    if (f->CancelButton() == this) f->SetCancelButton(nullptr);
  }
  for (TWinControl* p = parent_; p; p = p->parent_)
    if (p->focus_when_made_ == this) p->focus_when_made_ = nullptr;
  if (parent_) {
    auto& list = parent_->controls_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    parent_->ForgetStackMoves(this);
    parent_ = nullptr;
  }
  hook_.reset();
  if (QWidget* w = widget_.data()) {
    w->disconnect();
    delete w;
  }
}

void TControl::AttachWidget(QWidget* widget) {
  made_ = true;
  widget_ = widget;
  widget->setMouseTracking(true);
  widget->setAttribute(Qt::WA_NoMousePropagation);
  widget->installEventFilter(hook_.get());
  widget->hide();
}

QWidget* TControl::MakeWidget() { return new QWidget(); }

QWidget* TControl::Widget() const {
  const TControl* top = this;
  while (top->parent_) top = top->parent_;
  const auto* window = dynamic_cast<const TWinControl*>(top);
  if (!made_ || (window && !window->children_made_)) const_cast<TControl*>(this)->MakeWindowWidgets();
  return widget_.data();
}

void TControl::MakeWindowWidgets() {
  TControl* top = this;
  while (top->parent_) top = top->parent_;
  top->MakeWidgets();
}

void TControl::MakeWidgets() {
  if (made_) {
    // Made alone before its parent's widget was: it joins it now.
    QWidget* w = widget_.data();
    QWidget* client = parent_ ? parent_->ClientWidget() : nullptr;
    if (w && client && w->parentWidget() != client) {
      w->setParent(client);
      ApplyGeometry();
      ApplyVisible();
    }
    return;
  }
  AttachWidget(MakeWidget());
  QWidget* w = widget_.data();
  if (parent_)
    if (QWidget* client = parent_->ClientWidget()) w->setParent(client);
  ApplyGeometry();
  if (!enabled_) w->setEnabled(false);
  if (show_hint_ && !hint_.empty()) w->setToolTip(QString::fromStdString(hint_));
  ApplyFont();
  ApplyColor();
  ShowOwnState();
  ApplyVisible();
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_ || parent == this) return;
  if (parent_) {
    auto& list = parent_->controls_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    parent_->ForgetStackMoves(this);
  }
  parent_ = parent;
  QWidget* w = MadeWidget();
  if (parent_) {
    parent_->controls_.push_back(this);
    if (parent_font_) InheritFont(parent_->font_);
    // Among made widgets a new one is made at once; it stays made later.
    if (parent_->children_made_) {
      MakeWidgets();
      return;
    }
    if (w) w->setParent(parent_->ClientWidget());
  } else if (w) {
    w->setParent(nullptr);
  }
  ApplyGeometry();
  ApplyVisible();
}

TForm* TControl::ParentForm() const {
  const TControl* c = this;
  while (c) {
    if (auto* f = dynamic_cast<const TForm*>(c)) return const_cast<TForm*>(f);
    c = c->parent_;
  }
  return nullptr;
}

void TControl::SetBounds(int left, int top, int width, int height) {
  width = std::max(0, width);
  height = std::max(0, height);
  const bool resized = width != width_ || height != height_;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  ApplyGeometry();
  if (resized) {
    Resized();
    if (OnResize) OnResize(this);
  }
}

void TControl::ApplyGeometry() {
  if (QWidget* w = MadeWidget()) w->setGeometry(left_, top_, width_, height_);
}

void TControl::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  ApplyVisible();
}

void TControl::ApplyVisible() {
  QWidget* w = MadeWidget();
  if (!w) return;
  // A control without a parent is never shown: it would become a window.
  if (parent_ && visible_) w->show();
  else w->hide();
}

void TControl::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  if (QWidget* w = MadeWidget()) w->setEnabled(v);
  if (!v) left_pressed_ = false;
  Invalidate();
}

void TControl::SetCaption(const std::string& s) {
  if (s == caption_) return;
  caption_ = s;
  ApplyCaption();
}

void TControl::SetHint(const std::string& s) {
  hint_ = s;
  if (QWidget* w = MadeWidget()) w->setToolTip(show_hint_ ? QString::fromStdString(hint_) : QString());
}

void TControl::SetShowHint(bool v) {
  show_hint_ = v;
  SetHint(hint_);
}

void TControl::SetColor(TColor c) {
  color_ = c;
  color_set_ = true;
  ApplyColor();
}

void TControl::ApplyColor() {
  QWidget* w = MadeWidget();
  if (!w || !color_set_) return;
  QPalette p = w->palette();
  const QColor q = ToQColor(color_);
  p.setColor(QPalette::Window, q);
  p.setColor(QPalette::Base, q);
  p.setColor(QPalette::Button, q);
  w->setPalette(p);
  w->setAutoFillBackground(true);
}

void TControl::SetFont(const TFont& f) {
  font_ = f;
  FontChanged();
}

void TControl::SetFontColor(TColor c) {
  if (font_.Color == c) return;
  font_.Color = c;
  FontChanged();
}

void TControl::FontChanged() {
  parent_font_ = false;
  ApplyFont();
}

void TControl::SetParentFont(bool v) {
  parent_font_ = v;
  if (v && parent_) InheritFont(parent_->font_);
}

void TControl::InheritFont(const TFont& f) {
  font_ = f;
  ApplyFont();
}

void TControl::ApplyFont() {
  QWidget* w = MadeWidget();
  if (!w) {
    // A caption may take its size from the font.
    ApplyCaption();
    return;
  }
  w->setFont(ToQFont(font_));
  QPalette p = w->palette();
  const QColor q = ToQColor(font_.Color);
  p.setColor(QPalette::WindowText, q);
  p.setColor(QPalette::Text, q);
  p.setColor(QPalette::ButtonText, q);
  w->setPalette(p);
  ApplyCaption();
}

void TControl::Repaint() { Invalidate(); }
void TControl::Refresh() { Invalidate(); }

void TControl::Invalidate() {
  if (QWidget* w = MadeWidget()) w->update();
}

void TControl::BringToFront() {
  if (QWidget* w = MadeWidget()) w->raise();
  else if (parent_) parent_->stack_moves_.emplace_back(this, true);
}

void TControl::SendToBack() {
  if (QWidget* w = MadeWidget()) w->lower();
  else if (parent_) parent_->stack_moves_.emplace_back(this, false);
}

bool TControl::CanUserInteract() const {
  for (const TControl* c = this; c; c = c->parent_) {
    if (!c->enabled_) return false;
    if (!c->visible_ && !dynamic_cast<const TForm*>(c)) return false;
  }
  return true;
}

void TControl::Click() {
  if (!CanUserInteract()) return;
  DoClick();
}

void TControl::DoClick() {
  if (OnClick) OnClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TControl::MouseEnter() {
  mouse_in_ = true;
  if (OnMouseEnter) OnMouseEnter(this);
}

void TControl::MouseLeave() {
  mouse_in_ = false;
  if (OnMouseLeave) OnMouseLeave(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::HookWidget(QWidget* w) {
  if (!w) return;
  w->setMouseTracking(true);
  w->setAttribute(Qt::WA_NoMousePropagation);
  w->installEventFilter(hook_.get());
}

// ---------------------------------------------------------------- TWinControl

TWinControl::TWinControl(TComponent* owner, QWidget* widget) : TControl(owner, widget) {}
TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  // Child controls go with their parent, as the owner may be elsewhere.
  while (!controls_.empty()) {
    TControl* c = controls_.back();
    c->BeforeDestruction();
    delete c;  // removes itself from controls_
  }
}

TControl* TWinControl::Controls(int i) const {
  if (i < 0 || i >= ControlCount()) return nullptr;
  return controls_[static_cast<size_t>(i)];
}

void TWinControl::SetFocus() {
  if (QWidget* w = MadeWidget()) {
    w->setFocus(Qt::OtherFocusReason);
    return;
  }
  // The window remembers it for when it is shown, as it would a hidden control's.
  TWinControl* top = this;
  while (top->Parent()) top = top->Parent();
  if (top != this) top->focus_when_made_ = this;
}

bool TWinControl::Focused() const {
  QWidget* w = MadeWidget();
  return w && w->hasFocus();
}

void TWinControl::MakeWidgets() {
  TControl::MakeWidgets();
  if (children_made_) return;
  children_made_ = true;
  for (size_t i = 0; i < controls_.size(); ++i) controls_[i]->MakeWidgets();
  for (auto& [c, front] : std::exchange(stack_moves_, {})) {
    if (front) c->BringToFront();
    else c->SendToBack();
  }
  if (TWinControl* f = std::exchange(focus_when_made_, nullptr)) f->SetFocus();
}

void TWinControl::ForgetStackMoves(const TControl* c) {
  std::erase_if(stack_moves_, [c](const auto& move) { return move.first == c; });
}

void TWinControl::ApplyFont() {
  TControl::ApplyFont();
  for (TControl* c : controls_)
    if (c->parent_font_) c->InheritFont(font_);
}

// ---------------------------------------------------------------- keys

unsigned short VirtualKeyOf(const QKeyEvent& e) {
  const int k = e.key();
  if (e.modifiers() & Qt::KeypadModifier) {
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return static_cast<unsigned short>(VK_NUMPAD0 + (k - Qt::Key_0));
    switch (k) {
      case Qt::Key_Asterisk: return VK_MULTIPLY;
      case Qt::Key_Plus: return VK_ADD;
      case Qt::Key_Minus: return VK_SUBTRACT;
      case Qt::Key_Period:
      case Qt::Key_Comma: return VK_DECIMAL;
      case Qt::Key_Slash: return VK_DIVIDE;
      case Qt::Key_Enter: return VK_RETURN;
      default: break;
    }
  }
  if (k >= Qt::Key_A && k <= Qt::Key_Z) return static_cast<unsigned short>('A' + (k - Qt::Key_A));
  if (k >= Qt::Key_0 && k <= Qt::Key_9) return static_cast<unsigned short>('0' + (k - Qt::Key_0));
  if (k >= Qt::Key_F1 && k <= Qt::Key_F12) return static_cast<unsigned short>(VK_F1 + (k - Qt::Key_F1));
  switch (k) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Pause: return VK_PAUSE;
    case Qt::Key_CapsLock: return VK_CAPITAL;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Semicolon:
    case Qt::Key_Colon: return VK_OEM_1;
    case Qt::Key_Equal:
    case Qt::Key_Plus: return VK_OEM_PLUS;
    case Qt::Key_Comma:
    case Qt::Key_Less: return VK_OEM_COMMA;
    case Qt::Key_Minus:
    case Qt::Key_Underscore: return VK_OEM_MINUS;
    case Qt::Key_Period:
    case Qt::Key_Greater: return VK_OEM_PERIOD;
    case Qt::Key_Slash:
    case Qt::Key_Question: return VK_OEM_2;
    default: return 0;
  }
}

TShiftState ShiftStateOf(const QKeyEvent& e) {
  TShiftState s = 0;
  const auto m = e.modifiers();
  if (m & Qt::ShiftModifier) s |= ssShift;
  if (m & Qt::AltModifier) s |= ssAlt;
  if (m & Qt::ControlModifier) s |= ssCtrl;
  return s;
}
