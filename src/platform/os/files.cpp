#include "platform/os/files.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace os {

std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::string& path, std::size_t maxBytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  constexpr std::size_t kChunk = 1 << 16;
  bool ok = true;
  while (bytes.size() < maxBytes) {
    const std::size_t want = std::min(kChunk, maxBytes - bytes.size());
    const std::size_t at = bytes.size();
    bytes.resize(at + want);
    const ssize_t n = ::read(fd, bytes.data() + at, want);
    if (n < 0 && errno == EINTR) {
      bytes.resize(at);
      continue;
    }
    if (n < 0) ok = false;
    bytes.resize(at + static_cast<std::size_t>(n > 0 ? n : 0));
    if (n <= 0) break;
  }
  ::close(fd);
  if (!ok) return std::nullopt;
  return bytes;
}

}  // namespace os
