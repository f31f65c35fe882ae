#include "support/scripted_dialogs.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <typeinfo>

#include <gtest/gtest.h>

namespace {
std::string ClassNameOf(const TForm& form) {
  const char* mangled = typeid(form).name();
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
  return status == 0 && name ? std::string(name.get()) : std::string(mangled);
}

bool IsButtonOf(int result, TMsgDlgButtons buttons) {
  for (TMsgDlgBtn b : ButtonsInOrder(buttons))
    if (ResultOfButton(b) == result) return true;
  return false;
}
}  // namespace

ScriptedDialogs::ScriptedDialogs() : previous_(SetDialogAnswerer(this)) {}

ScriptedDialogs::~ScriptedDialogs() { SetDialogAnswerer(previous_); }

void ScriptedDialogs::AnswerMessage(int modalResult) { message_answers_.push_back(modalResult); }

void ScriptedDialogs::AnswerModal(FormScript script) { form_answers_.push_back(std::move(script)); }

void ScriptedDialogs::AnswerModal(int modalResult) {
  form_answers_.push_back([modalResult](TForm&) { return modalResult; });
}

void ScriptedDialogs::AnswerFile(const std::string& fileName, int filterIndex) {
  file_answers_.push_back({true, fileName, filterIndex});
}

void ScriptedDialogs::CancelFile() { file_answers_.push_back({false, {}, 0}); }

void ScriptedDialogs::AnswerColor(TColor color) { color_answers_.push_back(color); }

void ScriptedDialogs::CancelColor() { color_answers_.push_back(std::nullopt); }

void ScriptedDialogs::AnswerPrintDialog(bool confirm, std::optional<TPrinterOrientation> orientation) {
  print_answers_.push_back({confirm, orientation});
}

int ScriptedDialogs::PendingAnswers() const {
  return static_cast<int>(message_answers_.size() + form_answers_.size() + file_answers_.size() +
                          color_answers_.size() + print_answers_.size());
}

int ScriptedDialogs::CountMessages(const std::string& text) const {
  int n = 0;
  for (const ShownMessage& m : messages_)
    if (m.Text == text) ++n;
  return n;
}

const ScriptedDialogs::ShownMessage* ScriptedDialogs::FindMessage(const std::string& text) const {
  for (auto it = messages_.rbegin(); it != messages_.rend(); ++it)
    if (it->Text == text) return &*it;
  return nullptr;
}

void ScriptedDialogs::ClearRecords() {
  messages_.clear();
  forms_.clear();
  file_dialogs_.clear();
  color_dialogs_.clear();
  print_dialogs_.clear();
  printed_.clear();
}

int ScriptedDialogs::Message(const MessageRequest& request) {
  ShownMessage shown;
  static_cast<MessageRequest&>(shown) = request;
  shown.Answer = request.DefaultResult;
  if (!message_answers_.empty()) {
    const int scripted = message_answers_.front();
    message_answers_.pop_front();
    if (IsButtonOf(scripted, request.Buttons)) shown.Answer = scripted;
    else ADD_FAILURE() << "scripted answer " << scripted << " is not a button of the message \"" << request.Text
                       << "\"";
  }
  messages_.push_back(shown);
  return shown.Answer;
}

int ScriptedDialogs::ModalForm(TForm& form) {
  const size_t index = forms_.size();
  forms_.push_back({ClassNameOf(form), form.Name, form.Caption(), mrNone, false});
  form.BeginModal();
  int result = mrNone;
  if (!form_answers_.empty()) {
    FormScript script = std::move(form_answers_.front());
    form_answers_.pop_front();
    result = script(form);
  }
  if (result == mrNone) result = form.ModalResult();
  if (result == mrNone) result = mrCancel;
  form.SetModalResult(result);
  // A real user would go on with a form that refuses to close; a script ends here.
  const bool closed = form.CloseModal();
  form.EndModal();
  forms_[index].Result = result;
  forms_[index].CloseRefused = !closed;
  return result;
}

bool ScriptedDialogs::FileDialog(const FileDialogRequest& request, std::string& fileName, int& filterIndex) {
  ShownFileDialog shown;
  static_cast<FileDialogRequest&>(shown) = request;
  if (!file_answers_.empty()) {
    const FileAnswer a = file_answers_.front();
    file_answers_.pop_front();
    if (a.choose) {
      shown.Chosen = true;
      shown.Answer = a.name;
      fileName = a.name;
      if (a.filterIndex > 0) filterIndex = a.filterIndex;
    }
  }
  file_dialogs_.push_back(shown);
  return shown.Chosen;
}

bool ScriptedDialogs::ColorDialog(TColor& color) {
  ShownColorDialog shown;
  shown.Initial = color;
  if (!color_answers_.empty()) {
    const std::optional<TColor> a = color_answers_.front();
    color_answers_.pop_front();
    if (a) {
      shown.Chosen = true;
      shown.Answer = *a;
      color = *a;
    }
  }
  color_dialogs_.push_back(shown);
  return shown.Chosen;
}

bool ScriptedDialogs::PrintDialog(PrintDialogRequest& request) {
  ShownPrintDialog shown;
  static_cast<PrintDialogRequest&>(shown) = request;
  if (!print_answers_.empty()) {
    const PrintAnswer a = print_answers_.front();
    print_answers_.pop_front();
    shown.Confirmed = a.confirm;
    if (a.confirm && a.orientation) request.Orientation = *a.orientation;
  }
  print_dialogs_.push_back(shown);
  return shown.Confirmed;
}

bool ScriptedDialogs::Print(const PrintedDocument& document) {
  printed_.push_back(document);
  return true;
}
