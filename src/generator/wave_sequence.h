// The "Wave Sequence" player: generator settings played one after another
// from its memo, a text file, or lines arriving on a serial port.
#pragma once

#include <cstdint>
#include <string>

#include "generator/com_port.h"
#include "generator/sequence_steps.h"
#include "platform/ui/vcl.h"
#include "widgets/fast_timer.h"
#include "widgets/gr_speed_button.h"

namespace engine {
struct ScopeSharedState;
}
namespace generator {
struct GeneratorSharedState;
}

class TForm900 : public TForm {
 public:
  // Its file dialogs start in the documents folder of the `scope`'s state.
  TForm900(TComponent* owner, generator::GeneratorSharedState& state, const engine::ScopeSharedState& scope);
  // The generator state this window reads and sets.
  generator::GeneratorSharedState& GeneratorState;
  const engine::ScopeSharedState& ScopeState;

  TMemo* Memo1 = nullptr;
  // The running step's fields: function, frequency, offset, amplitude, and
  // the seconds left.
  TLabel* Label1 = nullptr;
  TLabel* Label2 = nullptr;
  TLabel* Label3 = nullptr;
  TLabel* Label4 = nullptr;
  TLabel* Label5 = nullptr;
  TGrSpeedButton* Button1 = nullptr;  // "Run"
  TGrSpeedButton* Button2 = nullptr;  // "Open..." ("COM Setup.." with the serial source)
  TGrSpeedButton* Button3 = nullptr;  // "Exit"
  TButton* Button4 = nullptr;  // "Next Step"
  TCheckBox* CheckBox1 = nullptr;  // "Repeat "
  TGroupBox* GroupBox1 = nullptr;  // "Source Data "
  TRadioButton* RadioButton1 = nullptr;  // "File "
  TRadioButton* RadioButton2 = nullptr;  // "Serial Port"
  TTimer* Timer1 = nullptr;    // the step timer, 50 ms at rest
  TTimer* Timer2 = nullptr;
  TTimer* Timer3 = nullptr;    // keeps the focus on "Next Step"
  TFastTimer* FastTimer1 = nullptr;  // the countdown, 1 s
  TComPort* ComPort1 = nullptr;
  TOpenDialog* OpenDialog1 = nullptr;
  TSaveDialog* SaveDialog1 = nullptr;
  TMainMenu* MainMenu1 = nullptr;
  TMenuItem* Help1 = nullptr;  // "Help"

  // ---- State
  std::int32_t SequenceLine = 0;     // the next memo line to play
  std::uint8_t SequenceStop = 1;     // a stop was asked for
  std::uint8_t SequenceRepeat = 0;   // start again after the last line
  std::int32_t SequenceCountdown = 0;
  std::string SequenceFileName = "noname.txt";

  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Button3Click(TObject* Sender);
  void Button4Click(TObject* Sender);
  void Timer1Timer(TObject* Sender);
  void FastTimer1Timer(TObject* Sender);
  void Timer2Timer(TObject* Sender);
  void Timer3Timer(TObject* Sender);
  void CheckBox1Click(TObject* Sender);
  void RadioButton1Click(TObject* Sender);
  void RadioButton2Click(TObject* Sender);
  // True when the memo reached the file.
  bool Saveas1Click(TObject* Sender);
  void Exit1Click(TObject* Sender);
  void Help1Click(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void ComPort1RxChar(TObject* Sender, int Count);
  void ComPort1Open(TObject* Sender);

 private:
  enum class StepOutcome { Played, Unusable, Failed };
  StepOutcome PlayLine(const std::string& line, int lineNumber);
  void ApplyStep(const generator::SequenceStep& step);
  void StartTiming(double seconds);
  void EndSequence();
  void ShowFields(const std::array<std::string, 5>& fields);
  // "Next Step" and a received line: the next step follows on Timer1's tick.
  void Continue();
  void SetRunControls(bool enabled);

  generator::SerialLineAssembler serial_;
};

inline TForm900* Form900 = nullptr;
