// Local stream sockets on POSIX, watched by QSocketNotifier.
#include "platform/qt/local_socket.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace plat::qtb {
namespace {

using Clock = std::chrono::steady_clock;

// The address of `path`; false when the path does not fit in one.
bool Address(const std::string& path, sockaddr_un* address) {
    std::memset(address, 0, sizeof *address);
    address->sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address->sun_path) {
        return false;
    }
    std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
    return true;
}

int NewSocket() { return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0); }

// Whether the process at the other end runs as this user: requests may
// send the reader commands, and a socket of another user's at our name
// must not receive ours.
bool PeerIsThisUser(int fd) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::getuid();
}

// Waits up to `timeoutMs` for `events` on `fd`.
bool Wait(int fd, short events, int timeoutMs) {
    pollfd entry{fd, events, 0};
    for (;;) {
        const int ready = ::poll(&entry, 1, timeoutMs);
        if (ready > 0) {
            return true;
        }
        if (ready == 0 || errno != EINTR) {
            return false;
        }
    }
}

}  // namespace

std::string LocalSocketPath(const QString& name) {
    return QFile::encodeName(QDir::tempPath() + QLatin1Char('/') + name).toStdString();
}

// ---- connections ------------------------------------------------------------

LocalConnection::LocalConnection(int fd) : fd_(fd) {}

LocalConnection::~LocalConnection() {
    if (notifier_ != nullptr) {
        // Possibly inside the notifier's own signal: it goes once that returns.
        notifier_->setEnabled(false);
        notifier_->deleteLater();
    }
    ::close(fd_);
}

std::unique_ptr<LocalConnection> LocalConnection::Connect(const QString& name, int timeoutMs) {
    sockaddr_un address;
    if (!Address(LocalSocketPath(name), &address)) {
        return nullptr;
    }
    const int fd = NewSocket();
    if (fd < 0) {
        return nullptr;
    }
    auto connection = std::make_unique<LocalConnection>(fd);
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            return PeerIsThisUser(fd) ? std::move(connection) : nullptr;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno == EINPROGRESS) {
            int error = 0;
            socklen_t size = sizeof error;
            const bool done = Wait(fd, POLLOUT, timeoutMs) &&
                              ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
            if (!done || !PeerIsThisUser(fd)) {
                return nullptr;
            }
            return connection;
        }
        // A full backlog: the server is there but busy; try again shortly.
        if (errno != EAGAIN || Clock::now() >= deadline) {
            return nullptr;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool LocalConnection::WriteAll(const QByteArray& bytes, int timeoutMs) {
    std::size_t sent = 0;
    const auto total = std::size_t(bytes.size());
    while (sent < total) {
        const ssize_t n = ::send(fd_, bytes.constData() + sent, total - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += std::size_t(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!Wait(fd_, POLLOUT, timeoutMs)) {
                return false;
            }
        } else {
            return false;
        }
    }
    return true;
}

bool LocalConnection::ReadExactly(char* out, std::size_t count, int timeoutMs) {
    std::size_t got = 0;
    while (got < count) {
        const ssize_t n = ::recv(fd_, out + got, count - got, MSG_DONTWAIT);
        if (n > 0) {
            got += std::size_t(n);
        } else if (n == 0) {
            return false;  // the peer closed its end
        } else if (errno == EINTR) {
            continue;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (!Wait(fd_, POLLIN, timeoutMs)) {
                return false;
            }
        } else {
            return false;
        }
    }
    return true;
}

bool LocalConnection::ReadAvailable() {
    char chunk[4096];
    for (;;) {
        const ssize_t n = ::recv(fd_, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n > 0) {
            received.append(chunk, qsizetype(n));
        } else if (n == 0) {
            return false;
        } else if (errno == EINTR) {
            continue;
        } else {
            return errno == EAGAIN || errno == EWOULDBLOCK;
        }
    }
}

void LocalConnection::Abort() {
    peerClosed = true;
    received.clear();
    if (notifier_ != nullptr) {
        notifier_->setEnabled(false);
    }
    ::shutdown(fd_, SHUT_RDWR);
}

// ---- the server ---------------------------------------------------------------

std::unique_ptr<LocalServer> LocalServer::Listen(const QString& name, Readable readable) {
    const std::string path = LocalSocketPath(name);
    sockaddr_un final;
    if (!Address(path, &final)) {
        return nullptr;
    }
    // The socket is made in a folder only this user can enter, closed to
    // everyone else, and only then moved to its name: at no moment can
    // another user connect to it.
    std::string folder = QFile::encodeName(QDir::tempPath()).toStdString() + "/tovanel-socket-XXXXXX";
    if (::mkdtemp(folder.data()) == nullptr) {
        return nullptr;
    }
    const std::string inside = folder + "/s";
    sockaddr_un address;
    const int fd = Address(inside, &address) ? NewSocket() : -1;
    bool ready = fd >= 0 &&
                 ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
                 ::chmod(inside.c_str(), S_IRUSR | S_IWUSR) == 0 && ::listen(fd, 16) == 0 &&
                 ::rename(inside.c_str(), path.c_str()) == 0;
    ::unlink(inside.c_str());  // still there only when something failed
    ::rmdir(folder.c_str());
    if (!ready) {
        if (fd >= 0) {
            ::close(fd);
        }
        return nullptr;
    }
    return std::unique_ptr<LocalServer>(new LocalServer(fd, path, std::move(readable)));
}

LocalServer::LocalServer(int fd, std::string path, Readable readable)
    : fd_(fd), path_(std::move(path)), readable_(std::move(readable)),
      notifier_(new QSocketNotifier(qintptr(fd), QSocketNotifier::Read)) {
    QObject::connect(notifier_, &QSocketNotifier::activated, notifier_, [this] { Accept(); });
}

LocalServer::~LocalServer() {
    connections_.clear();
    delete notifier_;
    ::close(fd_);
    ::unlink(path_.c_str());
}

void LocalServer::Accept() {
    for (;;) {
        const int fd = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;  // nothing more waiting (or a failed accept, nothing to do)
        }
        if (!PeerIsThisUser(fd)) {
            ::close(fd);
            continue;
        }
        auto connection = std::make_unique<LocalConnection>(fd);
        LocalConnection* c = connection.get();
        // Parented to the application so that one still pending deletion at
        // the very end goes with it.
        c->notifier_ = new QSocketNotifier(qintptr(fd), QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(c->notifier_, &QSocketNotifier::activated, c->notifier_, [this, c] { Serve(c); });
        connections_.push_back(std::move(connection));
        Serve(c);
    }
}

void LocalServer::Serve(LocalConnection* c) {
    // What arrives is taken in at once, even while an earlier request of the
    // connection is answered further up, so that the loop is not woken for
    // it again and again.
    if (!c->peerClosed && !c->ReadAvailable()) {
        c->peerClosed = true;
        c->notifier_->setEnabled(false);
    }
    if (c->busy) {
        return;
    }
    c->busy = true;
    readable_(c);
    c->busy = false;
    if (c->peerClosed) {
        auto found = std::find_if(connections_.begin(), connections_.end(),
                                  [c](const std::unique_ptr<LocalConnection>& o) { return o.get() == c; });
        if (found != connections_.end()) {
            connections_.erase(found);
        }
    }
}

}  // namespace plat::qtb
