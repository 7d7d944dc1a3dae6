// One running copy: a second process finds the first one's window by class
// and title and talks to it through a proxy handle.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

#include <map>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/qt/local_socket.h"
#include "platform/qt/single_copy.h"
#include "platform/registry.h"
#include "platform/unicode.h"
#include "platform/window.h"
#include "support.h"

namespace {

std::vector<qt_test::Recorded> g_received;

plat::LResult RunningCopyProc(plat::Window w, std::uint32_t message, plat::WParam wParam, plat::LParam lParam) {
    if (message == WM_COMMAND || message == WM_USER + 5) {
        g_received.push_back(qt_test::Recorded{message, wParam, lParam, {}});
        return message == WM_COMMAND ? 1234 : 0;
    }
    return plat::DefWindowProc(w, message, wParam, lParam);
}

std::string ClassName(const char* stem) {
    return std::string(stem) + std::to_string(QCoreApplication::applicationPid());
}

// Runs the second copy while this process keeps its message loop going, so
// that it can answer; returns its findings by name.
std::map<std::string, long long> SecondCopy(const QStringList& arguments,
                                            const char* registryFile = nullptr) {
    QProcess process;
    if (registryFile != nullptr) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TOVANEL_REGISTRY"), QString::fromLocal8Bit(registryFile));
        process.setProcessEnvironment(env);
    }
    process.start(QStringLiteral(TOVANEL_SECOND_COPY), arguments);
    EXPECT_TRUE(process.waitForStarted(5000));
    EXPECT_TRUE(qt_test::RunLoopUntil([&] { return process.state() == QProcess::NotRunning; }, 20000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    std::map<std::string, long long> found;
    for (const QByteArray& line : process.readAllStandardOutput().split('\n')) {
        QList<QByteArray> parts = line.trimmed().split(' ');
        if (parts.size() == 2) {
            found[parts[0].toStdString()] = parts[1].toLongLong();
        }
    }
    return found;
}

plat::Window CreateRunningCopy(const std::u16string& cls) {
    plat::WindowClass wc;
    wc.proc = RunningCopyProc;
    wc.className = cls.c_str();
    plat::RegisterClass(wc);
    return plat::CreateWindowEx(0, cls.c_str(), u"Tovanel", WS_VISIBLE, 0, 0, 240, 200, nullptr, nullptr, nullptr);
}

TEST(SingleCopy, ASecondProcessFindsTheRunningWindowAndHandsItsRequestOver) {
    g_received.clear();
    std::string cls = ClassName("TovanelCopy");
    plat::Window window = CreateRunningCopy(plat::Utf8ToUtf16(cls));
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(qt_test::RunLoopUntil([&] { return plat::GetForegroundWindow() == window; }));

    auto found = SecondCopy({QStringLiteral("find"), QString::fromStdString(cls), QStringLiteral("Tovanel")});
    EXPECT_EQ(found["found"], 1);
    EXPECT_EQ(found["class-only"], 1);
    EXPECT_EQ(found["wrong-title"], 1);
    EXPECT_EQ(found["foreground-is-found"], 1) << "the running copy is in front and says so";
    EXPECT_EQ(found["no-parent"], 1);
    EXPECT_EQ(found["send"], 1234) << "the procedure's result comes back";
    EXPECT_EQ(found["post"], 1);
    EXPECT_EQ(found["raise"], 1);

    qt_test::Drain();
    ASSERT_EQ(g_received.size(), 2u);
    EXPECT_EQ(g_received[0].message, WM_COMMAND);
    EXPECT_EQ(g_received[0].wParam, 108u);
    EXPECT_EQ(g_received[1].message, WM_USER + 5);
    EXPECT_EQ(g_received[1].wParam, 9u);
    EXPECT_EQ(g_received[1].lParam, 10);

    // Another title of the same class is not there.
    found = SecondCopy({QStringLiteral("find"), QString::fromStdString(cls), QStringLiteral("Other")});
    EXPECT_EQ(found["found"], 0);
    plat::DestroyWindow(window);
}

TEST(SingleCopy, ACopyThatCrashedLeavesNothingThatBlocksTheNextOne) {
    std::string cls = ClassName("TovanelCrash");
    QProcess crashed;
    crashed.start(QStringLiteral(TOVANEL_SECOND_COPY), {QStringLiteral("serve"), QString::fromStdString(cls)});
    ASSERT_TRUE(crashed.waitForStarted(5000));
    ASSERT_TRUE(crashed.waitForReadyRead(10000));
    EXPECT_EQ(crashed.readLine().trimmed(), QByteArray("ready 1"));
    crashed.kill();  // no orderly exit: its socket stays behind
    crashed.waitForFinished(5000);

    auto found = SecondCopy({QStringLiteral("find"), QString::fromStdString(cls), QStringLiteral("Tovanel")});
    EXPECT_EQ(found["found"], 0) << "a dead copy answers nothing";

    g_received.clear();
    plat::Window window = CreateRunningCopy(plat::Utf8ToUtf16(cls));
    ASSERT_NE(window, nullptr);
    found = SecondCopy({QStringLiteral("find"), QString::fromStdString(cls), QStringLiteral("Tovanel")});
    EXPECT_EQ(found["found"], 1) << "the new copy took the name over";
    EXPECT_EQ(found["send"], 1234);
    plat::DestroyWindow(window);
}

TEST(SingleCopy, OnlyACopyWithTheSameRegistryFileOnTheSameDisplayIsTheSameCopy) {
    g_received.clear();
    std::string cls = ClassName("TovanelWhich");
    plat::Window window = CreateRunningCopy(plat::Utf8ToUtf16(cls));
    ASSERT_NE(window, nullptr);
    const QStringList find = {QStringLiteral("find"), QString::fromStdString(cls),
                              QStringLiteral("Tovanel")};
    // The same file under another spelling is the same file.
    const std::string same = std::string(plat::RegistryFilePath());
    const std::size_t slash = same.rfind('/');
    const std::string respelt = same.substr(0, slash) + "/./" + same.substr(slash + 1);
    EXPECT_EQ(SecondCopy(find, respelt.c_str())["found"], 1);
    EXPECT_EQ(SecondCopy(find, "/tmp/another-tovanel-registry.reg")["found"], 0);
    // A start without a display keeps to itself.
    EXPECT_EQ(SecondCopy({QStringLiteral("find-alone"), QString::fromStdString(cls),
                          QStringLiteral("Tovanel")})["found"],
              0);
    qt_test::Drain();
    EXPECT_EQ(g_received.size(), 2u) << "only the copy that found it sent its two messages";
    plat::DestroyWindow(window);
}

// The socket the running copy listens on, found by its name's beginning.
QString SocketOf(const std::string& cls) {
    QString lower = QString::fromStdString(cls).toLower();
    const QString stem = QStringLiteral("tovanel-%1-%2-").arg(::getuid()).arg(lower);
    const QStringList found = QDir(QDir::tempPath()).entryList({stem + QLatin1Char('*')}, QDir::System);
    return found.size() == 1 ? found.first() : QString();
}

TEST(SingleCopy, TheSocketIsPrivateAndABrokenOrOversizedRequestOnlyEndsItsOwnConnection) {
    g_received.clear();
    std::string cls = ClassName("TovanelGuard");
    plat::Window window = CreateRunningCopy(plat::Utf8ToUtf16(cls));
    ASSERT_NE(window, nullptr);
    const QString name = SocketOf(cls);
    ASSERT_FALSE(name.isEmpty()) << "no socket for the running copy";
    struct stat info {};
    ASSERT_EQ(::stat(plat::qtb::LocalSocketPath(name).c_str(), &info), 0);
    EXPECT_TRUE(S_ISSOCK(info.st_mode));
    EXPECT_EQ(info.st_mode & 077, 0u) << "other users may not connect";

    // A frame that announces more than any request may hold, one cut off
    // in the middle, and one that is not a request at all.
    auto oversized = plat::qtb::LocalConnection::Connect(name, 1000);
    ASSERT_NE(oversized, nullptr);
    ASSERT_TRUE(oversized->WriteAll(QByteArray("\x7f\xff\xff\xff", 4) + QByteArray(64, 'x'), 1000));
    auto cut = plat::qtb::LocalConnection::Connect(name, 1000);
    ASSERT_NE(cut, nullptr);
    ASSERT_TRUE(cut->WriteAll(QByteArray("\0\0\0\x20\x02\0", 6), 1000));
    cut.reset();
    auto nonsense = plat::qtb::LocalConnection::Connect(name, 1000);
    ASSERT_NE(nonsense, nullptr);
    ASSERT_TRUE(nonsense->WriteAll(QByteArray("\0\0\0\x03\x63\x63\x63", 7), 1000));
    char reply[12];
    bool answered = false;
    qt_test::RunLoopUntil([&] {
        answered = answered || nonsense->ReadExactly(reply, sizeof reply, 0);
        return answered;
    });
    ASSERT_TRUE(answered) << "an unknown request is answered with 0";
    EXPECT_EQ(QByteArray(reply + 4, 8), QByteArray(8, '\0'));
    bool dropped = false;
    qt_test::RunLoopUntil([&] {
        char byte;
        dropped = dropped || (!oversized->ReadExactly(&byte, 1, 0) && !oversized->WriteAll("x", 0));
        return dropped;
    });
    EXPECT_TRUE(dropped) << "the connection with the oversized frame was ended";

    auto found = SecondCopy({QStringLiteral("find"), QString::fromStdString(cls), QStringLiteral("Tovanel")});
    EXPECT_EQ(found["found"], 1) << "the running copy still answers";
    EXPECT_EQ(found["send"], 1234);
    plat::DestroyWindow(window);
}

TEST(SingleCopy, TheDisplayIsNamedWithoutItsScreen) {
    using plat::qtb::DisplayIdentity;
    EXPECT_EQ(DisplayIdentity("offscreen", ":0", nullptr), "");
    EXPECT_EQ(DisplayIdentity("xcb", ":0", nullptr), DisplayIdentity("xcb", ":0.0", nullptr));
    EXPECT_EQ(DisplayIdentity("xcb", "host:10.1", nullptr), "xcb host:10");
    EXPECT_NE(DisplayIdentity("xcb", ":0", nullptr), DisplayIdentity("xcb", ":1", nullptr));
    EXPECT_NE(DisplayIdentity("wayland", nullptr, "wayland-1"),
              DisplayIdentity("wayland", nullptr, "wayland-0"));

    using plat::qtb::SingleCopyName;
    const std::string base = SingleCopyName(1000, u"Tovanel", "xcb :0", "/home/a/r.reg");
    EXPECT_EQ(base.rfind("tovanel-1000-tovanel-", 0), 0u) << base;
    EXPECT_EQ(SingleCopyName(1000, u"Tovanel", "xcb :0", "/home/a/r.reg"), base);
    EXPECT_NE(SingleCopyName(1001, u"Tovanel", "xcb :0", "/home/a/r.reg"), base);
    EXPECT_NE(SingleCopyName(1000, u"Tovanel", "xcb :1", "/home/a/r.reg"), base);
    EXPECT_NE(SingleCopyName(1000, u"Tovanel", "xcb :0", "/home/b/r.reg"), base);
    EXPECT_EQ(SingleCopyName(1000, u"Tovanel", "", "/home/a/r.reg"), "");
}

}  // namespace
