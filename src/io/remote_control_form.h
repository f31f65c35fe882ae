// The hidden remote-control window "Darv-I/O": every 10 ms it writes the
// scope panel's state into the scope mailbox and takes at most one command,
// which it carries out by pressing the panel's own controls.
//
// Mailbox words: 0 command (0 none; cleared when taken), 1 argument,
// 10..20 status (volts/div indexes, time/div index, positions, couplings,
// trigger on, source, edge, level).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/ui/forms.h"

namespace engine {
struct ScopeSettings;
}

class TFastTimer;
struct FrontPanelControls;

namespace io {

inline constexpr std::size_t kMailboxCommand = 0;
inline constexpr std::size_t kMailboxArgument = 1;
inline constexpr std::size_t kMailboxStatusFirst = 10;
inline constexpr std::size_t kMailboxStatusCount = 11;

// 0 = 3 V .. 5 = 10 mV for the range codes 1, 27, 11, 29, 13, 30; -1 otherwise.
std::int32_t RangeIndexOfCode(std::uint8_t code);
// 0 = 500 ms .. 15 = 5 us; 16 whenever the picture magnifies (sample step 1
// or 2); -1 for a code no time/div button sets.
std::int32_t TimeDivIndex(std::uint8_t timeBaseCode, int sampleStep);

// Words 10 to 20: the channels' and the time base's from the scope's
// settings as its panel has them, the trigger's from the panel's controls. The coupling words are
// 0 AC, 1 DC, 2 GND; the trigger source word is 0 for CH1, 1 for CH2 and 2
// for the external input.
std::array<std::int32_t, kMailboxStatusCount> ScopeStatusWords(const FrontPanelControls& panel,
                                                               const engine::ScopeSettings& settings,
                                                               int sampleStep);

class SharedWords;
struct MailboxCommand {
  std::int32_t Code = 0;
  std::int32_t Argument = 0;
};
// One poll's hand-shake: reads the command and its argument, runs `publish`
// (the status words), then takes the command, when `mayTake`, by clearing
// word 0 only while it still holds the command read. A command the peer
// wrote meanwhile, or one that may not be taken now, stays for a later poll.
std::optional<MailboxCommand> TakeScopeCommand(SharedWords& box, bool mayTake, const std::function<void()>& publish);

}  // namespace io

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
