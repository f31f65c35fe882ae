#include "io/shared_blocks.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "io/generator_mailbox.h"
#include "io/scope_mailbox.h"
#include "platform/ui/vcl.h"

namespace io {

namespace {

bool UsableSuffix(const std::string& s) {
  if (s.empty() || s.size() > 64) return false;
  for (char c : s)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_'))
      return false;
  return true;
}

}  // namespace

std::string SharedBlockName(const char* base) {
  std::string name = base;
  if (const char* suffix = std::getenv(kNameSuffixVariable); suffix && UsableSuffix(suffix)) name += suffix;
  return name;
}

SharedWords::SharedWords(const char* base, std::size_t bytes) : memory_(SharedBlockName(base), bytes) {}

std::int32_t* SharedWords::Word(std::size_t index) const {
  if (index >= Count()) return nullptr;
  return static_cast<std::int32_t*>(memory_.Data()) + index;
}

std::int32_t SharedWords::Get(std::size_t index, std::memory_order order) const {
  std::int32_t* w = Word(index);
  return w ? std::atomic_ref<std::int32_t>(*w).load(order) : 0;
}

void SharedWords::Set(std::size_t index, std::int32_t value, std::memory_order order) {
  if (std::int32_t* w = Word(index)) std::atomic_ref<std::int32_t>(*w).store(value, order);
}

void SharedWords::Write(std::size_t first, std::span<const std::int32_t> words) {
  const std::size_t count = Count();
  if (first >= count || words.empty()) return;
  const std::size_t n = std::min(words.size(), count - first);
  std::memcpy(static_cast<std::int32_t*>(memory_.Data()) + first, words.data(), n * sizeof(std::int32_t));
}

bool SharedWords::Exchange(std::size_t index, std::int32_t expected, std::int32_t value) {
  std::int32_t* w = Word(index);
  return w && std::atomic_ref<std::int32_t>(*w).compare_exchange_strong(expected, value, std::memory_order_acq_rel);
}

void StopSharedBlock(std::unique_ptr<SharedWords>& slot, const char* lead, const std::string& why, const char* tail) {
  if (!slot) return;
  const std::string text = lead + slot->Path() + " smaller, and it cannot be grown back: " + why + "." + tail;
  // Gone before the message: the polls and captures that run while it is up
  // find no block and leave it alone.
  slot.reset();
  // Also for the user of a program that reads the block, who may be far
  // from the screen (a close from a signal says it there by itself).
  if (!Unattended()) ReportOnStandardError(text);
  MessageDlg(text, mtWarning, mbOK, 0);
}

bool OpenSharedBlocks(std::string* error) {
  CloseSharedBlocks();
  // The generator's block first, then the export, then the scope mailbox.
  auto generator = std::make_unique<SharedWords>(kGeneratorMailboxName, kGeneratorMailboxBytes);
  auto samples = std::make_unique<SharedWords>(kSampleExportName, kSampleExportBytes);
  auto scope = std::make_unique<SharedWords>(kScopeMailboxName, kScopeMailboxBytes);
  for (const SharedWords* block : {generator.get(), samples.get(), scope.get()}) {
    if (!block->IsOpen()) {
      if (error) *error = block->Error();
      return false;
    }
  }
  // A named block outlives the processes that used it; the mailboxes of an
  // earlier run may still hold a request nobody now stands behind.
  if (!generator->Created()) {
    generator->Set(kGenWave, 0);
    generator->Set(kGenControl, 0);
  }
  if (!scope->Created()) scope->Set(kMailboxCommand, 0);
  GeneratorMailboxBlock = std::move(generator);
  SampleExportBlock = std::move(samples);
  ScopeMailboxBlock = std::move(scope);
  return true;
}

void CloseSharedBlocks() {
  ScopeMailboxBlock.reset();
  SampleExportBlock.reset();
  GeneratorMailboxBlock.reset();
}

}  // namespace io
