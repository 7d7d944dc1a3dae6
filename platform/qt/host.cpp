// Program host on Qt: the application object, the display check, the
// program's own path, and the real date and time zone.
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDate>
#include <QTimeZone>

#include <cstdlib>
#include <string>

#include "platform/common/backend_hooks.h"
#include "platform/host.h"
#include "platform/qt/qt_internal.h"
#include "platform/window.h"

namespace plat {
namespace {

QApplication* g_app = nullptr;
std::string g_failure;
std::u16string g_modulePath;

bool EnvSet(const char* name) {
    const char* v = std::getenv(name);
    return v != nullptr && v[0] != '\0';
}

}  // namespace

HostStatus Initialise(int& argc, char** argv, bool allowOffscreen) {
    g_failure.clear();
    if (g_app != nullptr) {
        return QGuiApplication::platformName() == QLatin1String("offscreen") ? HostStatus::Offscreen
                                                                              : HostStatus::Ready;
    }
    bool offscreen = false;
    if (!EnvSet("DISPLAY") && !EnvSet("WAYLAND_DISPLAY") && !EnvSet("QT_QPA_PLATFORM")) {
        if (!allowOffscreen) {
            g_failure = "no display: DISPLAY is not set";
            return HostStatus::Failed;
        }
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        offscreen = true;
    } else if (allowOffscreen && !EnvSet("QT_QPA_PLATFORM")) {
        // A display is named but may not answer: let Qt fall back to
        // offscreen rendering instead of aborting.
        setenv("QT_QPA_PLATFORM", EnvSet("WAYLAND_DISPLAY") ? "wayland;xcb;offscreen" : "xcb;offscreen",
               1);
    }
    // Qt wants a private runtime folder; give it one quietly when the
    // session has none (a server, a container, a test run).
    if (!EnvSet("XDG_RUNTIME_DIR")) {
        std::string runtime = "/tmp/runtime-" + std::to_string(::getuid());
        ::mkdir(runtime.c_str(), 0700);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }
    g_app = new QApplication(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    // Message boxes without a caption of their own show the program's name.
    QApplication::setApplicationDisplayName(QStringLiteral("Tovanel"));
    // Lets the desktop match the reader's windows to its installed menu entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.quillmark.Tovanel"));
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        offscreen = true;
    }
    return offscreen ? HostStatus::Offscreen : HostStatus::Ready;
}

const char* HostFailureText() { return g_failure.c_str(); }

void Shutdown() {
    if (g_app == nullptr) {
        return;
    }
    qtb::ShutdownSingleCopy();
    std::vector<WindowObject*> windows = qtb::AllWindows();
    for (WindowObject* w : windows) {
        if (qtb::IsLive(w) && w->kind != WindowKind::Control && w->kind != WindowKind::Bar) {
            DestroyWindow(w);
        }
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    delete g_app;
    g_app = nullptr;
}

const char16_t* GetModuleFileName() {
    if (g_modulePath.empty()) {
        if (g_app != nullptr) {
            g_modulePath = qtb::ToU16(QCoreApplication::applicationFilePath());
        } else {
            char buffer[4096];
            ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
            if (n > 0) {
                g_modulePath = qtb::ToU16(QString::fromLocal8Bit(buffer, n));
            }
        }
    }
    return g_modulePath.c_str();
}

const char* BackendName() { return "qt"; }

OsVersion GetVersion() { return OsVersion{4, 20}; }

void InitCommonControls() {}

namespace backend {

LocalDate LocalDateNow() {
    QDate today = QDate::currentDate();
    return LocalDate{today.year(), today.month(), today.day()};
}

// The zone names that are only other names of a zone Qt knows by its main
// name, which is the one the Windows-style names are listed under.
static QByteArray MainZoneName(const QByteArray& iana) {
    static const char* const kAliases[][2] = {
        {"Asia/Tel_Aviv", "Asia/Jerusalem"},
        {"Israel", "Asia/Jerusalem"},
    };
    for (const auto& alias : kAliases) {
        if (iana == alias[0]) {
            return alias[1];
        }
    }
    return iana;
}

bool ZoneStandardName(char16_t name[32]) {
    name[0] = 0;
    QByteArray iana = MainZoneName(QTimeZone::systemTimeZoneId());
    if (iana.isEmpty()) {
        return false;
    }
    QByteArray windows = QTimeZone::ianaIdToWindowsId(iana);
    if (windows.isEmpty()) {
        return false;
    }
    int n = 0;
    for (; n < windows.size() && n < 31; ++n) {
        name[n] = char16_t(static_cast<unsigned char>(windows[n]));
    }
    name[n] = 0;
    return true;
}

}  // namespace backend
}  // namespace plat
