// The scope mailbox: another program writes a command and its argument; the
// remote-control window takes at most one command per poll and writes the
// scope panel's state back as status words.
//
// Mailbox words: 0 command (0 none; cleared when taken), 1 argument,
// 10..20 status (volts/div indexes, time/div index, positions, couplings,
// trigger on, source, edge, level).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

namespace io {

inline constexpr std::size_t kMailboxCommand = 0;
inline constexpr std::size_t kMailboxArgument = 1;
inline constexpr std::size_t kMailboxStatusFirst = 10;
inline constexpr std::size_t kMailboxStatusCount = 11;

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
