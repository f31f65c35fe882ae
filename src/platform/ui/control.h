// The component and control bases of every window element.
//
// A control keeps its state (place, size, caption, enabled, visible, colour,
// font) in the object itself; its Qt widget only shows that state, so every
// handler works the same whether the window is shown, hidden or headless.
// Layout is absolute: SetParent() then SetBounds(), positions relative to the
// parent's client area.
//
// A window's controls get their widgets when the window is first shown (or
// one of their widgets is asked for): most of the program's windows are never
// opened in a session, and their widgets would cost start-up time and memory.
// Until then every setter only keeps its state, which the new widget shows.
//
// Methods that act as the user would (and so are what a test calls to
// simulate the user) are named and documented as such: Click() on every
// control, plus the Qt widget itself for drags and typing.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <QFont>
#include <QPointer>
#include <QWidget>

#include "platform/ui/keys.h"
#include "platform/ui/types.h"

constexpr TColor clWindow = 0xFFFFFF;
constexpr TColor clWindowText = 0x000000;
constexpr TColor clGrayText = 0x808080;

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// The font a widget shows for a TFont: always the one sans face (DejaVu Sans),
// sized in pixels at 96 dpi like the canvas, so texts measure the same everywhere.
QFont ToQFont(const TFont& font);

class TWinControl;
class TForm;
class TPopupMenu;
class ControlEventHook;

// Owner of other components: deleting a component deletes what it owns.
class TComponent : public TObject {
 public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int i) const;
  // An owned component by its Name (letter case ignored), or nullptr.
  TComponent* FindComponent(const std::string& name) const;
  template <class T>
  T* FindComponentAs(const std::string& name) const {
    return dynamic_cast<T*>(FindComponent(name));
  }

  // Runs once before the object is deleted by its owner or by FreeAndNil,
  // while every derived part still exists (a form runs OnDestroy here).
  virtual void BeforeDestruction() {}

  std::string Name;
  int Tag = 0;

 protected:
  // Forgets the owned components without deleting them (used when nothing
  // may be deleted any more, at process exit).
  void OrphanComponents();

 private:
  void Remove(TComponent* c);

  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;
};

// The component of that name owned by `owner`, as T; nullptr when there is no
// owner (a window not created yet), no name, or no such component.
template <class T>
T* FindOwned(const TComponent* owner, const char* name) {
  return owner && name ? owner->FindComponentAs<T>(name) : nullptr;
}
template <class T>
T* FindOwned(const TComponent* owner, const std::string& name) {
  return owner ? owner->FindComponentAs<T>(name) : nullptr;
}

// Deletes a component the way its owner would (BeforeDestruction first) and
// clears the pointer.
template <class T>
void FreeAndNil(T*& p) {
  if (!p) return;
  T* q = p;
  p = nullptr;
  q->BeforeDestruction();
  delete q;
}

class TControl : public TComponent {
 public:
  ~TControl() override;

  // The control's widget, made for its whole window if it was not yet.
  QWidget* Widget() const;
  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);
  // The form this control sits on (the control itself for a form), or nullptr.
  TForm* ParentForm() const;

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  virtual void SetBounds(int left, int top, int width, int height);
  virtual int ClientWidth() const { return width_; }
  virtual int ClientHeight() const { return height_; }

  bool Visible() const { return visible_; }
  virtual void SetVisible(bool v);
  virtual void Show() { SetVisible(true); }
  virtual void Hide() { SetVisible(false); }
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool v);

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& s);
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& s);
  bool ShowHint() const { return show_hint_; }
  void SetShowHint(bool v);

  TColor Color() const { return color_; }
  void SetColor(TColor c);
  // Change the font in place and call FontChanged(), or use SetFont.
  TFont& Font() { return font_; }
  const TFont& Font() const { return font_; }
  void SetFont(const TFont& f);
  void FontChanged();
  // The font colour alone; a colour equal to the current one changes nothing.
  void SetFontColor(TColor c);
  // True while the control follows its parent's font (until its own is set).
  bool ParentFont() const { return parent_font_; }
  void SetParentFont(bool v);

  TPopupMenu* PopupMenu() const { return popup_menu_; }
  void SetPopupMenu(TPopupMenu* m) { popup_menu_ = m; }

  // Show changes: all three schedule a repaint of the widget.
  void Repaint();
  virtual void Invalidate();
  void Refresh();
  void BringToFront();
  void SendToBack();

  // The user's click (simulates the user): nothing happens on a control the
  // user could not click (disabled, or hidden itself or under a hidden or
  // disabled parent); otherwise the control's own click behaviour, then OnClick.
  virtual void Click();
  // Enabled and visible along the parent chain (the form's own visibility
  // excluded, so headless windows can be used).
  bool CanUserInteract() const;
  // The mouse is over the control.
  bool MouseInControl() const { return mouse_in_; }

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TNotifyEvent OnResize;

 protected:
  // A control whose widget is made at once (a window); it takes ownership.
  TControl(TComponent* owner, QWidget* widget);
  // A control whose widget MakeWidget() makes when its window needs it.
  explicit TControl(TComponent* owner);

  // Makes the kind's widget, wired to the control (signals, inner widgets).
  virtual QWidget* MakeWidget();
  // Shows the kind's own state (text, items, position, ...) on a new widget.
  virtual void ShowOwnState() {}
  // Makes the widget if it is not made yet, in its parent's widget when that
  // is made, and shows the control's state on it.
  virtual void MakeWidgets();
  // The widget if it is made (nullptr before): what showing state goes to.
  QWidget* MadeWidget() const { return widget_.data(); }

  // Runs OnClick; the behaviour part of a click lives in Click().
  void DoClick();
  // Dispatchers of the mouse events (override and call the base to add
  // behaviour). Coordinates are the control's client coordinates.
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseEnter();
  virtual void MouseLeave();
  virtual void DblClick();
  // Maps a widget position to client coordinates (a stretched picture maps
  // to its own pixels).
  virtual QPoint ToClient(QPoint widgetPos) const { return widgetPos; }

  // Pushing state to the widget.
  virtual void ApplyGeometry();
  virtual void ApplyVisible();
  virtual void ApplyCaption() {}
  virtual void ApplyFont();
  virtual void ApplyColor();
  // Size changed by SetBounds (before OnResize).
  virtual void Resized() {}

  // Clicks arrive as left-button releases inside the control (labels,
  // pictures, panels); controls with a native click signal leave this off.
  void SetClickOnMouseUp(bool v) { click_on_mouse_up_ = v; }
  // Routes the events of an inner widget (a viewport, an inner line edit) to this control.
  void HookWidget(QWidget* w);
  bool ColorSet() const { return color_set_; }
  void SetMouseInControl(bool v) { mouse_in_ = v; }

  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  bool visible_ = true;
  bool enabled_ = true;
  std::string caption_;
  TColor color_ = clBtnFace;
  TFont font_;

 private:
  friend class ControlEventHook;
  friend class TWinControl;
  void InheritFont(const TFont& f);
  void AttachWidget(QWidget* widget);
  // Makes the widgets of the window this control sits in.
  void MakeWindowWidgets();

  QPointer<QWidget> widget_;
  bool made_ = false;
  std::unique_ptr<ControlEventHook> hook_;
  TWinControl* parent_ = nullptr;
  std::string hint_;
  bool show_hint_ = false;
  bool color_set_ = false;
  bool parent_font_ = true;
  TPopupMenu* popup_menu_ = nullptr;
  bool click_on_mouse_up_ = false;
  bool left_pressed_ = false;
  bool mouse_in_ = false;
};

// SetFontColor on a control that may not exist.
inline void SetFontColorOf(TControl* c, TColor color) {
  if (c) c->SetFontColor(color);
}

// A control that can hold other controls and take the keyboard focus.
class TWinControl : public TControl {
 public:
  ~TWinControl() override;

  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int i) const;
  // The widget the children's widgets sit in (nullptr while not made).
  virtual QWidget* ClientWidget() const { return MadeWidget(); }
  // The children's widgets are made (they are made with their parent's).
  bool ChildrenMade() const { return children_made_; }

  void SetFocus();
  bool Focused() const;
  bool CanFocus() const { return CanUserInteract(); }

  // Keyboard events; Key or the character may be changed or set to 0 to
  // swallow the key. A form with KeyPreview sees them first.
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

 protected:
  TWinControl(TComponent* owner, QWidget* widget);
  explicit TWinControl(TComponent* owner);
  void ApplyFont() override;
  void MakeWidgets() override;

 private:
  friend class TControl;
  void ForgetStackMoves(const TControl* c);

  std::vector<TControl*> controls_;
  bool children_made_ = false;
  // BringToFront (true) and SendToBack (false) asked of children before
  // their widgets were made, replayed in order once they are.
  std::vector<std::pair<TControl*, bool>> stack_moves_;
  // The child asked for the focus before the widgets were made.
  TWinControl* focus_when_made_ = nullptr;
};
