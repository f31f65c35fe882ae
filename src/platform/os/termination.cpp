#include "platform/os/termination.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <semaphore.h>
#include <string>
#include <thread>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>

namespace os {

namespace {

int pipe_fds[2] = {-1, -1};
std::function<void()> termination_action;
QSocketNotifier* notifier = nullptr;

// How long the event loop has to take a request before the program is
// taken as hung.
constexpr std::chrono::milliseconds kAnswerTime{800};

// Signals that arrived, and how many of them the event loop has taken.
std::atomic<unsigned> signals_arrived{0};
std::atomic<unsigned> signals_taken{0};
std::atomic<int> last_signal{SIGTERM};
// The close a signal asked for runs: later signals ask for what is under way.
std::atomic<bool> acting{false};
sem_t watchdog_wake;
bool watchdog_started = false;

static_assert(std::atomic<unsigned>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "the signal handler touches these");

void OnSignal(int sig) {
  const int saved = errno;
  last_signal.store(sig);
  signals_arrived.fetch_add(1);
  const char byte = 1;
  // A full pipe already holds a request; nothing is lost by dropping this one.
  [[maybe_unused]] ssize_t n = ::write(pipe_fds[1], &byte, 1);
  ::sem_post(&watchdog_wake);
  errno = saved;
}

void Drain() {
  signals_taken.store(signals_arrived.load());
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
  if (requests > 0 && termination_action) {
    const bool outer = !acting.exchange(true);
    termination_action();
    if (outer) acting.store(false);
  }
}

// A program busy for longer than the answer time (a long computation, a
// blocking call) cannot run its close; the signal then ends it as it would
// have without a handler, so a logout or kill is never ignored.
void Watchdog() {
  for (;;) {
    if (::sem_wait(&watchdog_wake) != 0) continue;
    const unsigned arrived = signals_arrived.load();
    const auto deadline = std::chrono::steady_clock::now() + kAnswerTime;
    const auto answered = [arrived] { return signals_taken.load() >= arrived || acting.load(); };
    while (!answered() && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (answered()) continue;
    const int sig = last_signal.load();
    const std::string text = std::string(program_invocation_short_name) + ": " + ::strsignal(sig) +
                             ", but the program does not answer: it ends without its close\n";
    [[maybe_unused]] ssize_t n = ::write(2, text.data(), text.size());
    ::signal(sig, SIG_DFL);
    ::kill(::getpid(), sig);
    ::_exit(128 + sig);
  }
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
  if (!watchdog_started) {
    if (::sem_init(&watchdog_wake, 0, 0) != 0) return false;
    // The watchdog takes no signal itself: they go to the threads that run
    // the program.
    sigset_t all, old;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &old);
    std::thread(Watchdog).detach();
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    watchdog_started = true;
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
