// The program's close: the wave editor's question comes first and a cancelled
// close leaves everything as it was; a second close request while that
// question is open asks nothing; a close from a signal asks nothing and tells
// on standard error what it could not save.
#include <gtest/gtest.h>

#include <QTimer>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/windows.h"
#include "engine/calibration.h"
#include "engine/device_fixture.h"
#include "engine/main_form.h"
#include "generator/fine_tune.h"
#include "generator/generator_form.h"
#include "generator/wave_editor.h"
#include "platform/ui/vcl.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kQuestion = "Save changes to file?";

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// What the process writes to standard error while it lives.
class StandardErrorCapture {
 public:
  StandardErrorCapture() : file_(std::tmpfile()) {
    std::fflush(stderr);
    saved_ = ::dup(2);
    ::dup2(::fileno(file_), 2);
  }
  ~StandardErrorCapture() {
    std::fflush(stderr);
    ::dup2(saved_, 2);
    ::close(saved_);
    std::fclose(file_);
  }
  std::string Text() {
    std::fflush(stderr);
    std::string text;
    std::rewind(file_);
    for (int c; (c = std::fgetc(file_)) != EOF;) text += static_cast<char>(c);
    return text;
  }

 private:
  std::FILE* file_;
  int saved_ = -1;
};

// Answers as the scripted dialogs do, but first does what arrives while the
// first question is open.
class WhileAsked : public DialogAnswerer {
 public:
  WhileAsked(ScriptedDialogs& inner, std::function<void()> during)
      : inner_(inner), during_(std::move(during)), previous_(SetDialogAnswerer(this)) {}
  ~WhileAsked() override { SetDialogAnswerer(previous_); }
  int Message(const MessageRequest& request) override {
    if (auto during = std::exchange(during_, nullptr)) during();
    return inner_.Message(request);
  }
  int ModalForm(TForm& form) override { return inner_.ModalForm(form); }
  bool FileDialog(const FileDialogRequest& r, std::string& name, int& index) override {
    return inner_.FileDialog(r, name, index);
  }
  bool ColorDialog(TColor& color) override { return inner_.ColorDialog(color); }
  bool PrintDialog(PrintDialogRequest& request) override { return inner_.PrintDialog(request); }
  bool Print(const PrintedDocument& document) override { return inner_.Print(document); }

 private:
  ScriptedDialogs& inner_;
  std::function<void()> during_;
  DialogAnswerer* previous_;
};

class CloseTest : public device_test::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    ASSERT_TRUE(CloseOnTerminationSignals());
  }
  // The user typed a wave and left it unsaved.
  void TypeWave() {
    Wave_editor1->Show();
    Wave_editor1->Memo1->SetText("0\r\n255");
    Wave_editor1->Memo1->SetModified(true);
  }
  void Signal() {
    ::raise(SIGTERM);
    Application->ProcessMessages();
  }
  bool Ended() { return harness_->PumpUntil([] { return Application->Terminated(); }, 3000); }
  // Generator settings packets that reached the device.
  int GeneratorPackets() const {
    int n = 0;
    for (const auto& w : Writes()) n += w.size() == 7 && w[0] == 0x0E && w[1] == 0x05;
    return n;
  }
  std::string GeneratorIniPath() const { return Form1_fgen->GeneratorIni->FileName(); }
  std::string ScopeIniPath() const { return Form1->ScopeIni->FileName(); }
};

TEST_F(CloseTest, TheEditorIsAskedFirstAndACancelledCloseChangesNothing) {
  OpenDevice();
  std::ofstream(GeneratorIniPath(), std::ios::binary) << "[Calibration]\r\nGain=5\r\n";
  struct Row {
    int answer;
    bool closes;
  };
  for (const Row row : {Row{mrCancel, false}, Row{mrNo, true}}) {
    SCOPED_TRACE(row.closes ? "No" : "Cancel");
    TypeWave();
    Device().ClearLog();
    Dialogs().ClearRecords();
    Dialogs().AnswerMessage(row.answer);
    Form1->Close();

    EXPECT_EQ(Dialogs().CountMessages(kQuestion), 1);
    EXPECT_EQ(Application->Terminated(), row.closes);
    // The editor is in sight again with its text; the generator's engine
    // window, which has nothing to show, stays hidden.
    EXPECT_EQ(Wave_editor1->Visible(), !row.closes);
    EXPECT_FALSE(Form1_fgen->Visible());
    EXPECT_EQ(Wave_editor1->Memo1->Text(), "0\r\n255");
    // The output is switched off, and the settings file written, only by a
    // close that goes through.
    EXPECT_EQ(GeneratorPackets() > 0, row.closes);
    EXPECT_EQ(ReadFile(GeneratorIniPath()) == "[Calibration]\r\nGain=5\r\n", !row.closes);
  }
}

// While the close's question is open, the window manager's close or a
// signal arrives: no second question, and the first answer holds.
TEST_F(CloseTest, ASecondCloseWhileTheQuestionIsOpenAsksNothing) {
  const std::pair<const char*, std::function<void()>> seconds[] = {
      {"close box", [] { Form1->Close(); }},
      {"signal", [this] { Signal(); }},
  };
  for (const auto& [name, second] : seconds) {
    SCOPED_TRACE(name);
    TypeWave();
    Dialogs().ClearRecords();
    Dialogs().AnswerMessage(mrCancel);
    StandardErrorCapture err;
    {
      WhileAsked during(Dialogs(), second);
      Form1->Close();
    }
    harness_->Pump(50);
    EXPECT_EQ(Dialogs().CountMessages(kQuestion), 1);
    EXPECT_FALSE(Application->Terminated());
    EXPECT_TRUE(Wave_editor1->Visible());
    EXPECT_EQ(err.Text(), "");
  }
  // The ignored signal left the program attended: the user's own close still asks.
  Dialogs().AnswerMessage(mrNo);
  Form1->Close();
  EXPECT_EQ(Dialogs().CountMessages(kQuestion), 2);
  EXPECT_TRUE(Application->Terminated());
}

// A close from a signal with something that cannot be saved: the program
// ends on its own, shows nothing, and says on standard error what was lost.
enum class Unsaved { Nothing, Wave, GeneratorSettings, ScopeSettings, Calibration };

class SignalClose : public CloseTest, public ::testing::WithParamInterface<Unsaved> {
 protected:
  // Prepares the case; the lines expected on standard error.
  std::vector<std::string> Arrange(Unsaved what) {
    const auto unwritable = [](const std::string& path) {
      fs::remove(path);
      fs::create_directories(path);
      return std::vector<std::string>{"darvik48: Unable to write to " + path};
    };
    switch (what) {
      case Unsaved::Nothing: return {};
      case Unsaved::Wave: TypeWave(); return {"darvik48: Wave Editor: the edited wave was not saved"};
      case Unsaved::GeneratorSettings: return unwritable(GeneratorIniPath());
      case Unsaved::ScopeSettings: return unwritable(ScopeIniPath());
      case Unsaved::Calibration:
        engine::DocumentsFolder = harness_->Home().Path() + "/";
        Device().SetResponse(SimFrontEnd{}.AsResponse());
        OpenDevice();
        return {"darvik48: CALIBRATION FAILED. Please check 'Calibration.log' file for more details"};
    }
    return {};
  }
};

TEST_P(SignalClose, EndsAtOnceAndTellsWhatWasNotSaved) {
  const Unsaved what = GetParam();
  const std::string scopeIni = ScopeIniPath();
  const std::vector<std::string> expected = Arrange(what);
  Dialogs().ClearRecords();
  StandardErrorCapture err;
  if (what == Unsaved::Calibration) {
    // Two signals while the calibration waits for the device: one close.
    QTimer::singleShot(0, [this] {
      Signal();
      Signal();
    });
    Form8->calibrate();
  } else {
    Signal();
  }
  ASSERT_TRUE(Ended());
  EXPECT_EQ(LinesOf(err.Text()), expected);
  EXPECT_TRUE(Dialogs().Messages().empty()) << Dialogs().Messages().front().Text;
  EXPECT_TRUE(Dialogs().Forms().empty());
  if (what != Unsaved::ScopeSettings) {
    EXPECT_NE(ReadFile(scopeIni).find("Running=0"), std::string::npos);
  }
}

std::string CaseName(const ::testing::TestParamInfo<Unsaved>& info) {
  static const char* const names[] = {"NothingToTell", "UnsavedWave", "UnwritableGeneratorSettings",
                                      "UnwritableScopeSettings", "CalibrationCutShort"};
  return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Signal, SignalClose,
                         ::testing::Values(Unsaved::Nothing, Unsaved::Wave, Unsaved::GeneratorSettings,
                                           Unsaved::ScopeSettings, Unsaved::Calibration),
                         CaseName);

}  // namespace
