// Named shared memory that other programs of the same user can open: a POSIX
// shared-memory object "/<name>" of a fixed size, mapped read-write.
//
// The first user creates it (mode 0600, zero-filled); later users, in this or
// another process, open the same bytes. A symbolic link, a folder or another
// user's object at the name is refused, never followed or used. Destruction only unmaps: the object
// stays for the other users until Unlink() is called or the machine restarts,
// as a named mapping stays while anybody holds it.
#pragma once

#include <cstddef>
#include <string>
#include <type_traits>

namespace shm {

class SharedMemory {
 public:
  // Creates or opens "/" + name with `size` bytes. On failure Data() is null
  // and Error() says why; nothing else happens.
  SharedMemory(const std::string& name, std::size_t size);
  ~SharedMemory();
  SharedMemory(const SharedMemory&) = delete;
  SharedMemory& operator=(const SharedMemory&) = delete;

  void* Data() const { return data_; }
  std::size_t Size() const { return data_ ? size_ : 0; }
  // True when this object made the shared memory (it did not exist before).
  bool Created() const { return created_; }
  bool IsOpen() const { return data_ != nullptr; }
  const std::string& Error() const { return error_; }
  const std::string& Name() const { return name_; }

  // Where other programs find it: "/dev/shm/" + name.
  static std::string Path(const std::string& name);

  // Makes the object its full size again when another program has made it
  // smaller; false when it cannot be, with the system's reason in *why.
  bool EnsureSize(std::string* why = nullptr);
  // Runs access(context), which touches this mapping only. False when a
  // touched page was gone (the object shrank under it): the access stopped
  // there, and the process goes on. A bus error anywhere else is handled as
  // it would be without this call.
  bool RunGuarded(void (*access)(void*), void* context);
  template <class F>
  bool RunGuarded(F&& access) {
    return RunGuarded([](void* f) { (*static_cast<std::remove_reference_t<F>*>(f))(); }, &access);
  }

  // Removes the name, so the next user creates fresh memory; the bytes stay
  // mapped for those who have them.
  bool Unlink();
  static bool Unlink(const std::string& name);

  // The POSIX object name for `name`, or "" when `name` cannot be one.
  static std::string ObjectName(const std::string& name);

 private:
  std::string name_;
  std::size_t size_ = 0;
  void* data_ = nullptr;
  int fd_ = -1;
  bool created_ = false;
  std::string error_;
};

}  // namespace shm
