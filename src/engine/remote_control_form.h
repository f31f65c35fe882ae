// The hidden remote-control window "Darv-I/O": every 10 ms it writes the
// scope panel's state into the scope mailbox and takes at most one command,
// which it carries out by pressing the panel's own controls.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "engine/settings_packet.h"
#include "io/scope_mailbox.h"
#include "platform/ui/forms.h"

class TFastTimer;
struct FrontPanelControls;

namespace engine {

// The RangeTable row of a range code (0 = 3 V .. 5 = 10 mV), as a controller
// numbers the volts/div buttons; -1 for a code no button sets.
std::int32_t RangeIndexOfCode(std::uint8_t code);
// The index of a time-base code as a controller numbers the time/div buttons
// (0 = 500 ms .. 15 = 5 us); 16 whenever the picture magnifies (sample step
// 1 or 2); -1 for a code no time/div button sets.
std::int32_t TimeDivIndex(std::uint8_t timeBaseCode, int sampleStep);

// Words 10 to 20: the volts/div of both channels as the device has them
// (`device`: the recorder's ranges while it holds the device), the rest from
// the scope's settings as its panel has them: positions, couplings, time
// base and trigger. The coupling words are 0 AC, 1 DC, 2 GND; the trigger
// source word is 0 for CH1, 1 for CH2 and 2 for the external input.
std::array<std::int32_t, io::kMailboxStatusCount> ScopeStatusWords(const ScopeSettings& settings,
                                                                   const ScopeSettings& device, int sampleStep);

}  // namespace engine

class TFormx1 : public TForm {
 public:
  explicit TFormx1(TComponent* owner);

  TFastTimer* FastTimer1 = nullptr;  // the poll, 10 ms

  void FormCreate(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  // One poll: status words, then at most one command.
  void FastTimer1Timer(TObject* Sender);

  std::int32_t GetShareDatax(int index);
  void SetShareDatax(int index, std::int32_t value);

 private:
  // Carries out one command on the scope window.
  void RunCommand(std::int32_t command, std::int32_t argument);
};

inline TFormx1* Formx1 = nullptr;
