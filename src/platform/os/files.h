// Whole-file reads of the user's data (the writes: folders.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace os {

// The first maxBytes bytes of a file (all of a shorter one), or nothing
// when it cannot be opened or read.
std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::string& path, std::size_t maxBytes);

}  // namespace os
