#include "support/file_watch.h"

#include <cerrno>
#include <climits>
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
