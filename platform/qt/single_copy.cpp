// One running copy. The first process to create a top-level window of a
// class listens on a local socket named after the user, the class, the
// display and the registry file. Another
// process's FindWindow for that class asks it over the socket and gets a
// proxy handle; messages, raising and the foreground question then travel
// as small requests, each answered with one number.
//
// Frame: a 32-bit length, then the request written with QDataStream:
//   quint8 op, then per op
//   Find    QString class, bool hasTitle, QString title  -> window id or 0
//   Send    quint32 id, quint32 message, quint64 wParam, qint64 lParam -> result
//   Post    (as Send)                                     -> 1 or 0
//   Raise   quint32 id                                    -> 1 or 0
//   Active  (nothing)                                     -> id of the active window or 0
// The answer is a 32-bit length and a qint64.
#include <QApplication>
#include <QDataStream>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <unistd.h>

#include "platform/qt/local_socket.h"
#include "platform/qt/qt_internal.h"
#include "platform/qt/single_copy.h"
#include "platform/registry.h"
#include "platform/unicode.h"
#include "platform/window.h"

namespace plat {
namespace {

enum Op : quint8 { OpFind = 1, OpSend = 2, OpPost = 3, OpRaise = 4, OpActive = 5 };

constexpr int kConnectMs = 1000;
constexpr int kAnswerMs = 5000;

std::map<QString, std::unique_ptr<qtb::LocalServer>> g_servers;  // by socket name
std::map<QString, std::unique_ptr<qtb::LocalConnection>> g_connections;
// Proxies stand for windows of another process; they are never destroyed
// as windows, so the table owns them for the life of the program.
std::map<std::pair<QString, std::uint32_t>, std::unique_ptr<WindowObject>> g_proxies;

bool g_shareOffscreen = false;

std::string RegistryFileIdentity() {
    const char* path = RegistryFilePath();
    if (path == nullptr) {
        return {};
    }
    std::error_code error;
    std::filesystem::path full = std::filesystem::weakly_canonical(path, error);
    return error ? std::string(path) : full.string();
}

// The socket of this process's copy, or empty when it has no display.
QString ServerName(const std::u16string& className) {
    std::string display;
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        if (g_shareOffscreen) {
            display = "offscreen-shared";
        }
    } else {
        display = qtb::DisplayIdentity(QGuiApplication::platformName().toStdString(),
                                       std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"));
    }
    return QString::fromStdString(
        qtb::SingleCopyName(::getuid(), className, display, RegistryFileIdentity()));
}

QByteArray Frame(const QByteArray& payload) {
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s.setVersion(QDataStream::Qt_6_0);
    s << quint32(payload.size());
    out.append(payload);
    return out;
}

WindowObject* LocalById(std::uint32_t id) {
    if (id == 0) {
        return nullptr;
    }
    for (WindowObject* w : qtb::AllWindows()) {
        if (w->wireId == id && (w->kind == WindowKind::TopLevel || w->kind == WindowKind::Dialog)) {
            return w;
        }
    }
    return nullptr;
}

std::uint32_t ActiveId() {
    QWidget* active = QApplication::activeWindow();
    WindowObject* w = active != nullptr ? qtb::FromWidget(active) : nullptr;
    if (w != nullptr && (w->kind == WindowKind::TopLevel || w->kind == WindowKind::Dialog)) {
        return w->wireId;
    }
    return 0;
}

qint64 Answer(const QByteArray& payload) {
    QDataStream in(payload);
    in.setVersion(QDataStream::Qt_6_0);
    quint8 op = 0;
    in >> op;
    switch (op) {
    case OpFind: {
        QString cls, title;
        bool hasTitle = false;
        in >> cls >> hasTitle >> title;
        std::u16string c = qtb::ToU16(cls), t = qtb::ToU16(title);
        WindowObject* w = qtb::FindLocal(c.c_str(), hasTitle ? t.c_str() : nullptr);
        return w != nullptr ? w->wireId : 0;
    }
    case OpSend:
    case OpPost: {
        quint32 id = 0, message = 0;
        quint64 wParam = 0;
        qint64 lParam = 0;
        in >> id >> message >> wParam >> lParam;
        WindowObject* w = LocalById(id);
        if (w == nullptr) {
            return 0;
        }
        if (op == OpPost) {
            qtb::Post(w, message, WParam(wParam), LParam(lParam));
            return 1;
        }
        return qint64(qtb::Send(w, message, WParam(wParam), LParam(lParam)));
    }
    case OpRaise: {
        quint32 id = 0;
        in >> id;
        WindowObject* w = LocalById(id);
        if (w == nullptr || w->frame == nullptr) {
            return 0;
        }
        // With a modal dialog or message box up, that is what comes forward.
        QWidget* target = QApplication::activeModalWidget();
        if (target == nullptr) {
            target = w->frame;
        }
        if (target->isMinimized()) {
            target->showNormal();
        }
        qtb::Raise(target);
        target->activateWindow();
        return 1;
    }
    case OpActive:
        return ActiveId();
    default:
        return 0;
    }
}

// Answers every whole request the connection has received.
void Serve(qtb::LocalConnection* c) {
    while (c->received.size() >= 4) {
        const QByteArray& in = c->received;
        quint32 length = (quint32(quint8(in[0])) << 24) | (quint32(quint8(in[1])) << 16) |
                         (quint32(quint8(in[2])) << 8) | quint32(quint8(in[3]));
        if (length > 65536) {
            c->Abort();
            return;
        }
        if (c->received.size() < qsizetype(4 + length)) {
            return;
        }
        QByteArray payload = c->received.mid(4, qsizetype(length));
        c->received.remove(0, qsizetype(4 + length));
        qint64 answer = Answer(payload);
        QByteArray reply;
        QDataStream s(&reply, QIODevice::WriteOnly);
        s.setVersion(QDataStream::Qt_6_0);
        s << answer;
        if (!c->WriteAll(Frame(reply), kAnswerMs)) {
            c->Abort();
            return;
        }
    }
}

qtb::LocalConnection* Connection(const QString& name) {
    auto it = g_connections.find(name);
    if (it != g_connections.end()) {
        return it->second.get();
    }
    std::unique_ptr<qtb::LocalConnection> connection = qtb::LocalConnection::Connect(name, kConnectMs);
    if (connection == nullptr) {
        return nullptr;
    }
    qtb::LocalConnection* raw = connection.get();
    g_connections[name] = std::move(connection);
    return raw;
}

bool Request(const QString& name, const QByteArray& payload, qint64* answer) {
    qtb::LocalConnection* connection = Connection(name);
    if (connection == nullptr) {
        return false;
    }
    char reply[12];  // the length, then the answer
    if (!connection->WriteAll(Frame(payload), kAnswerMs) ||
        !connection->ReadExactly(reply, sizeof reply, kAnswerMs)) {
        g_connections.erase(name);  // broken or gone: a new connection next time
        return false;
    }
    QDataStream in(QByteArray(reply + 4, 8));
    in.setVersion(QDataStream::Qt_6_0);
    qint64 value = 0;
    in >> value;
    *answer = value;
    return true;
}

QByteArray Payload(quint8 op, const std::function<void(QDataStream&)>& fill = {}) {
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s.setVersion(QDataStream::Qt_6_0);
    s << op;
    if (fill) {
        fill(s);
    }
    return out;
}

WindowObject* ProxyFor(const QString& name, std::uint32_t id, const std::u16string& className) {
    auto key = std::make_pair(name, id);
    auto it = g_proxies.find(key);
    if (it != g_proxies.end() && qtb::IsLive(it->second.get())) {
        return it->second.get();
    }
    if (it != g_proxies.end()) {
        (void)it->second.release();  // no longer live: whoever ended it freed it
    }
    auto proxy = std::make_unique<WindowObject>();
    WindowObject* w = proxy.get();
    w->kind = WindowKind::Proxy;
    w->className = className;
    w->server = name;
    w->remoteId = id;
    qtb::Register(w);
    g_proxies[key] = std::move(proxy);
    return w;
}

}  // namespace

namespace qtb {

std::string DisplayIdentity(const std::string& platformName, const char* x11Display,
                            const char* waylandDisplay) {
    if (platformName.empty() || platformName == "offscreen" || platformName == "minimal") {
        return {};
    }
    if (platformName == "wayland") {
        const std::string name = waylandDisplay != nullptr && *waylandDisplay ? waylandDisplay
                                                                              : "wayland-0";
        return "wayland " + name;
    }
    if (platformName == "xcb") {
        std::string name = x11Display != nullptr ? x11Display : "";
        // host:display.screen; the screen does not make another display.
        const std::size_t colon = name.rfind(':');
        const std::size_t dot = name.find('.', colon == std::string::npos ? 0 : colon);
        if (colon != std::string::npos && dot != std::string::npos) {
            name.erase(dot);
        }
        return "xcb " + name;
    }
    return platformName;
}

std::string SingleCopyName(unsigned userId, const std::u16string& className,
                           const std::string& display, const std::string& registryFile) {
    if (display.empty()) {
        return {};
    }
    std::string name = "tovanel-" + std::to_string(userId) + "-";
    for (char16_t c : className) {
        if ((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_' || c == u'-') {
            name += char(c);
        } else if (c >= u'A' && c <= u'Z') {
            name += char(c - u'A' + u'a');
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "%%%04x", unsigned(c));
            name += escaped;
        }
    }
    // The display and the registry file, folded into a short stamp (FNV-1a).
    std::uint64_t stamp = 14695981039346656037ull;
    for (const std::string* part : {&display, &registryFile}) {
        for (char c : *part) {
            stamp = (stamp ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        }
        stamp = (stamp ^ 0xFFu) * 1099511628211ull;
    }
    char hex[24];
    std::snprintf(hex, sizeof hex, "-%016llx", static_cast<unsigned long long>(stamp));
    return name + hex;
}

void ListenForClass(const std::u16string& className) {
    QString name = ServerName(className);
    if (name.isEmpty() || g_servers.count(name) != 0) {
        return;
    }
    // A copy that answers owns the name; a socket nobody answers is left
    // over from a crash, and the new socket takes its place.
    if (qtb::LocalConnection::Connect(name, 200) != nullptr) {
        return;
    }
    std::unique_ptr<qtb::LocalServer> server = qtb::LocalServer::Listen(name, Serve);
    if (server != nullptr) {
        g_servers[name] = std::move(server);
    }
}

WindowObject* FindRemote(const char16_t* className, const char16_t* title) {
    std::u16string cls = className;
    QString name = ServerName(cls);
    if (name.isEmpty() || g_servers.count(name) != 0) {
        return nullptr;  // no display to share, or this process is the running copy
    }
    qint64 id = 0;
    QByteArray payload = Payload(OpFind, [&](QDataStream& s) {
        s << qtb::ToQString(cls) << (title != nullptr) << qtb::ToQString(title);
    });
    if (!Request(name, payload, &id) || id <= 0) {
        return nullptr;
    }
    return ProxyFor(name, std::uint32_t(id), cls);
}

WindowObject* RemoteForeground() {
    std::vector<QString> names;
    for (const auto& [name, socket] : g_connections) {
        names.push_back(name);
    }
    for (const QString& name : names) {
        qint64 id = 0;
        if (Request(name, Payload(OpActive), &id) && id > 0) {
            return ProxyFor(name, std::uint32_t(id), std::u16string());
        }
    }
    return nullptr;
}

LResult RemoteSend(WindowObject* proxy, std::uint32_t message, WParam wParam, LParam lParam, bool post) {
    qint64 answer = 0;
    QByteArray payload = Payload(post ? OpPost : OpSend, [&](QDataStream& s) {
        s << quint32(proxy->remoteId) << quint32(message) << quint64(wParam) << qint64(lParam);
    });
    if (!Request(proxy->server, payload, &answer)) {
        return 0;
    }
    return LResult(answer);
}

bool RemoteRaise(WindowObject* proxy) {
    qint64 answer = 0;
    QByteArray payload = Payload(OpRaise, [&](QDataStream& s) { s << quint32(proxy->remoteId); });
    return Request(proxy->server, payload, &answer) && answer != 0;
}

void ShutdownSingleCopy() {
    g_servers.clear();
    g_connections.clear();
}

}  // namespace qtb

namespace testing {
void ShareOffscreenDisplay(bool share) { g_shareOffscreen = share; }
}  // namespace testing

}  // namespace plat
