// Termination signals close the program's windows the way a person would,
// so the settings are saved on a logout or a `kill` as on Exit.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>

#include "platform/qt/qt_internal.h"
#include "platform/window.h"

namespace plat::qtb {
namespace {

int g_pipe[2] = {-1, -1};
QSocketNotifier* g_notifier = nullptr;

void OnSignal(int) {
    const char byte = 1;
    // Only async-signal-safe work here: the loop reads the pipe.
    [[maybe_unused]] ssize_t written = ::write(g_pipe[1], &byte, 1);
}

void CloseTopLevelWindows() {
    char buffer[16];
    while (::read(g_pipe[0], buffer, sizeof buffer) > 0) {
    }
    for (WindowObject* w : AllWindows()) {
        if (IsLive(w) && w->kind == WindowKind::TopLevel) {
            PostMessage(w, WM_CLOSE, 0, 0);
        }
    }
}

}  // namespace

void CloseWindowsOnSignal() {
    if (g_notifier != nullptr || ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    g_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read);
    QObject::connect(g_notifier, &QSocketNotifier::activated, [] { CloseTopLevelWindows(); });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
}

}  // namespace plat::qtb
