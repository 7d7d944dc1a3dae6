// The program host: the display check, the program's own path, the real
// date and the zone's Windows-style name.
#include <gtest/gtest.h>

#include <QDate>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QFile>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <map>
#include <string>

#include "platform/common/backend_hooks.h"
#include "platform/host.h"
#include "platform/unicode.h"
#include "platform/window.h"

namespace {

std::map<std::string, std::string> StartWithoutDisplay(const char* allowOffscreen) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(TOVANEL_SECOND_COPY), {QStringLiteral("host"), QString::fromLatin1(allowOffscreen)});
    EXPECT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitCode(), 0);
    std::map<std::string, std::string> said;
    for (const QByteArray& line : process.readAllStandardOutput().split('\n')) {
        int space = int(line.indexOf(' '));
        if (space > 0) {
            said[line.left(space).toStdString()] = line.mid(space + 1).toStdString();
        }
    }
    return said;
}

TEST(Host, WithoutADisplayItSaysSoPlainlyOrRendersOffscreen) {
    auto refused = StartWithoutDisplay("0");
    EXPECT_EQ(refused["status"], std::to_string(int(plat::HostStatus::Failed)));
    EXPECT_EQ(refused["failure"], "no display: DISPLAY is not set");
    EXPECT_EQ(refused["platform"], "-");

    auto offscreen = StartWithoutDisplay("1");
    EXPECT_EQ(offscreen["status"], std::to_string(int(plat::HostStatus::Offscreen)));
    EXPECT_EQ(offscreen["platform"], "offscreen");
    EXPECT_NE(offscreen["module"].find("test_qt_second_copy"), std::string::npos);
}

TEST(Host, NamesItselfAndItsProgramFile) {
    EXPECT_STREQ(plat::BackendName(), "qt");
    std::string path = plat::Utf16ToUtf8(plat::GetModuleFileName());
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    EXPECT_NE(path.find("test_qt"), std::string::npos);
    plat::OsVersion v = plat::GetVersion();
    EXPECT_EQ(v.major, 4);
    EXPECT_EQ(v.minor, 20);
}

TEST(Host, WindowsNameTheInstalledMenuEntry) {
    // The desktop matches windows to the entry of this name; it must be the
    // file the installation puts in share/applications.
    const QString id = QGuiApplication::desktopFileName();
    ASSERT_FALSE(id.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(QStringLiteral(TOVANEL_SOURCE_DIR "/dist/") + id +
                                  QStringLiteral(".desktop")))
        << id.toStdString();
}

TEST(Host, TheRealDateAndTheZoneNameComeFromTheSystem) {
    plat::LocalDate today = plat::backend::LocalDateNow();
    QDate now = QDate::currentDate();
    EXPECT_EQ(QDate(today.year, today.month, today.day), now);

    QByteArray saved = qgetenv("TZ");
    const std::pair<const char*, std::u16string> zones[] = {
        {"Asia/Jerusalem", u"Israel Standard Time"},
        {"Asia/Tel_Aviv", u"Israel Standard Time"},
        {"Israel", u"Israel Standard Time"},
        {"America/New_York", u"Eastern Standard Time"},
        {"Europe/London", u"GMT Standard Time"},
    };
    for (const auto& [iana, windows] : zones) {
        qputenv("TZ", iana);
        char16_t name[32] = {u'x'};
        ASSERT_TRUE(plat::backend::ZoneStandardName(name)) << iana;
        EXPECT_EQ(std::u16string(name), windows) << iana;
    }
    if (saved.isNull()) {
        qunsetenv("TZ");
    } else {
        qputenv("TZ", saved);
    }
}

#ifdef TOVANEL_PROGRAM
struct ProgramRun {
    int exitCode = -1;
    QByteArray out, err;
};

// The reader itself, started without a display, with settings and a runtime
// folder of its own; an empty `snapshot` leaves TOVANEL_SNAPSHOT unset.
ProgramRun RunWithoutDisplay(const QString& snapshot, const QString& runtime) {
    QTemporaryDir folder;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("TOVANEL_REGISTRY"), folder.filePath(QStringLiteral("registry.reg")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    env.remove(QStringLiteral("TOVANEL_SNAPSHOT"));
    if (!snapshot.isEmpty()) env.insert(QStringLiteral("TOVANEL_SNAPSHOT"), snapshot);
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(TOVANEL_PROGRAM), {});
    EXPECT_TRUE(process.waitForFinished(30000));
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

TEST(Host, WithoutADisplayTheReaderSaysWhereItsPictureWentOrFailsLoudly) {
    QTemporaryDir folder;
    const QString picture = folder.filePath(QStringLiteral("window.png"));
    ProgramRun drawn = RunWithoutDisplay(picture, folder.path());
    EXPECT_EQ(drawn.exitCode, 0) << drawn.err.toStdString();
    EXPECT_TRUE(QFile::exists(picture));
    EXPECT_TRUE(drawn.out.contains(picture.toUtf8())) << drawn.out.toStdString();
    EXPECT_TRUE(drawn.err.isEmpty()) << drawn.err.toStdString();

    ProgramRun failed =
        RunWithoutDisplay(folder.filePath(QStringLiteral("no-such-folder/w.png")), folder.path());
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.err.contains("could not write")) << failed.err.toStdString();
    EXPECT_FALSE(failed.out.contains("window")) << failed.out.toStdString();
}

// Without TOVANEL_SNAPSHOT the picture goes to the user's own runtime
// folder, so users of one machine never share (or block) one file.
TEST(Host, WithoutADisplayTheDefaultPictureIsTheUsersOwn) {
    QTemporaryDir runtime;
    const QString expected = runtime.filePath(QStringLiteral("tovanel-window.png"));
    ProgramRun drawn = RunWithoutDisplay(QString(), runtime.path());
    EXPECT_EQ(drawn.exitCode, 0) << drawn.err.toStdString();
    EXPECT_TRUE(QFile::exists(expected));
    EXPECT_TRUE(drawn.out.contains(expected.toUtf8())) << drawn.out.toStdString();
}
#endif

}  // namespace
