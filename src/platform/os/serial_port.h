// A serial line over POSIX termios, opened exclusively and never blocking.
#pragma once

#include <cstddef>
#include <string>

namespace os {

// What the line is set to. Codes: parity 0 none, 1 odd, 2 even, 3 mark,
// 4 space; DTR 0 off, 1 on, 2 handshake; RTS 0 off, 1 on, 2 handshake, 3 toggle.
struct SerialLineSettings {
  int baud = 9600;
  int dataBits = 8;
  int stopBits = 1;
  int parity = 0;
  bool parityCheck = false;
  bool discardNull = false;
  bool ctsOutFlow = false;
  bool dsrOutFlow = false;
  int dtrControl = 0;
  int rtsControl = 0;
  bool xonXoffOut = false;
  bool xonXoffIn = false;
  char xonChar = 17;
  char xoffChar = 19;
};

class SerialPort {
 public:
  SerialPort() = default;
  ~SerialPort() { Close(); }
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // Opens `path` for reading and writing without making it our controlling
  // terminal, takes an exclusive lock on it (a second open, from this program
  // or another, fails) and sets TIOCEXCL. False with LastError() on failure.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  int Fd() const { return fd_; }

  // Raw line: no echo, no line editing, no character translation; reads
  // return at once with what is queued.
  bool Apply(const SerialLineSettings& s);
  // Bytes waiting in the input queue, or -1.
  int InputCount();
  // Up to `size` queued bytes without waiting; NUL bytes dropped when the
  // settings say so. Returns the count kept, or -1.
  long Read(char* buf, std::size_t size);
  // Writes all of `data`, waiting at most `timeoutMs` for the line to take
  // it. Returns the bytes written, or -1 when nothing could be written.
  long Write(const char* data, std::size_t size, int timeoutMs);
  // Throws away both queues.
  bool Purge();

  int LastError() const { return lastError_; }

 private:
  int fd_ = -1;
  int lastError_ = 0;
  bool discardNull_ = false;
};

}  // namespace os
