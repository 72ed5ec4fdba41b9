// Self-pipe handling of SIGTERM and SIGINT.
#include "shell/ui/close_on_signal.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QPointer>
#include <QSocketNotifier>
#include <QWidget>

namespace q3 {

namespace {
int g_pipe[2] = {-1, -1};

void onSignal(int) {
  const char b = 1;
  // Only async-signal-safe work here; a full pipe just drops the byte.
  [[maybe_unused]] ssize_t n = ::write(g_pipe[1], &b, 1);
}
}  // namespace

bool closeOnTerminationSignals(QWidget* window) {
  if (g_pipe[0] < 0) {
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  }
  auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, window);
  QPointer<QWidget> target(window);
  QObject::connect(notifier, &QSocketNotifier::activated, window, [target] {
    char buf[16];
    while (::read(g_pipe[0], buf, sizeof buf) > 0) {
    }
    if (target) target->close();
  });
  struct sigaction sa {};
  sa.sa_handler = onSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  ::sigaction(SIGTERM, &sa, nullptr);
  ::sigaction(SIGINT, &sa, nullptr);
  return true;
}

}  // namespace q3
