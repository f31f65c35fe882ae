// The three named shared-memory blocks through which other programs of the
// user read the captures and remote-control the scope and the generator:
// "ShareDSOData" (sample export), "Darv48Data" (scope mailbox) and
// "Selg48Data" (generator mailbox), each an array of 32-bit little-endian
// words under /dev/shm. They are made before any window exists and kept until
// the program ends; a block that already exists (another copy of the program,
// or a controller that made it first) is shared.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/shm/shared_memory.h"

namespace io {

inline constexpr std::size_t kSampleExportBytes = 40000;
inline constexpr std::size_t kScopeMailboxBytes = 400;
inline constexpr std::size_t kGeneratorMailboxBytes = 1000;

inline constexpr const char* kSampleExportName = "ShareDSOData";
inline constexpr const char* kScopeMailboxName = "Darv48Data";
inline constexpr const char* kGeneratorMailboxName = "Selg48Data";

// Appended to the three names when set and made of letters, digits, '-' and
// '_' only, so that test runs on one machine keep apart.
inline constexpr const char* kNameSuffixVariable = "DARVIK48_SHM_SUFFIX";

// The name of a block as this process uses it.
std::string SharedBlockName(const char* base);

// How an access to a block went: done whole; missed, as the block shrank
// under every try (the next access tries afresh); or lost, as the block
// cannot be grown back to its size.
enum class BlockAccess { Done, Missed, Lost };
inline constexpr int kAccessTries = 3;

// One block viewed as words. Reads and writes of a word are single 32-bit
// accesses, since another process may touch the same word at any time.
class SharedWords {
 public:
  SharedWords(const char* base, std::size_t bytes);
  bool IsOpen() const { return memory_.IsOpen(); }
  // True when this process made the block (it did not exist before).
  bool Created() const { return memory_.Created(); }
  const std::string& Error() const { return memory_.Error(); }
  std::size_t Count() const { return memory_.Size() / sizeof(std::int32_t); }
  // A word outside the block reads 0, and writing one does nothing.
  std::int32_t Get(std::size_t index, std::memory_order order = std::memory_order_relaxed) const;
  void Set(std::size_t index, std::int32_t value, std::memory_order order = std::memory_order_relaxed);
  // Copies `words` into the block from word `first` on, in one go; the part
  // beyond the block is left out.
  void Write(std::size_t first, std::span<const std::int32_t> words);
  // Replaces `expected` with `value` only when the word still holds it.
  bool Exchange(std::size_t index, std::int32_t expected, std::int32_t value);
  // Runs `access` (reads and writes of this block only, safe to run again)
  // over the block, grown back to its full size first when another program
  // has made it smaller; when it shrank again under the access, which then
  // stopped part-way, grows it back and runs the access again, up to
  // kAccessTries times in all.
  template <class F>
  BlockAccess Guarded(F&& access, std::string* why = nullptr) {
    for (int tries = 0; tries < kAccessTries; ++tries) {
      if (!memory_.EnsureSize(why)) return BlockAccess::Lost;
      if (memory_.RunGuarded(access)) return BlockAccess::Done;
    }
    return BlockAccess::Missed;
  }
  // Where other programs find it.
  std::string Path() const { return shm::SharedMemory::Path(memory_.Name()); }

 private:
  std::int32_t* Word(std::size_t index) const;
  shm::SharedMemory memory_;
};

inline std::unique_ptr<SharedWords> SampleExportBlock;
inline std::unique_ptr<SharedWords> ScopeMailboxBlock;
inline std::unique_ptr<SharedWords> GeneratorMailboxBlock;

// Runs `access` over the block in `slot` as SharedWords::Guarded does; true
// when it was done whole. A block that cannot be grown back is let go, so
// what it serves stops for the rest of the session, and the user is told
// once, on screen and on standard error: `lead`, the block's path, the
// reason, `tail`. False then, when every try was cut short, and when the
// slot is empty.
void StopSharedBlock(std::unique_ptr<SharedWords>& slot, const char* lead, const std::string& why, const char* tail);
template <class F>
bool UseSharedBlock(std::unique_ptr<SharedWords>& slot, F&& access, const char* lead, const char* tail) {
  if (!slot) return false;
  std::string why;
  switch (slot->Guarded(access, &why)) {
    case BlockAccess::Done: return true;
    case BlockAccess::Missed: return false;
    case BlockAccess::Lost: break;
  }
  StopSharedBlock(slot, lead, why, tail);
  return false;
}

// Runs `access` over the generator mailbox, which another program of the
// user may have made smaller; false when it was not done (the mailbox is
// off, or kept shrinking under it).
template <class F>
bool UseGeneratorMailbox(F&& access) {
  return UseSharedBlock(GeneratorMailboxBlock, access, "Remote control of the generator stopped: another program made ",
                        "\rOther programs cannot control the generator until the Darvik48 software is started "
                        "again.");
}

// Makes or opens the three blocks; false (with the reason in *error) when
// one of them cannot be had, and then none is kept. A mailbox that outlived
// an earlier run starts with no request in it: a stale request is never
// carried out.
bool OpenSharedBlocks(std::string* error);
void CloseSharedBlocks();

}  // namespace io
