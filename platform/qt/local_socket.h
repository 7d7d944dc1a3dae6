// Local (Unix-domain) stream sockets for the single-copy channel: a server
// whose connections the Qt event loop watches, and a client that waits for
// its answer with a time limit. Plain POSIX sockets, so the program needs
// no networking library for a channel that never leaves the machine.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QSocketNotifier;

namespace plat::qtb {

// Where the socket of `name` lives: the temporary folder (TMPDIR or /tmp).
std::string LocalSocketPath(const QString& name);

// One end of a connection. A client's end is used with the blocking calls;
// a server's end collects what arrives in `received` as the loop reports it.
class LocalConnection {
public:
    explicit LocalConnection(int fd);
    ~LocalConnection();
    LocalConnection(const LocalConnection&) = delete;
    LocalConnection& operator=(const LocalConnection&) = delete;

    // Connects to the server of `name`; null when nobody listens there or
    // it does not accept within `timeoutMs`.
    static std::unique_ptr<LocalConnection> Connect(const QString& name, int timeoutMs);

    // Writes all of `bytes`; false when the peer is gone or too slow.
    bool WriteAll(const QByteArray& bytes, int timeoutMs);
    // Reads exactly `count` bytes, each arrival waited for up to `timeoutMs`.
    bool ReadExactly(char* out, std::size_t count, int timeoutMs);
    // Appends what can be read now to `received`; false once the peer has
    // closed its end or the connection failed.
    bool ReadAvailable();
    // Ends a connection whose peer breaks the protocol: nothing more is
    // read or answered, and the server lets it go.
    void Abort();

    QByteArray received;
    bool busy = false;         // a request of this connection is being answered
    bool peerClosed = false;   // nothing more will arrive

private:
    friend class LocalServer;
    int fd_;
    QSocketNotifier* notifier_ = nullptr;  // server side only; owned through Qt
};

// Listens on the socket of `name`, open to this user only; a socket file
// left there by a copy that is gone is replaced. `readable` is
// called (from the event loop) whenever a connection has something new or
// was closed by its peer; it may run the loop again inside.
class LocalServer {
public:
    using Readable = std::function<void(LocalConnection*)>;
    // Null when the socket could not be made (a path too long, a folder not
    // writable).
    static std::unique_ptr<LocalServer> Listen(const QString& name, Readable readable);
    ~LocalServer();
    LocalServer(const LocalServer&) = delete;
    LocalServer& operator=(const LocalServer&) = delete;

private:
    LocalServer(int fd, std::string path, Readable readable);
    void Accept();
    void Serve(LocalConnection* connection);

    int fd_;
    std::string path_;
    Readable readable_;
    QSocketNotifier* notifier_;
    std::vector<std::unique_ptr<LocalConnection>> connections_;
};

}  // namespace plat::qtb
