#include "io/scope_mailbox.h"

#include "io/shared_blocks.h"

namespace io {

std::optional<MailboxCommand> TakeScopeCommand(SharedWords& box, bool mayTake, const std::function<void()>& publish) {
  const std::int32_t code = box.Get(kMailboxCommand, std::memory_order_acquire);
  const std::int32_t argument = box.Get(kMailboxArgument);
  if (publish) publish();
  if (code == 0 || !mayTake) return std::nullopt;
  if (!box.Exchange(kMailboxCommand, code, 0)) return std::nullopt;
  return MailboxCommand{code, argument};
}

}  // namespace io
