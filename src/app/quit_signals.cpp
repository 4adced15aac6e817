#include "app/quit_signals.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

#include <sys/socket.h>
#include <unistd.h>

#include "app/main_window.h"

namespace notarra {

namespace {

int g_signalSocket[2] = {-1, -1};

void NoteSignal(int) {
  const int saved = errno;
  const char byte = 1;
  // Nothing else is safe here; a full socket already holds a note.
  if (::write(g_signalSocket[0], &byte, 1) < 0) {
  }
  errno = saved;
}

}  // namespace

void CloseOnQuitSignals(TfrmBlog& window) {
  if (g_signalSocket[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalSocket) != 0) return;
  auto* notifier = new QSocketNotifier(g_signalSocket[1], QSocketNotifier::Read, &window);
  QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
    char byte;
    if (::read(g_signalSocket[1], &byte, 1) > 0) window.CloseKeepingJournals();
  });
  for (int signal : {SIGTERM, SIGHUP}) {
    struct sigaction old {};
    if (::sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = NoteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(signal, &action, nullptr);
  }
}

}  // namespace notarra
