// Shared pieces of the Qt backend tests: a message loop that runs until a
// condition holds, and a recorder of the messages a window procedure saw.
#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

#include "platform/gdi.h"
#include "platform/window.h"

namespace qt_test {

constexpr std::uint32_t kTick = WM_USER + 0x3F0;

// Dispatches messages until `done` holds or `ms` milliseconds have passed.
// A ticking timer keeps GetMessage from waiting forever.
inline bool RunLoopUntil(const std::function<bool()>& done, int ms = 3000) {
    QElapsedTimer clock;
    clock.start();
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [] { plat::PostMessage(nullptr, kTick, 0, 0); });
    ticker.start();
    while (!done() && clock.elapsed() < ms) {
        plat::Message m;
        if (plat::GetMessage(&m) <= 0) {
            break;
        }
        plat::TranslateMessage(&m);
        plat::DispatchMessage(&m);
    }
    return done();
}

// Dispatches what is queued now.
inline void Drain() {
    constexpr std::uint32_t kSentinel = WM_USER + 0x3F1;
    plat::PostMessage(nullptr, kSentinel, 0, 0);
    for (;;) {
        plat::Message m;
        if (plat::GetMessage(&m) <= 0 || m.message == kSentinel) {
            return;
        }
        plat::TranslateMessage(&m);
        plat::DispatchMessage(&m);
    }
}

struct Recorded {
    std::uint32_t message;
    plat::WParam wParam;
    plat::LParam lParam;
    plat::Rect client;  // the client rectangle when the message came
};

// A unique class name for each window class a test registers.
inline std::u16string UniqueClass(const char16_t* stem) {
    static int counter = 0;
    std::u16string name = stem;
    for (char c : std::to_string(++counter)) {
        name.push_back(char16_t(c));
    }
    return name;
}

// The number of pixels that differ between two images of the same size.
inline int DifferentPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) {
        return -1;
    }
    int n = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y)) {
                ++n;
            }
        }
    }
    return n;
}

// Pixels darker than mid grey: the ink of black text on white.
inline int InkPixels(const QImage& image, const QRect& area) {
    int n = 0;
    QRect r = area & image.rect();
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            if (qGray(image.pixel(x, y)) < 128) {
                ++n;
            }
        }
    }
    return n;
}

}  // namespace qt_test
