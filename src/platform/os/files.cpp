#include "platform/os/files.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace os {

namespace {

std::string KindError(const struct stat& st) {
  if (S_ISDIR(st.st_mode)) return std::strerror(EISDIR);
  if (S_ISFIFO(st.st_mode)) return "Is a named pipe, not a file";
  if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return "Is a device, not a file";
  if (S_ISSOCK(st.st_mode)) return "Is a socket, not a file";
  return "Is not a regular file";
}

}  // namespace

std::string SizeText(std::uintmax_t bytes) {
  if (bytes >= (1u << 20) && bytes % (1u << 20) == 0) return std::to_string(bytes >> 20) + " MB";
  if (bytes >= (1u << 10) && bytes % (1u << 10) == 0) return std::to_string(bytes >> 10) + " KB";
  return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

WholeFile ReadWholeFile(const std::string& path, std::uintmax_t maxBytes) {
  WholeFile file;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    const int error = errno;
    file.Missing = error == ENOENT || error == ENOTDIR;
    file.Error = path.empty() ? std::strerror(ENOENT) : std::strerror(error);
    return file;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    file.Error = std::strerror(errno);
    ::close(fd);
    return file;
  }
  file.Stat = st;
  if (!S_ISREG(st.st_mode)) {
    file.Error = KindError(st);
    ::close(fd);
    return file;
  }
  if (static_cast<std::uintmax_t>(st.st_size) > maxBytes) {
    file.Error = "File too large (over " + SizeText(maxBytes) + ")";
    ::close(fd);
    return file;
  }
  file.Bytes.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      file.Error = std::strerror(errno);
      break;
    }
    if (n == 0) break;
    // The file may grow while it is read.
    if (file.Bytes.size() + static_cast<std::size_t>(n) > maxBytes) {
      file.Error = "File too large (over " + SizeText(maxBytes) + ")";
      break;
    }
    file.Bytes.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  if (!file.Ok()) file.Bytes.clear();
  return file;
}

// ---------------------------------------------------------------- RecordFile

RecordFile::~RecordFile() { Close(); }

bool RecordFile::Create(const std::string& path) {
  Close();
  last_error_.clear();
  // Without waiting: a named pipe that nobody reads is refused at once.
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666);
  if (fd_ < 0) {
    last_error_ = std::strerror(errno);
    return false;
  }
  const int flags = ::fcntl(fd_, F_GETFL);
  if (flags >= 0) ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
  whole_ = 0;
  return true;
}

bool RecordFile::Append(std::string_view record) {
  if (fd_ < 0) return false;
  std::size_t done = 0;
  while (done < record.size()) {
    const ssize_t n = ::write(fd_, record.data() + done, record.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      last_error_ = std::strerror(n < 0 ? errno : ENOSPC);
      // What went out of this record goes again; the file ends in whole ones.
      if (done > 0) {
        if (::ftruncate(fd_, whole_) == 0) ::lseek(fd_, whole_, SEEK_SET);
      }
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  whole_ += static_cast<off_t>(record.size());
  return true;
}

bool RecordFile::Close() {
  if (fd_ < 0) return true;
  const bool ok = ::close(fd_) == 0;
  if (!ok && last_error_.empty()) last_error_ = std::strerror(errno);
  fd_ = -1;
  return ok;
}

}  // namespace os
