// The message queue and loop on Qt, and painting.
//
// Input is posted to the program's own queue, size, activation and close
// requests are sent at once. GetMessage hands out queued messages, then
// pending paints, and runs Qt's event processing when there is nothing else
// to do.
#include <QAbstractEventDispatcher>
#include <QApplication>

#include <algorithm>
#include <deque>

#include "platform/host.h"
#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_internal.h"
#include "platform/window.h"

namespace plat {
namespace {

// A queued message; one made from a key event keeps the modifier keys that
// event recorded.
struct Queued {
    Message message;
    bool fromKey = false;
    Qt::KeyboardModifiers held;
};
std::deque<Queued> g_queue;
Qt::KeyboardModifiers g_keyModifiers;  // of the key message retrieved last
bool g_quit = false;
int g_quitCode = 0;
int g_waiting = 0;

// Key text for TranslateMessage, found through bits 16-23 of the key
// message's lParam.
struct KeyText {
    Window window = nullptr;
    std::uint32_t vk = 0;
    QString text;
};
KeyText g_keyTexts[256];
unsigned g_keySerial = 0;

std::string g_snapshotPath;      // from SnapshotWhenIdle; empty: none pending
bool g_snapshotWritten = false;
IdleCallback g_idleCallback = nullptr;
void* g_idleContext = nullptr;

// Finds a window that waits for WM_PAINT; owner-drawn buttons are drawn on
// the way.
WindowObject* PendingPaint() {
    std::vector<WindowObject*> windows = qtb::AllWindows();
    for (WindowObject* w : windows) {
        if (!qtb::IsLive(w) || !w->invalid) {
            continue;
        }
        if (w->kind == WindowKind::Control) {
            if (w->widget != nullptr && w->widget->isVisible()) {
                qtb::RedrawOwnerButton(w);
            }
            continue;
        }
        if ((w->kind == WindowKind::TopLevel || w->kind == WindowKind::Dialog) && w->frame != nullptr &&
            w->frame->isVisible()) {
            return w;
        }
    }
    return nullptr;
}

}  // namespace

namespace qtb {

void Validate(WindowObject* w) {
    w->invalid = false;
    w->erasePending = false;
    w->invalidRect = QRect();
}


LResult Send(WindowObject* w, std::uint32_t message, WParam wParam, LParam lParam) {
    if (!IsLive(w)) {
        return 0;
    }
    switch (w->kind) {
    case WindowKind::Proxy:
        return RemoteSend(w, message, wParam, lParam, false);
    case WindowKind::Dialog:
        return DialogSend(w, message, wParam, lParam);
    case WindowKind::Control:
        return ControlSend(w, message, wParam, lParam);
    case WindowKind::Bar:
        return BarSend(w, message, wParam, lParam);
    case WindowKind::TopLevel:
        break;
    }
    if (w->proc != nullptr) {
        return w->proc(w, message, wParam, lParam);
    }
    return DefWindowProc(w, message, wParam, lParam);
}

void Post(WindowObject* w, std::uint32_t message, WParam wParam, LParam lParam) {
    g_queue.push_back(Queued{Message{w, message, wParam, lParam}, false, {}});
    WakeLoop();
}

void PostKey(WindowObject* w, std::uint32_t message, WParam wParam, LParam lParam,
             Qt::KeyboardModifiers held) {
    g_queue.push_back(Queued{Message{w, message, wParam, lParam}, true, held});
    WakeLoop();
}

Qt::KeyboardModifiers KeyModifiers() { return g_keyModifiers; }

void SetKeyModifiers(Qt::KeyboardModifiers held) { g_keyModifiers = held; }

void WakeLoop() {
    if (g_waiting > 0) {
        if (QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance()) {
            d->wakeUp();
        }
    }
}

void DropMessagesFor(WindowObject* w) {
    g_queue.erase(std::remove_if(g_queue.begin(), g_queue.end(),
                                 [w](const Queued& q) { return q.message.window == w; }),
                  g_queue.end());
}

unsigned RememberKeyText(WindowObject* w, std::uint32_t vk, const QString& text) {
    unsigned serial = g_keySerial++ & 0xFF;
    g_keyTexts[serial] = KeyText{w, vk, text};
    return serial;
}

}  // namespace qtb

// ---- messages ------------------------------------------------------------

LResult SendMessage(Window w, std::uint32_t message, WParam wParam, LParam lParam) {
    return qtb::Send(w, message, wParam, lParam);
}

bool PostMessage(Window w, std::uint32_t message, WParam wParam, LParam lParam) {
    if (w != nullptr && !qtb::IsLive(w)) {
        return false;
    }
    if (w != nullptr && w->kind == WindowKind::Proxy) {
        return qtb::RemoteSend(w, message, wParam, lParam, true) != 0;
    }
    qtb::Post(w, message, wParam, lParam);
    return true;
}

void PostQuitMessage(int exitCode) {
    g_quit = true;
    g_quitCode = exitCode;
    qtb::WakeLoop();
}

// The pending snapshot of an unattended run: the first shown top-level
// window is saved and asked to close. True when it posted the close.
static bool TakeIdleSnapshot() {
    if (g_snapshotPath.empty()) {
        return false;
    }
    for (WindowObject* w : qtb::AllWindows()) {
        if (!qtb::IsLive(w) || w->kind != WindowKind::TopLevel || w->frame == nullptr || !w->frame->isVisible()) {
            continue;
        }
        g_snapshotWritten = SaveWindowImage(w, g_snapshotPath.c_str());
        g_snapshotPath.clear();
        PostMessage(w, WM_CLOSE, 0, 0);
        return true;
    }
    return false;
}

int GetMessage(Message* m) {
    if (m == nullptr || QCoreApplication::instance() == nullptr) {
        return -1;
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (;;) {
        if (!g_queue.empty()) {
            const Queued& next = g_queue.front();
            *m = next.message;
            if (next.fromKey) {
                g_keyModifiers = next.held;
            }
            g_queue.pop_front();
            return 1;
        }
        if (g_quit) {
            g_quit = false;
            *m = Message{nullptr, WM_QUIT, WParam(g_quitCode), 0};
            return 0;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (!g_queue.empty() || g_quit) {
            continue;
        }
        if (WindowObject* w = PendingPaint()) {
            *m = Message{w, WM_PAINT, 0, 0};
            return 1;
        }
        if (!g_queue.empty() || g_quit) {
            continue;  // an owner-drawn button's procedure posted something
        }
        if (TakeIdleSnapshot()) {
            continue;
        }
        if (g_idleCallback != nullptr) {
            IdleCallback callback = g_idleCallback;
            g_idleCallback = nullptr;
            callback(g_idleContext);
            continue;
        }
        ++g_waiting;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        --g_waiting;
    }
}

bool TranslateMessage(const Message* m) {
    if (m == nullptr || m->message != WM_KEYDOWN) {
        return false;
    }
    KeyText& entry = g_keyTexts[(std::uintptr_t(m->lParam) >> 16) & 0xFF];
    if (entry.window != m->window || entry.vk != m->wParam || entry.text.isEmpty()) {
        return false;
    }
    QString text = entry.text;
    entry = KeyText{};
    for (QChar c : text) {
        if (c.unicode() >= 0x20 || c.unicode() == 0x0D || c.unicode() == 0x08 || c.unicode() == 0x1B) {
            qtb::PostKey(m->window, WM_CHAR, c.unicode(), m->lParam, g_keyModifiers);
        }
    }
    return true;
}

LResult DispatchMessage(const Message* m) {
    if (m == nullptr || !qtb::IsLive(m->window)) {
        return 0;
    }
    WindowObject* w = m->window;
    if (m->message == WM_PAINT) {
        int begun = w->paintsBegun;
        LResult r = qtb::Send(w, WM_PAINT, m->wParam, m->lParam);
        if (qtb::IsLive(w) && w->paintsBegun == begun) {
            qtb::Validate(w);
        }
        return r;
    }
    return qtb::Send(w, m->message, m->wParam, m->lParam);
}

LResult DefWindowProc(Window w, std::uint32_t message, WParam wParam, LParam lParam) {
    if (!qtb::IsLive(w)) {
        return 0;
    }
    switch (message) {
    case WM_CLOSE:
        DestroyWindow(w);
        return 0;
    case WM_PAINT: {
        PaintStruct ps;
        BeginPaint(w, &ps);
        EndPaint(w, &ps);
        return 0;
    }
    case WM_ERASEBKGND: {
        if (w->image.isNull()) {
            return 0;
        }
        w->image.fill(qtb::BackgroundColour(w));
        qtb::Repaint(w);
        return 1;
    }
    case WM_SETTEXT: {
        auto* text = reinterpret_cast<const char16_t*>(lParam);
        w->text = text != nullptr ? text : u"";
        if (w->frame != nullptr) {
            w->frame->setWindowTitle(qtb::ToQString(w->text));
        }
        return 1;
    }
    case WM_GETTEXT:
        return qtb::CopyOut(w->text, reinterpret_cast<char16_t*>(lParam), int(wParam));
    case WM_GETTEXTLENGTH:
        return LResult(w->text.size());
    default:
        return 0;
    }
}

// ---- painting ------------------------------------------------------------

bool InvalidateRect(Window w, const Rect* rect, bool erase) {
    if (!qtb::IsLive(w) || w->kind == WindowKind::Proxy || w->kind == WindowKind::Bar) {
        return false;
    }
    if (w->kind == WindowKind::Control) {
        if (w->control && w->control->kind == ControlKind::OwnerDrawButton) {
            qtb::Invalidate(w, nullptr, erase);
        } else if (w->widget != nullptr) {
            w->widget->update();
        }
        return true;
    }
    if (rect == nullptr) {
        qtb::Invalidate(w, nullptr, erase);
    } else {
        QRect r(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
        qtb::Invalidate(w, &r, erase);
    }
    return true;
}

Dc GetDC(Window w) {
    auto* dc = new DcObject;
    if (w == nullptr) {
        dc->kind = DcObject::ScreenDc;
        return dc;
    }
    if (!qtb::IsLive(w) || w->kind == WindowKind::Proxy || w->kind == WindowKind::Bar) {
        delete dc;
        return nullptr;
    }
    dc->kind = DcObject::WindowDc;
    dc->window = w;
    return dc;
}

int ReleaseDC(Window, Dc dc) {
    if (dc == nullptr || (dc->kind != DcObject::WindowDc && dc->kind != DcObject::ScreenDc)) {
        return 0;
    }
    delete dc;
    return 1;
}

Dc BeginPaint(Window w, PaintStruct* paint) {
    if (!qtb::IsLive(w) || paint == nullptr) {
        return nullptr;
    }
    ++w->paintsBegun;
    Dc dc = GetDC(w);
    QRect area = w->invalid ? w->invalidRect : QRect();
    bool erase = w->erasePending;
    qtb::Validate(w);
    paint->dc = dc;
    paint->paint = Rect{area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
    paint->erase = false;
    if (erase && dc != nullptr) {
        paint->erase = qtb::Send(w, WM_ERASEBKGND, WParam(dc), 0) == 0;
    }
    return dc;
}

void EndPaint(Window w, const PaintStruct* paint) {
    if (paint != nullptr && paint->dc != nullptr) {
        ReleaseDC(w, paint->dc);
    }
}

void SnapshotWhenIdle(const char* pngPath) {
    g_snapshotPath = pngPath != nullptr ? pngPath : "";
    g_snapshotWritten = false;
}

bool SnapshotWritten() { return g_snapshotWritten; }

void CallWhenIdle(IdleCallback callback, void* context) {
    g_idleCallback = callback;
    g_idleContext = context;
}

namespace qt {

int QueuedMessages() { return int(g_queue.size()); }

}  // namespace qt
}  // namespace plat
