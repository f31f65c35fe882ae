#include "platform/shm/shared_memory.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <csetjmp>
#include <csignal>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace shm {

std::string SharedMemory::ObjectName(const std::string& name) {
  if (name.empty() || name.size() > NAME_MAX - 1) return "";
  if (name.find('/') != std::string::npos || name.find('\0') != std::string::npos) return "";
  if (name == "." || name == "..") return "";
  return "/" + name;
}

SharedMemory::SharedMemory(const std::string& name, std::size_t size) : name_(name), size_(size) {
  std::string object = ObjectName(name);
  if (object.empty()) {
    error_ = "invalid shared-memory name \"" + name + "\"";
    return;
  }
  if (size == 0) {
    error_ = "shared memory \"" + name + "\" of size 0";
    return;
  }
  // Never through a symbolic link, and only a regular block of this user: a
  // link could point the writes at any file the user may write.
  int fd = ::shm_open(object.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd >= 0) {
    created_ = true;
    // The mode must not depend on the umask.
    (void)::fchmod(fd, 0600);
  } else if (errno == EEXIST) {
    fd = ::shm_open(object.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW, 0600);
  }
  const std::string path = Path(name);
  if (fd < 0) {
    const int err = errno;
    // The error alone does not tell a folder from a bad name.
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
      error_ = path + " is a symbolic link, which is not followed";
    else if (::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
      error_ = path + " is a folder, not a shared-memory block";
    else
      error_ = "cannot open " + path + ": " + std::strerror(err);
    return;
  }
  const auto fail = [&](std::string why) {
    error_ = std::move(why);
    ::close(fd);
    if (created_) ::shm_unlink(object.c_str());
    created_ = false;
  };
  // Grow it when it is smaller than we need (new, or made smaller by another
  // program), never shrink it under another user: touching bytes beyond the
  // object's end would kill the process.
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    fail("cannot inspect " + path + ": " + std::strerror(errno));
    return;
  }
  if (!S_ISREG(st.st_mode)) {
    fail(path + " is not a shared-memory block");
    return;
  }
  if (st.st_uid != ::geteuid()) {
    fail(path + " belongs to another user");
    return;
  }
  if (static_cast<std::size_t>(st.st_size) < size && ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
    fail("cannot size " + path + ": " + std::strerror(errno));
    return;
  }
  void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (p == MAP_FAILED) {
    fail("cannot map " + path + ": " + std::strerror(errno));
    return;
  }
  data_ = p;
  // Kept open to find out later whether another program made it smaller.
  fd_ = fd;
}

SharedMemory::~SharedMemory() {
  if (data_) ::munmap(data_, size_);
  if (fd_ >= 0) ::close(fd_);
}

std::string SharedMemory::Path(const std::string& name) { return "/dev/shm/" + name; }

bool SharedMemory::EnsureSize(std::string* why) {
  if (!data_) {
    if (why) *why = error_;
    return false;
  }
  struct stat st {};
  if (::fstat(fd_, &st) == 0) {
    if (static_cast<std::size_t>(st.st_size) >= size_) return true;
    if (::ftruncate(fd_, static_cast<off_t>(size_)) == 0) return true;
  }
  if (why) *why = std::strerror(errno);
  return false;
}

namespace {

// The one guarded access under way on this thread: a bus error inside its
// bytes ends it; any other bus error goes where it went before.
struct BusErrorGuard {
  sigjmp_buf resume;
  const char* begin = nullptr;
  const char* end = nullptr;
};
thread_local BusErrorGuard* activeGuard = nullptr;
struct sigaction previousBusAction {};

void OnBusError(int sig, siginfo_t* info, void* context) {
  BusErrorGuard* guard = activeGuard;
  const char* at = info ? static_cast<const char*>(info->si_addr) : nullptr;
  if (guard && at >= guard->begin && at < guard->end) {
    activeGuard = nullptr;
    siglongjmp(guard->resume, 1);
  }
  if (previousBusAction.sa_flags & SA_SIGINFO) {
    if (previousBusAction.sa_sigaction) previousBusAction.sa_sigaction(sig, info, context);
    return;
  }
  if (previousBusAction.sa_handler != SIG_DFL && previousBusAction.sa_handler != SIG_IGN) {
    previousBusAction.sa_handler(sig);
    return;
  }
  // The default: the process ends with the signal, as without the guard.
  ::signal(SIGBUS, SIG_DFL);
  ::raise(SIGBUS);
}

// The handler stays in place once set: a bus error outside a guarded access
// goes on where it went before, and the mailboxes' polls, many a second, do
// not swap handlers each time. It does not block the signal while it runs,
// so leaving it by a jump needs no saved signal mask.
bool InstallBusHandler() {
  static const bool installed = [] {
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    return ::sigaction(SIGBUS, &action, &previousBusAction) == 0;
  }();
  return installed;
}

}  // namespace

bool SharedMemory::RunGuarded(void (*access)(void*), void* context) {
  if (!data_) return false;
  BusErrorGuard guard;
  guard.begin = static_cast<const char*>(data_);
  guard.end = guard.begin + size_;
  if (activeGuard || !InstallBusHandler()) {
    access(context);
    return true;
  }
  bool whole = true;
  if (sigsetjmp(guard.resume, 0) == 0) {
    activeGuard = &guard;
    access(context);
    activeGuard = nullptr;
  } else {
    whole = false;
  }
  return whole;
}

bool SharedMemory::Unlink() { return Unlink(name_); }

bool SharedMemory::Unlink(const std::string& name) {
  std::string object = ObjectName(name);
  return !object.empty() && ::shm_unlink(object.c_str()) == 0;
}

}  // namespace shm
