// Whole-file reads and writes of the user's data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace os {

// The whole data reaches the disk, or the file is left as it was: written
// beside it, synced, then renamed over it. False when any step failed.
bool WriteWholeFile(const std::string& path, const void* data, std::size_t size);
inline bool WriteWholeFile(const std::string& path, const std::string& text) {
  return WriteWholeFile(path, text.data(), text.size());
}

// The first maxBytes bytes of a file (all of a shorter one), or nothing
// when it cannot be opened or read.
std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::string& path, std::size_t maxBytes);

}  // namespace os
