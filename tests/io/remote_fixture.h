// The three shared-memory blocks under names of this test process only,
// made before the windows as the program makes them, and removed again.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

#include "io/shared_blocks.h"
#include "platform/shm/shared_memory.h"

class SharedBlockNames {
 public:
  SharedBlockNames() : suffix_("-test" + std::to_string(::getpid())) {
    ::setenv(io::kNameSuffixVariable, suffix_.c_str(), 1);
    Unlink();
  }
  ~SharedBlockNames() {
    io::CloseSharedBlocks();
    Unlink();
    ::unsetenv(io::kNameSuffixVariable);
  }
  const std::string& Suffix() const { return suffix_; }
  // The object's path under /dev/shm.
  static std::string Path(const char* base) { return "/dev/shm/" + io::SharedBlockName(base); }

 private:
  static void Unlink() {
    for (const char* base : {io::kSampleExportName, io::kScopeMailboxName, io::kGeneratorMailboxName})
      shm::SharedMemory::Unlink(io::SharedBlockName(base));
  }
  std::string suffix_;
};
