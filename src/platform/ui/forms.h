// TForm: a top-level window whose controls are placed in its client area
// (below the menu bar), with VCL's show, close and modal behaviour.
//
// Window classes derive from it and build themselves in their constructor:
//   class TForm1 : public TForm {
//    public:
//     explicit TForm1(TComponent* owner) : TForm(owner) { ...create controls...; FormCreate(this); }
//   };
// Delete a form with FreeAndNil (or through its owner) so that OnDestroy runs
// while the derived class still exists.
#pragma once

#include <string>

#include "platform/ui/control.h"
#include "platform/ui/types.h"

class QEventLoop;
class QVBoxLayout;
class TMainMenu;

// Modal results (equal to the IDOK.. answers of message boxes).
constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;
constexpr int mrAbort = 3;
constexpr int mrRetry = 4;
constexpr int mrIgnore = 5;
constexpr int mrYes = 6;
constexpr int mrNo = 7;
constexpr int mrAll = 8;
constexpr int mrNoToAll = 9;
constexpr int mrYesToAll = 10;

enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TFormStyle { fsNormal, fsStayOnTop };
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4 };
using TBorderIcons = unsigned;
// Where a form is placed when first shown.
enum TPosition { poDesigned, poDefault, poScreenCenter, poMainFormCenter, poOwnerFormCenter };

class TForm : public TWinControl {
 public:
  explicit TForm(TComponent* owner);
  ~TForm() override;

  void BeforeDestruction() override;

  QWidget* ClientWidget() const override { return client_; }
  // Width and Height are the window's size (client area and menu bar).
  int ClientWidth() const override { return width_; }
  int ClientHeight() const override;
  void SetClientWidth(int w);
  void SetClientHeight(int h);

  // A form's size never goes below its minimum size (0 x 0: any size); the
  // user cannot make it smaller either.
  void SetBounds(int left, int top, int width, int height) override;
  void SetMinimumSize(int width, int height);
  int MinimumWidth() const { return min_width_; }
  int MinimumHeight() const { return min_height_; }
  // The size that shows every control of the client area whole (their right
  // and bottom edges, the menu bar included).
  int ControlsWidth() const;
  int ControlsHeight() const;
  // Takes a place read from a file, fitted to the screen that holds it: the
  // window fits the free part of that screen with its title bar in reach.
  void PlaceOnScreen(int left, int top, int width, int height);

  // Visible = shown. Show() also brings the window to the front.
  void SetVisible(bool v) override;
  void Show() override;
  void Hide() override { SetVisible(false); }

  // Runs the form modally through the answering point (dialogs.h) and
  // returns its ModalResult. Close() or a non-zero ModalResult ends the run.
  int ShowModal();
  int ModalResult() const { return modal_result_; }
  void SetModalResult(int r);
  bool Modal() const { return modal_; }

  // Asks OnCloseQuery, then OnClose (Action caHide by default); caNone keeps
  // the form, caHide hides it, caMinimize minimises it, caFree releases it.
  // Closing the main form terminates the application; closing a modal form
  // ends its modal run with mrCancel.
  void Close();
  bool CloseQuery();
  // Deletes the form once control returns to the event loop.
  void Release();

  // A window not shown yet comes up in the state set meanwhile.
  TWindowState WindowState() const { return window_state_; }
  void SetWindowState(TWindowState s);
  TFormStyle FormStyle() const { return form_style_; }
  void SetFormStyle(TFormStyle s);
  TFormBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TFormBorderStyle s);
  TBorderIcons BorderIcons() const { return border_icons_; }
  void SetBorderIcons(TBorderIcons icons);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition p) { position_ = p; }
  bool KeyPreview() const { return key_preview_; }
  void SetKeyPreview(bool v) { key_preview_ = v; }
  // The window is the active one of the desktop.
  bool Active() const;

  // Dialog keys, as they reach the window unused by the focused control:
  // Return and Enter (and Space, which a focused control would otherwise
  // take) click the default button, Escape clicks the cancel button. A
  // dialog's only button is both. A modal form without a cancel button
  // closes with Escape, as with its close box; one with no button for the
  // keys at all closes with Return and Enter too.
  TControl* DefaultButton() const { return default_button_; }
  void SetDefaultButton(TControl* b) { default_button_ = b; }
  TControl* CancelButton() const { return cancel_button_; }
  void SetCancelButton(TControl* b) { cancel_button_ = b; }
  // Clicks the button the key stands for; true when one took it.
  bool DialogKey(unsigned short key, TShiftState shift);

  TMainMenu* Menu() const { return menu_; }
  void SetMenu(TMainMenu* menu);
  TWinControl* ActiveControl() const { return active_control_; }
  void SetActiveControl(TWinControl* c);

  TNotifyEvent OnCreate;  // run by the derived class at the end of its construction
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

  // For the answering point: the steps of a modal run. BeginModal shows the
  // form in the modal state with ModalResult 0, above the window it was
  // opened from (the program's active window) and above every window of the
  // program that stays on top, centred on that window unless the form asks
  // for the screen's centre; CloseModal asks the form to
  // close (OnCloseQuery, OnClose) and clears ModalResult when it refuses;
  // EndModal hides it. RunModalLoop is the whole run over a Qt event loop.
  void BeginModal();
  bool CloseModal();
  void EndModal();
  int RunModalLoop();

  // The window a modal run was opened from (nullptr outside a run).
  TForm* ModalOwner() const { return modal_owner_; }

  // Window events of the form's widget (close button, moves, resizes,
  // minimising, activation); used by the event hook.
  bool WindowEvent(QObject* obj, QEvent* e);

 protected:
  void MakeWidgets() override;
  void ApplyGeometry() override;
  void ApplyVisible() override;
  void ApplyCaption() override;
  void ApplyColor() override;

 private:
  int MenuHeight() const;
  void AttachMenuBar();
  void ApplyFlags();
  void ApplyWindowState();
  void PlaceOnFirstShow();
  void CentreOn(const TForm& other);

  QWidget* client_ = nullptr;
  QVBoxLayout* layout_ = nullptr;
  TMainMenu* menu_ = nullptr;
  TWinControl* active_control_ = nullptr;
  TControl* default_button_ = nullptr;
  TControl* cancel_button_ = nullptr;
  int modal_result_ = mrNone;
  bool modal_ = false;
  bool modal_on_top_ = false;  // kept above the program's stay-on-top windows
  TForm* modal_owner_ = nullptr;
  QEventLoop* modal_loop_ = nullptr;
  bool destroy_run_ = false;
  bool placed_ = false;
  bool releasing_ = false;
  bool placing_ = false;  // showing the window: moves reported now are our own
  TWindowState window_state_ = wsNormal;
  bool state_pending_ = false;  // window_state_ waits for the window's first show
  TFormStyle form_style_ = fsNormal;
  TFormBorderStyle border_style_ = bsSizeable;
  TBorderIcons border_icons_ = biSystemMenu | biMinimize | biMaximize;
  TPosition position_ = poDesigned;
  bool key_preview_ = false;
  int min_width_ = 0;
  int min_height_ = 0;
};

namespace ui {
// The program's window the user works in: the active one, else the main
// form's (nullptr when neither is shown).
QWidget* ActiveProgramWindow();
// A shown window of the program, other than `except`, stays on top of others.
bool StayOnTopWindowShown(const QWidget* except = nullptr);
}  // namespace ui
