#include "support/file_watch.h"

#include <cerrno>
#include <climits>
#include <fstream>
#include <random>
#include <sstream>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

FileReplaceCounter::FileReplaceCounter(const std::string& folder, std::string name) : name_(std::move(name)) {
  fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd_ >= 0 && inotify_add_watch(fd_, folder.c_str(), IN_MOVED_TO) < 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

FileReplaceCounter::~FileReplaceCounter() {
  if (fd_ >= 0) ::close(fd_);
}

int FileReplaceCounter::Count() {
  if (fd_ < 0) return -1;
  alignas(inotify_event) char buf[16 * (sizeof(inotify_event) + NAME_MAX + 1)];
  for (;;) {
    const ssize_t n = ::read(fd_, buf, sizeof buf);
    if (n <= 0) break;
    for (ssize_t i = 0; i < n;) {
      const auto* e = reinterpret_cast<const inotify_event*>(buf + i);
      if ((e->mask & IN_MOVED_TO) && e->len > 0 && name_ == e->name) ++count_;
      i += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
    }
  }
  return count_;
}

FifoWithRescue::FifoWithRescue(const std::string& path, std::chrono::milliseconds grace) : path_(path) {
  made_ = ::mkfifo(path.c_str(), 0644) == 0;
  if (!made_) return;
  rescuer_ = std::thread([this, grace] {
    const auto until = std::chrono::steady_clock::now() + grace;
    while (!stop_ && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    // Opening for writing without blocking succeeds only while a reader
    // waits; open and close then hands that reader an end of file.
    while (!stop_) {
      const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
      if (fd >= 0) ::close(fd);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  });
}

FifoWithRescue::~FifoWithRescue() {
  stop_ = true;
  if (rescuer_.joinable()) rescuer_.join();
}

namespace {

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  return static_cast<bool>(out);
}

constexpr off_t kTooLarge = (16 << 20) + 1;

}  // namespace

FileStandIn::FileStandIn(Kind kind, std::string path, const std::string& text)
    : kind_(kind), path_(std::move(path)) {
  switch (kind) {
    case Kind::kFolder: made_ = ::mkdir(path_.c_str(), 0755) == 0; break;
    case Kind::kFifo:
      fifo_ = std::make_unique<FifoWithRescue>(path_, std::chrono::milliseconds(10000));
      made_ = fifo_->Made();
      break;
    case Kind::kLinkToNothing:
      target_ = path_ + ".gone";
      made_ = ::symlink(target_.c_str(), path_.c_str()) == 0;
      break;
    case Kind::kLoopingLink: made_ = ::symlink(path_.c_str(), path_.c_str()) == 0; break;
    case Kind::kTooLarge:
      // Sparse: the size is there without the bytes.
      made_ = WriteBytes(path_, text) && ::truncate(path_.c_str(), kTooLarge) == 0;
      break;
    case Kind::kBinary: {
      std::mt19937 random(4711);
      bytes_.resize(4096);
      for (char& b : bytes_) b = static_cast<char>(random());
      bytes_.insert(bytes_.size() / 2, "\n" + text);
      made_ = WriteBytes(path_, bytes_);
      break;
    }
    case Kind::kLinkToText:
      target_ = path_ + ".target";
      made_ = WriteBytes(target_, text) && ::symlink(target_.c_str(), path_.c_str()) == 0;
      break;
  }
  made_ = made_ && ::lstat(path_.c_str(), &made_stat_) == 0;
}

FileStandIn::~FileStandIn() = default;

bool FileStandIn::Unchanged() const {
  struct stat now {};
  if (::lstat(path_.c_str(), &now) != 0) return false;
  if ((now.st_mode & S_IFMT) != (made_stat_.st_mode & S_IFMT) || now.st_ino != made_stat_.st_ino) return false;
  switch (kind_) {
    case Kind::kTooLarge: return now.st_size == kTooLarge;
    case Kind::kBinary: return ReadBytes(path_) == bytes_;
    case Kind::kLinkToNothing: return ::access(target_.c_str(), F_OK) != 0;
    default: return true;
  }
}

std::string FileStandIn::Reason(Kind kind) {
  switch (kind) {
    case Kind::kFolder: return "Is a directory";
    case Kind::kFifo: return "Is a named pipe, not a file";
    case Kind::kLinkToNothing: return "Is a symbolic link to a missing file";
    case Kind::kLoopingLink: return "Too many levels of symbolic links";
    case Kind::kTooLarge: return "File too large (over 16 MB)";
    case Kind::kBinary: return "Holds binary data, not text";
    case Kind::kLinkToText: return "";
  }
  return "";
}

std::string FileStandIn::Name(Kind kind) {
  switch (kind) {
    case Kind::kFolder: return "folder";
    case Kind::kFifo: return "named pipe";
    case Kind::kLinkToNothing: return "link to nothing";
    case Kind::kLoopingLink: return "looping link";
    case Kind::kTooLarge: return "too large";
    case Kind::kBinary: return "binary";
    case Kind::kLinkToText: return "link to text";
  }
  return "";
}
