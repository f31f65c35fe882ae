#include "platform/ui/application.h"

#include <chrono>
#include <map>

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QKeySequence>

#include "platform/ui/clock.h"

namespace {
TApplication& TheApplication() {
  static TApplication app;
  return app;
}
}  // namespace

TApplication* Application = &TheApplication();

TApplication::TApplication() : TComponent(nullptr) {}

TApplication::~TApplication() {
  // This runs among the static destructors at process exit, when Qt's own
  // state may be gone: forms still owned then are left to the system (the
  // program frees its windows before leaving main).
  OrphanComponents();
  if (Application == this) Application = nullptr;
}

std::string TApplication::ExeName() const {
  if (!QCoreApplication::instance()) return {};
  return QCoreApplication::applicationFilePath().toStdString();
}

void TApplication::ProcessMessages() {
  if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents);
  // The timers of a driven clock run here, as Qt's own run inside processEvents.
  program_clock::RunDueAlarms();
}

void TApplication::ProcessMessagesUntil(const std::function<bool()>& done) {
  while (!done() && !terminated_) {
    ProcessMessages();
    if (!done()) program_clock::Sleep(std::chrono::milliseconds(2));
  }
}

void TApplication::Terminate() {
  terminated_ = true;
  if (QCoreApplication::instance()) QCoreApplication::exit(0);
}

void TApplication::ClearTerminated() {
  if (!terminated_) return;
  terminated_ = false;
  // Terminate's exit also makes every later event loop return at once; only
  // a pass of the application's own loop takes that back. This one ends as
  // soon as it has handled what is pending.
  if (!QCoreApplication::instance()) return;
  QMetaObject::invokeMethod(
      QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
  QCoreApplication::exec();
}

void TApplication::Run() {
  if (!QCoreApplication::instance()) return;
  // Hidden windows are not the end of the program: only Terminate is.
  QGuiApplication::setQuitOnLastWindowClosed(false);
  if (main_form_ && !terminated_) main_form_->Show();
  while (!terminated_) QCoreApplication::exec();
}

void TApplication::FormDestroyed(TForm* f) {
  if (main_form_ == f) main_form_ = nullptr;
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, unsigned flags) {
  MessageRequest r;
  r.Text = text;
  r.Caption = caption;
  r.Source = MessageSource::MessageBox;
  std::vector<int> order;
  switch (flags & 0xF) {
    case MB_OKCANCEL: r.Buttons = mbOK | mbCancel; order = {mrOk, mrCancel}; break;
    case MB_ABORTRETRYIGNORE: r.Buttons = mbAbortRetryIgnore; order = {mrAbort, mrRetry, mrIgnore}; break;
    case MB_YESNOCANCEL: r.Buttons = mbYesNoCancel; order = {mrYes, mrNo, mrCancel}; break;
    case MB_YESNO: r.Buttons = mbYes | mbNo; order = {mrYes, mrNo}; break;
    case MB_RETRYCANCEL: r.Buttons = mbRetry | mbCancel; order = {mrRetry, mrCancel}; break;
    default: r.Buttons = mbOK; order = {mrOk}; break;
  }
  const size_t def = (flags >> 8) & 0xF;
  r.DefaultResult = order[def < order.size() ? def : 0];
  switch (flags & 0xF0) {
    case MB_ICONERROR: r.Kind = mtError; break;
    case MB_ICONQUESTION: r.Kind = mtConfirmation; break;
    case MB_ICONWARNING: r.Kind = mtWarning; break;
    case MB_ICONINFORMATION: r.Kind = mtInformation; break;
    default: r.Kind = mtCustom; break;
  }
  return CurrentDialogAnswerer().Message(r);
}

// ---------------------------------------------------------------- message dialogs

namespace {
std::string TitleOrProgramName() {
  if (Application && !Application->Title().empty()) return Application->Title();
  if (!QCoreApplication::instance()) return {};
  return QFileInfo(QCoreApplication::applicationFilePath()).baseName().toStdString();
}

MessageRequest DialogRequest(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons) {
  MessageRequest r;
  r.Text = text;
  r.Kind = type;
  r.Buttons = buttons ? buttons : static_cast<TMsgDlgButtons>(mbOK);
  switch (type) {
    case mtWarning: r.Caption = "Warning"; break;
    case mtError: r.Caption = "Error"; break;
    case mtInformation: r.Caption = "Information"; break;
    case mtConfirmation: r.Caption = "Confirm"; break;
    default: r.Caption = TitleOrProgramName(); break;
  }
  if (r.Buttons & mbOK) r.DefaultResult = mrOk;
  else if (r.Buttons & mbYes) r.DefaultResult = mrYes;
  else if (r.Buttons & mbRetry) r.DefaultResult = mrRetry;
  else r.DefaultResult = ResultOfButton(ButtonsInOrder(r.Buttons).front());
  return r;
}
}  // namespace

void ShowMessage(const std::string& text) {
  MessageRequest r = DialogRequest(text, mtCustom, mbOK);
  r.Source = MessageSource::ShowMessage;
  CurrentDialogAnswerer().Message(r);
}

int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, int /*helpContext*/) {
  MessageRequest r = DialogRequest(text, type, buttons);
  r.Source = MessageSource::MessageDlg;
  return CurrentDialogAnswerer().Message(r);
}

int MessageDlgPos(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, int /*helpContext*/, int x,
                  int y) {
  MessageRequest r = DialogRequest(text, type, buttons);
  r.Source = MessageSource::MessageDlg;
  r.X = x;
  r.Y = y;
  return CurrentDialogAnswerer().Message(r);
}

// ---------------------------------------------------------------- shortcuts

namespace {

struct AppShortcut {
  QKeyCombination keys;
  std::function<void()> action;
};

// Sees every key event of the application before any widget does.
class ShortcutFilter : public QObject {
 public:
  std::map<int, AppShortcut> shortcuts;

  bool eventFilter(QObject* obj, QEvent* e) override {
    if (e->type() != QEvent::KeyPress && e->type() != QEvent::ShortcutOverride) return QObject::eventFilter(obj, e);
    auto* ke = static_cast<QKeyEvent*>(e);
    const QKeyCombination pressed(ke->modifiers() & ~Qt::KeypadModifier, static_cast<Qt::Key>(ke->key()));
    for (auto& [id, s] : shortcuts) {
      if (s.keys != pressed) continue;
      e->accept();
      // Claiming the override makes the key arrive as a key press, handled here.
      if (e->type() == QEvent::KeyPress && !ke->isAutoRepeat()) {
        auto action = s.action;  // the action may unregister itself
        if (action) action();
      }
      return true;
    }
    return false;
  }
};

ShortcutFilter* Shortcuts() {
  static ShortcutFilter* filter = nullptr;
  if (!filter && QCoreApplication::instance()) {
    filter = new ShortcutFilter();
    filter->setParent(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(filter);
  }
  return filter;
}

}  // namespace

bool RegisterAppShortcut(int id, const std::string& keys, std::function<void()> action) {
  ShortcutFilter* f = Shortcuts();
  if (!f) return false;
  const QKeySequence seq = QKeySequence::fromString(QString::fromStdString(keys), QKeySequence::PortableText);
  if (seq.count() != 1 || seq[0].key() == Qt::Key_unknown) return false;
  if (f->shortcuts.count(id)) return false;
  for (auto& [other, s] : f->shortcuts)
    if (s.keys == seq[0]) return false;
  f->shortcuts[id] = AppShortcut{seq[0], std::move(action)};
  return true;
}

bool UnregisterAppShortcut(int id) {
  ShortcutFilter* f = Shortcuts();
  return f && f->shortcuts.erase(id) > 0;
}
