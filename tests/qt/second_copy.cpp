// Plays another start of the program for the single-copy tests.
//   second_copy find CLASS TITLE  looks for the running copy's window and
//                                 prints one "name value" line per finding
//   second_copy find-alone CLASS TITLE  the same as a start without a
//                                 display, which shares no display
//   second_copy serve CLASS       creates a window of that class, prints
//                                 "ready" and runs until killed
//   second_copy host ALLOW        starts the backend (offscreen allowed when
//                                 ALLOW is 1) and prints what it says
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/host.h"
#include "platform/qt/single_copy.h"
#include "platform/unicode.h"
#include "platform/window.h"

namespace {

void Say(const char* name, long long value) {
    std::printf("%s %lld\n", name, value);
    std::fflush(stdout);
}

int Find(const std::u16string& cls, const std::u16string& title) {
    plat::Window found = plat::FindWindow(cls.c_str(), title.c_str());
    Say("found", found != nullptr);
    if (found == nullptr) {
        return 0;
    }
    Say("class-only", plat::FindWindow(cls.c_str(), nullptr) == found);
    Say("wrong-title", plat::FindWindow(cls.c_str(), u"Not the title") == nullptr);
    Say("foreground-is-found", plat::GetForegroundWindow() == found);
    Say("no-parent", plat::GetParent(found) == nullptr);
    Say("send", plat::SendMessage(found, WM_COMMAND, 108, 0));
    Say("post", plat::PostMessage(found, WM_USER + 5, 9, 10));
    Say("raise", plat::SetForegroundWindow(found));
    return 0;
}

int Serve(const std::u16string& cls) {
    plat::WindowClass wc;
    wc.proc = plat::DefWindowProc;
    wc.className = cls.c_str();
    plat::RegisterClass(wc);
    if (plat::CreateWindowEx(0, cls.c_str(), u"Tovanel", WS_VISIBLE, 0, 0, 200, 150, nullptr, nullptr,
                             nullptr) == nullptr) {
        return 1;
    }
    Say("ready", 1);
    plat::Message m;
    while (plat::GetMessage(&m) > 0) {
        plat::DispatchMessage(&m);
    }
    return 0;
}

}  // namespace

int Host(int& argc, char** argv, bool allowOffscreen) {
    plat::HostStatus status = plat::Initialise(argc, argv, allowOffscreen);
    Say("status", int(status));
    std::printf("failure %s\n", plat::HostFailureText());
    std::printf("backend %s\n", plat::BackendName());
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    std::printf("platform %s\n", platform != nullptr ? platform : "-");
    std::u16string path = plat::GetModuleFileName();
    std::printf("module %s\n", plat::Utf16ToUtf8(path).c_str());
    std::fflush(stdout);
    plat::Shutdown();
    return 0;
}

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "host") == 0) {
        return Host(argc, argv, std::strcmp(argv[2], "1") == 0);
    }
    if (argc < 3 || plat::Initialise(argc, argv, true) == plat::HostStatus::Failed) {
        return 2;
    }
    std::u16string cls = plat::Utf8ToUtf16(argv[2]);
    int result = 2;
    const bool alone = std::strcmp(argv[1], "find-alone") == 0;
    plat::testing::ShareOffscreenDisplay(!alone);
    if ((alone || std::strcmp(argv[1], "find") == 0) && argc >= 4) {
        result = Find(cls, plat::Utf8ToUtf16(argv[3]));
    } else if (std::strcmp(argv[1], "serve") == 0) {
        result = Serve(cls);
    }
    plat::Shutdown();
    return result;
}
