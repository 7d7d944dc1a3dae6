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
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <unistd.h>

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

std::map<QString, QLocalServer*> g_servers;  // by socket name
std::map<QString, std::unique_ptr<QLocalSocket>> g_connections;
// Proxies stand for windows of another process; they are never destroyed
// as windows, so the table owns them for the life of the program.
std::map<std::pair<QString, std::uint32_t>, std::unique_ptr<WindowObject>> g_proxies;
std::map<QLocalSocket*, bool> g_busy;

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

void Serve(QLocalSocket* socket) {
    QPointer<QLocalSocket> guard(socket);
    if (g_busy[socket]) {
        return;  // a request of this socket is being answered further up
    }
    g_busy[socket] = true;
    while (guard != nullptr && socket->bytesAvailable() >= 4) {
        QByteArray head = socket->peek(4);
        quint32 length = (quint32(quint8(head[0])) << 24) | (quint32(quint8(head[1])) << 16) |
                         (quint32(quint8(head[2])) << 8) | quint32(quint8(head[3]));
        if (length > 65536) {
            socket->abort();
            break;
        }
        if (socket->bytesAvailable() < qint64(4 + length)) {
            break;
        }
        socket->read(4);
        QByteArray payload = socket->read(length);
        qint64 answer = Answer(payload);
        if (guard == nullptr) {
            break;
        }
        QByteArray reply;
        QDataStream s(&reply, QIODevice::WriteOnly);
        s.setVersion(QDataStream::Qt_6_0);
        s << answer;
        socket->write(Frame(reply));
        socket->flush();
    }
    if (guard != nullptr) {
        g_busy[socket] = false;
    }
}

QLocalSocket* Connection(const QString& name) {
    auto it = g_connections.find(name);
    if (it != g_connections.end() && it->second->state() == QLocalSocket::ConnectedState) {
        return it->second.get();
    }
    auto socket = std::make_unique<QLocalSocket>();
    socket->connectToServer(name);
    if (!socket->waitForConnected(kConnectMs)) {
        g_connections.erase(name);
        return nullptr;
    }
    QLocalSocket* raw = socket.get();
    g_connections[name] = std::move(socket);
    return raw;
}

bool Request(const QString& name, const QByteArray& payload, qint64* answer) {
    QLocalSocket* socket = Connection(name);
    if (socket == nullptr) {
        return false;
    }
    socket->write(Frame(payload));
    if (!socket->waitForBytesWritten(kAnswerMs)) {
        socket->abort();
        return false;
    }
    while (socket->bytesAvailable() < 12) {
        if (!socket->waitForReadyRead(kAnswerMs)) {
            socket->abort();
            return false;
        }
    }
    socket->read(4);
    QByteArray body = socket->read(8);
    QDataStream in(body);
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
    // over from a crash and goes.
    {
        QLocalSocket probe;
        probe.connectToServer(name);
        if (probe.waitForConnected(200)) {
            probe.abort();
            return;
        }
    }
    QLocalServer::removeServer(name);
    auto* server = new QLocalServer(QCoreApplication::instance());
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(name)) {
        delete server;
        return;
    }
    QObject::connect(server, &QLocalServer::newConnection, server, [server] {
        while (QLocalSocket* socket = server->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket] { Serve(socket); });
            QObject::connect(socket, &QLocalSocket::disconnected, socket, [socket] {
                g_busy.erase(socket);
                socket->deleteLater();
            });
            if (socket->bytesAvailable() > 0) {
                Serve(socket);
            }
        }
    });
    g_servers[name] = server;
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
    for (auto& [name, server] : g_servers) {
        server->close();
        delete server;
    }
    g_servers.clear();
    g_connections.clear();
}

}  // namespace qtb

namespace testing {
void ShareOffscreenDisplay(bool share) { g_shareOffscreen = share; }
}  // namespace testing

}  // namespace plat
