// The application object (the global `Application`), message boxes,
// message pumping and application-wide keyboard shortcuts.
#pragma once

#include <functional>
#include <string>
#include <utility>

#include "platform/ui/control.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/forms.h"

class TApplication : public TComponent {
 public:
  TApplication();
  ~TApplication() override;

  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& s) { title_ = s; }
  // The program file's full path.
  std::string ExeName() const;

  // Handles every pending event (input, timers, repaints) and returns; safe
  // and cheap to call in a waiting loop, and harmless without a Qt application.
  // The alarms of a driven program clock that are due run here too.
  void ProcessMessages();
  // Waits until done() holds or the application ends: handles the pending
  // events, and sleeps a few milliseconds of the program clock between
  // rounds, so a wait for a timer or a flag costs no processor time (on a
  // driven clock, each round moves the time on by those milliseconds).
  void ProcessMessagesUntil(const std::function<bool()>& done);
  // Ends Run() (and any modal run) as soon as control returns to the event loop.
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Back to the start-up state, for a program built afresh in the same
  // process; call it outside any event loop.
  void ClearTerminated();

  // The main form: the first form made by CreateForm, or the one set here.
  // Closing it terminates the application.
  TForm* MainForm() const { return main_form_; }
  void SetMainForm(TForm* f) { main_form_ = f; }
  // Creates a form owned by the application; the first one becomes the main form.
  // Arguments after the owner go to the form's constructor.
  template <class T, class... Args>
  void CreateForm(T*& ref, Args&&... args) {
    ref = new T(this, std::forward<Args>(args)...);
    if (!main_form_) main_form_ = ref;
  }
  // Shows the main form and runs the event loop until Terminate.
  void Run();

  // A message box; flags are the MB_ values; returns IDOK .. IDNO.
  int MessageBox(const std::string& text, const std::string& caption, unsigned flags = MB_OK);

  // Called by a form as it goes.
  void FormDestroyed(TForm* f);

 private:
  std::string title_;
  bool terminated_ = false;
  TForm* main_form_ = nullptr;
};

extern TApplication* Application;

// A message with an OK button, captioned with the application title.
void ShowMessage(const std::string& text);
// A message box with a type ("Warning", "Error", "Information", "Confirmation"
// caption, or the application title for mtCustom) and buttons; returns mrXxx.
int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext = 0);
// The same at screen position (x, y).
int MessageDlgPos(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext, int x,
                  int y);

// A key combination such as "Alt+B" that runs action while any window of the
// application is active. False when the id or the combination is taken or
// the text is not a key combination.
bool RegisterAppShortcut(int id, const std::string& keys, std::function<void()> action);
bool UnregisterAppShortcut(int id);
