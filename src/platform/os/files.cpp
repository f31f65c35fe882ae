#include "platform/os/files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace os {

bool WriteWholeFile(const std::string& path, const void* data, std::size_t size) {
  const std::string tmp = path + ".tmp~";
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const auto* bytes = static_cast<const char*>(data);
  bool ok = true;
  for (std::size_t done = 0; ok && done < size;) {
    const ssize_t n = ::write(fd, bytes + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ok = false;
    else done += static_cast<std::size_t>(n);
  }
  if (ok) ok = ::fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  if (ok) ok = ::rename(tmp.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(tmp.c_str());
  return ok;
}

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
