#include "platform/os/serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace os {

// Rates termios has no constant for; set through the kernel's free-rate call.
bool SetCustomBaud(int fd, int baud);

namespace {

speed_t SpeedConstant(int baud) {
  switch (baud) {
    case 110: return B110;
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return 0;
  }
}

void SetModemLine(int fd, int line, bool on) {
  // Pseudo-terminals and some adapters have no modem lines; that is no error.
  ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line);
}

}  // namespace

bool SerialPort::Open(const std::string& path) {
  Close();
  int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    lastError_ = errno;
    return false;
  }
  if (!isatty(fd) || flock(fd, LOCK_EX | LOCK_NB) != 0 || ioctl(fd, TIOCEXCL) != 0) {
    lastError_ = errno ? errno : ENOTTY;
    ::close(fd);
    return false;
  }
  fd_ = fd;
  lastError_ = 0;
  return true;
}

void SerialPort::Close() {
  if (fd_ < 0) return;
  ioctl(fd_, TIOCNXCL);
  flock(fd_, LOCK_UN);
  ::close(fd_);
  fd_ = -1;
}

bool SerialPort::Apply(const SerialLineSettings& s) {
  termios t{};
  if (fd_ < 0) {
    lastError_ = EBADF;
    return false;
  }
  if (tcgetattr(fd_, &t) != 0) {
    lastError_ = errno;
    return false;
  }
  t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY |
                 INPCK | IGNPAR);
  if (s.parityCheck) t.c_iflag |= INPCK;
  if (s.xonXoffOut) t.c_iflag |= IXON;
  if (s.xonXoffIn) t.c_iflag |= IXOFF;
  t.c_oflag &= ~OPOST;
  t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  t.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS);
  t.c_cflag |= CREAD | CLOCAL | (s.dataBits == 7 ? CS7 : CS8);
  if (s.stopBits == 2) t.c_cflag |= CSTOPB;
  switch (s.parity) {
    case 1: t.c_cflag |= PARENB | PARODD; break;
    case 2: t.c_cflag |= PARENB; break;
    case 3: t.c_cflag |= PARENB | PARODD | CMSPAR; break;
    case 4: t.c_cflag |= PARENB | CMSPAR; break;
    default: break;
  }
  // The kernel has one hardware handshake (RTS/CTS); DSR flow is not offered.
  if (s.ctsOutFlow || s.rtsControl == 2) t.c_cflag |= CRTSCTS;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  t.c_cc[VSTART] = s.xonChar;
  t.c_cc[VSTOP] = s.xoffChar;
  const speed_t speed = SpeedConstant(s.baud);
  if (speed != 0) {
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
  }
  if (tcsetattr(fd_, TCSANOW, &t) != 0) {
    lastError_ = errno;
    return false;
  }
  if (speed == 0 && !SetCustomBaud(fd_, s.baud)) {
    lastError_ = errno ? errno : EINVAL;
    return false;
  }
  if (s.dtrControl != 2) SetModemLine(fd_, TIOCM_DTR, s.dtrControl == 1);
  else SetModemLine(fd_, TIOCM_DTR, true);
  if (s.rtsControl != 2) SetModemLine(fd_, TIOCM_RTS, s.rtsControl != 0);
  discardNull_ = s.discardNull;
  return true;
}

int SerialPort::InputCount() {
  int n = 0;
  if (fd_ < 0 || ioctl(fd_, FIONREAD, &n) != 0) {
    lastError_ = fd_ < 0 ? EBADF : errno;
    return -1;
  }
  return n;
}

long SerialPort::Read(char* buf, std::size_t size) {
  if (fd_ < 0) {
    lastError_ = EBADF;
    return -1;
  }
  if (size == 0) return 0;
  ssize_t got = ::read(fd_, buf, size);
  if (got < 0) {
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return 0;
    lastError_ = errno;
    return -1;
  }
  if (discardNull_) got = std::remove(buf, buf + got, '\0') - buf;
  return static_cast<long>(got);
}

long SerialPort::Write(const char* data, std::size_t size, int timeoutMs) {
  if (fd_ < 0) {
    lastError_ = EBADF;
    return -1;
  }
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
  std::size_t done = 0;
  while (done < size) {
    ssize_t put = ::write(fd_, data + done, size - done);
    if (put > 0) {
      done += static_cast<std::size_t>(put);
      continue;
    }
    if (put < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
      lastError_ = errno;
      break;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) {
      lastError_ = ETIMEDOUT;
      break;
    }
    pollfd p{fd_, POLLOUT, 0};
    poll(&p, 1, static_cast<int>(left.count()));
  }
  if (done == 0 && size > 0) return -1;
  return static_cast<long>(done);
}

bool SerialPort::Purge() {
  if (fd_ < 0 || tcflush(fd_, TCIOFLUSH) != 0) {
    lastError_ = fd_ < 0 ? EBADF : errno;
    return false;
  }
  return true;
}

}  // namespace os
