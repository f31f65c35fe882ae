#include "platform/shm/shared_memory.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

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
  int fd = ::shm_open(object.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd >= 0) {
    created_ = true;
    // The mode must not depend on the umask.
    (void)::fchmod(fd, 0600);
  } else if (errno == EEXIST) {
    fd = ::shm_open(object.c_str(), O_RDWR | O_CLOEXEC, 0600);
  }
  if (fd < 0) {
    error_ = "cannot open shared memory \"" + name + "\": " + std::strerror(errno);
    return;
  }
  // Grow it when it is smaller than we need (new, or made smaller by another
  // program), never shrink it under another user: touching bytes beyond the
  // object's end would kill the process.
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    error_ = "cannot inspect shared memory \"" + name + "\": " + std::strerror(errno);
    ::close(fd);
    if (created_) ::shm_unlink(object.c_str());
    created_ = false;
    return;
  }
  if (static_cast<std::size_t>(st.st_size) < size && ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
    error_ = "cannot size shared memory \"" + name + "\": " + std::strerror(errno);
    ::close(fd);
    if (created_) ::shm_unlink(object.c_str());
    created_ = false;
    return;
  }
  void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  int err = errno;
  ::close(fd);
  if (p == MAP_FAILED) {
    error_ = "cannot map shared memory \"" + name + "\": " + std::strerror(err);
    if (created_) ::shm_unlink(object.c_str());
    created_ = false;
    return;
  }
  data_ = p;
}

SharedMemory::~SharedMemory() {
  if (data_) ::munmap(data_, size_);
}

bool SharedMemory::Unlink() { return Unlink(name_); }

bool SharedMemory::Unlink(const std::string& name) {
  std::string object = ObjectName(name);
  return !object.empty() && ::shm_unlink(object.c_str()) == 0;
}

}  // namespace shm
