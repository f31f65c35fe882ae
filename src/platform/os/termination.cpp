#include "platform/os/termination.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>

namespace os {

namespace {

int pipe_fds[2] = {-1, -1};
std::function<void()> termination_action;
QSocketNotifier* notifier = nullptr;

void OnSignal(int) {
  const int saved = errno;
  const char byte = 1;
  // A full pipe already holds a request; nothing is lost by dropping this one.
  [[maybe_unused]] ssize_t n = ::write(pipe_fds[1], &byte, 1);
  errno = saved;
}

void Drain() {
  char bytes[64];
  int requests = 0;
  for (;;) {
    const ssize_t n = ::read(pipe_fds[0], bytes, sizeof bytes);
    if (n > 0) {
      requests += static_cast<int>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    break;
  }
  // Several signals before the loop came round ask for one close.
  if (requests > 0 && termination_action) termination_action();
}

}  // namespace

bool OnTerminationSignal(std::function<void()> action) {
  if (!QCoreApplication::instance()) return false;
  termination_action = std::move(action);
  if (pipe_fds[0] < 0) {
    if (::pipe2(pipe_fds, O_NONBLOCK | O_CLOEXEC) != 0) {
      pipe_fds[0] = pipe_fds[1] = -1;
      return false;
    }
    notifier = new QSocketNotifier(pipe_fds[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, [] { Drain(); });
  }
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  for (int sig : {SIGTERM, SIGINT, SIGHUP})
    if (::sigaction(sig, &sa, nullptr) != 0) return false;
  return true;
}

}  // namespace os
