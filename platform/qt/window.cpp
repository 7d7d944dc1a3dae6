// Windows on Qt: window classes, the registry of live windows and the
// widgets behind them, creating, showing, moving and destroying windows.
//
// A top-level window is a frame widget holding the client widget (which
// shows the backing image) and, with WS_VSCROLL, a scroll bar at its right
// outside the client area (scroll_bar.cpp). The widgets' events become
// messages in widgets.cpp; the queue and the loop are in message_loop.cpp.
#include <QApplication>
#include <QScreen>
#include <QScrollBar>
#include <QWindow>

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "platform/host.h"
#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_internal.h"
#include "platform/unicode.h"
#include "platform/window.h"

namespace plat {
namespace {

struct ClassRecord {
    WindowClass wc;
    std::u16string name;
};

std::vector<std::unique_ptr<ClassRecord>> g_classes;
std::vector<WindowObject*> g_windows;  // live windows in creation order
std::unordered_set<const WindowObject*> g_live;
std::unordered_map<const QWidget*, WindowObject*> g_widgets;
std::uint32_t g_nextWireId = 1;

const ClassRecord* FindClass(const char16_t* name) {
    if (name == nullptr) {
        return nullptr;
    }
    for (const auto& c : g_classes) {
        if (U16EqualNoCase(c->name, name)) {
            return c.get();
        }
    }
    return nullptr;
}

QSize g_defaultSize;  // from SetDefaultWindowSize; empty: our own choice

QRect DefaultGeometry() {
    QScreen* screen = QGuiApplication::primaryScreen();
    QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 800, 600);
    int w = std::min(480, area.width());
    int h = std::min(640, std::max(200, area.height() - 40));
    if (!g_defaultSize.isEmpty()) {
        w = g_defaultSize.width();
        h = g_defaultSize.height();
    }
    return QRect(area.x() + (area.width() - w) / 2, area.y() + (area.height() - h) / 2, w, h);
}

QIcon ClassIcon(const WindowClass& wc) {
    QIcon icon;
    if (wc.iconId == 0) {
        return icon;
    }
    auto* res = static_cast<const IconResource*>(FindResourceObject(wc.module, RT_ICON, wc.iconId));
    if (res == nullptr) {
        return icon;
    }
    for (int i = 0; i < res->imageCount; ++i) {
        const BitmapResource& b = res->images[i];
        if (b.width > 0 && b.height > 0 && b.pixels != nullptr) {
            icon.addPixmap(QPixmap::fromImage(qtb::BitmapImage(b, true)));
        }
    }
    return icon;
}

void Unregister(WindowObject* w) {
    g_live.erase(w);
    g_windows.erase(std::remove(g_windows.begin(), g_windows.end(), w), g_windows.end());
    for (auto it = g_widgets.begin(); it != g_widgets.end();) {
        it = it->second == w ? g_widgets.erase(it) : std::next(it);
    }
    qtb::DropMessagesFor(w);
}

}  // namespace

namespace qtb {

bool IsLive(const WindowObject* w) { return w != nullptr && g_live.count(w) != 0; }

void Register(WindowObject* w) {
    g_live.insert(w);
    g_windows.push_back(w);
    w->wireId = g_nextWireId++;
    if (w->frame != nullptr) {
        g_widgets[w->frame] = w;
    }
    if (w->client != nullptr) {
        g_widgets[w->client] = w;
    }
    if (w->widget != nullptr) {
        g_widgets[w->widget] = w;
    }
}

void MapWidget(const QWidget* widget, WindowObject* w) { g_widgets[widget] = w; }

WindowObject* FromWidget(const QWidget* widget) {
    auto it = g_widgets.find(widget);
    return it != g_widgets.end() ? it->second : nullptr;
}

const std::vector<WindowObject*>& AllWindows() { return g_windows; }

void DestroyWidgets(WindowObject* w) {
    if (w->kind == WindowKind::Control) {
        DetachControl(w);
    }
    QWidget* top = w->frame != nullptr ? static_cast<QWidget*>(w->frame.data()) : w->widget.data();
    if (w->frame != nullptr) {
        w->frame->win = nullptr;
    }
    if (w->client != nullptr) {
        w->client->win = nullptr;
    }
    if (top != nullptr) {
        top->blockSignals(true);
        for (QObject* o : top->findChildren<QObject*>()) {
            o->blockSignals(true);
        }
        top->hide();
        top->deleteLater();
    }
    w->client = nullptr;
    w->scroll = nullptr;
}

}  // namespace qtb

// ---- classes and windows -------------------------------------------------

bool RegisterClass(const WindowClass& wc) {
    if (wc.className == nullptr || wc.className[0] == 0 || FindClass(wc.className) != nullptr) {
        return false;
    }
    auto record = std::make_unique<ClassRecord>();
    record->wc = wc;
    record->name = wc.className;
    record->wc.className = record->name.c_str();
    g_classes.push_back(std::move(record));
    return true;
}

Window CreateWindowEx(std::uint32_t exStyle, const char16_t* className, const char16_t* title,
                      std::uint32_t style, int x, int y, int width, int height, Window parent,
                      const Module*, void* createParam) {
    const ClassRecord* cls = FindClass(className);
    if (cls == nullptr || QCoreApplication::instance() == nullptr) {
        return nullptr;
    }
    auto* w = new WindowObject;
    w->kind = WindowKind::TopLevel;
    w->className = cls->name;
    w->text = title != nullptr ? title : u"";
    w->proc = cls->wc.proc;
    w->style = style;
    w->exStyle = exStyle;
    w->backgroundBrush = cls->wc.backgroundBrush;
    w->parent = qtb::IsLive(parent) && parent->kind != WindowKind::Proxy ? parent : nullptr;

    QWidget* ownerFrame = w->parent != nullptr ? w->parent->frame.data() : nullptr;
    w->frame = new qtb::FrameWidget(w, ownerFrame, Qt::Window);
    w->frame->setWindowTitle(qtb::ToQString(w->text));
    QIcon icon = ClassIcon(cls->wc);
    if (!icon.isNull()) {
        w->frame->setWindowIcon(icon);
    }
    w->client = new qtb::ClientWidget(w, w->frame);
    if (style & WS_VSCROLL) {
        qtb::SetupScrollBar(w);
    }
    QRect geometry = DefaultGeometry();
    if (x != CW_USEDEFAULT && y != CW_USEDEFAULT) {
        geometry.moveTo(x, y);
    }
    if (width != CW_USEDEFAULT && height != CW_USEDEFAULT && width > 0 && height > 0) {
        geometry.setSize(QSize(width, height));
    }
    w->frame->setGeometry(geometry);
    qtb::Register(w);
    qtb::ListenForClass(w->className);
    qtb::CloseWindowsOnSignal();

    // The client size is known before WM_CREATE; WM_SIZE follows it.
    w->reportedSize = QSize(-1, -1);
    int sb = w->scroll != nullptr ? qtb::ScrollBarWidth() : 0;
    w->client->setGeometry(0, 0, std::max(geometry.width() - sb, 0), geometry.height());
    if (w->scroll != nullptr) {
        w->scroll->setGeometry(geometry.width() - sb, 0, sb, geometry.height());
    }
    qtb::ResizeImage(w->image, w->client->size(), qtb::BackgroundColour(w));
    w->invalid = true;
    w->erasePending = true;
    w->invalidRect = QRect(QPoint(0, 0), w->image.size());

    if (qtb::Send(w, WM_CREATE, 0, LParam(createParam)) == -1) {
        DestroyWindow(w);
        return nullptr;
    }
    if (!qtb::IsLive(w)) {
        return nullptr;
    }
    qtb::SyncClientSize(w, true);
    if (qtb::IsLive(w) && (style & WS_VISIBLE)) {
        ShowWindow(w, SW_SHOW);
    }
    return qtb::IsLive(w) ? w : nullptr;
}

bool DestroyWindow(Window w) {
    if (!qtb::IsLive(w) || w->kind == WindowKind::Proxy) {
        return false;
    }
    if (w->kind == WindowKind::Dialog || w->kind == WindowKind::TopLevel) {
        qtb::Send(w, WM_DESTROY, 0, 0);
        if (!qtb::IsLive(w)) {
            return true;
        }
    }
    std::vector<WindowObject*> children;
    for (WindowObject* other : g_windows) {
        if (other->parent == w) {
            children.push_back(other);
        }
    }
    for (WindowObject* child : children) {
        DestroyWindow(child);
    }
    if (!qtb::IsLive(w)) {
        return true;
    }
    Unregister(w);
    qtb::DestroyWidgets(w);
    delete w;
    return true;
}

bool IsWindow(Window w) { return qtb::IsLive(w); }

namespace {
QWidget* OuterWidget(Window w) {
    if (!qtb::IsLive(w) || w->kind == WindowKind::Proxy) {
        return nullptr;
    }
    return w->frame != nullptr ? static_cast<QWidget*>(w->frame.data()) : w->widget.data();
}
}  // namespace

bool ShowWindow(Window w, int command) {
    QWidget* target = OuterWidget(w);
    if (target == nullptr) {
        return false;
    }
    bool was = target->isVisible();
    if (command == SW_HIDE) {
        target->hide();
        return was;
    }
    if (command == SW_SHOWMAXIMIZED && target->isWindow()) {
        target->showMaximized();
    } else if (command == SW_SHOWNORMAL && target->isWindow()) {
        target->showNormal();
    } else {
        target->show();
    }
    if (w->frame != nullptr) {
        qtb::Raise(w->frame);
        w->frame->activateWindow();
    }
    return was;
}

bool UpdateWindow(Window w) {
    if (!qtb::IsLive(w) || w->kind == WindowKind::Proxy) {
        return false;
    }
    if (w->invalid && w->frame != nullptr && w->frame->isVisible()) {
        int begun = w->paintsBegun;
        qtb::Send(w, WM_PAINT, 0, 0);
        if (qtb::IsLive(w) && w->paintsBegun == begun) {
            qtb::Validate(w);
        }
    }
    return true;
}

bool IsWindowVisible(Window w) {
    QWidget* target = OuterWidget(w);
    return target != nullptr && target->isVisible();
}

bool MoveWindow(Window w, int x, int y, int width, int height, bool repaint) {
    QWidget* target = OuterWidget(w);
    if (target == nullptr) {
        return false;
    }
    width = std::max(width, 0);
    height = std::max(height, 0);
    switch (w->kind) {
    case WindowKind::TopLevel:
    case WindowKind::Dialog:
        // A full-screen window keeps the whole screen until it leaves full
        // screen.
        if (w->fullScreen) {
            return true;
        }
        w->frame->setGeometry(x, y, width, height);
        qtb::LayoutFrame(w);
        if (repaint && qtb::IsLive(w)) {
            qtb::Invalidate(w, nullptr, true);
        }
        return true;
    case WindowKind::Bar: {
        // Bars take screen coordinates, as their window rectangle gives them.
        QWidget* parentClient = w->parent != nullptr ? w->parent->client : nullptr;
        QPoint local = parentClient != nullptr ? parentClient->mapFromGlobal(QPoint(x, y)) : QPoint(x, y);
        target->setGeometry(local.x(), local.y(), width, height);
        if (w->bar) {
            w->bar->widthDeficit = parentClient != nullptr ? parentClient->width() - width : 0;
            w->bar->height = height;
        }
        return true;
    }
    case WindowKind::Control:
        target->setGeometry(x, y, width, height);
        if (w->control && w->control->kind == ControlKind::OwnerDrawButton) {
            qtb::ResizeImage(w->image, target->size(), Qt::white);
            qtb::Invalidate(w, nullptr, true);
        }
        return true;
    case WindowKind::Proxy:
        break;
    }
    return false;
}

bool GetClientRect(Window w, Rect* rect) {
    if (!qtb::IsLive(w) || rect == nullptr || w->kind == WindowKind::Proxy) {
        return false;
    }
    QSize size = w->client != nullptr ? w->client->size()
                                      : (w->widget != nullptr ? w->widget->size() : QSize());
    *rect = Rect{0, 0, size.width(), size.height()};
    return true;
}

bool GetWindowRect(Window w, Rect* rect) {
    QWidget* target = OuterWidget(w);
    if (target == nullptr || rect == nullptr) {
        return false;
    }
    QRect r = target->isWindow() ? target->geometry()
                                 : QRect(target->mapToGlobal(QPoint(0, 0)), target->size());
    *rect = Rect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    return true;
}

bool GetWindowPlacement(Window w, WindowPlacement* placement) {
    QWidget* target = OuterWidget(w);
    if (target == nullptr || placement == nullptr || !target->isWindow()) {
        return false;
    }
    placement->maximised = target->isMaximized();
    const QRect r = placement->maximised ? target->normalGeometry() : target->geometry();
    placement->normal = Rect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    return true;
}

bool SetWindowText(Window w, const char16_t* text) {
    if (!qtb::IsLive(w) || w->kind == WindowKind::Proxy) {
        return false;
    }
    return qtb::Send(w, WM_SETTEXT, 0, LParam(text != nullptr ? text : u"")) != 0;
}

int GetWindowText(Window w, char16_t* buffer, int capacity) {
    if (!qtb::IsLive(w) || w->kind == WindowKind::Proxy) {
        if (buffer != nullptr && capacity > 0) {
            buffer[0] = 0;
        }
        return 0;
    }
    return int(qtb::Send(w, WM_GETTEXT, WParam(std::max(capacity, 0)), LParam(buffer)));
}

WindowObject* qtb::FindLocal(const char16_t* className, const char16_t* title) {
    for (WindowObject* w : g_windows) {
        if (w->kind != WindowKind::TopLevel && w->kind != WindowKind::Dialog) {
            continue;
        }
        if (className != nullptr && !U16EqualNoCase(w->className, className)) {
            continue;
        }
        if (title != nullptr && w->text != title) {
            continue;
        }
        return w;
    }
    return nullptr;
}

Window FindWindow(const char16_t* className, const char16_t* title) {
    if (WindowObject* w = qtb::FindLocal(className, title)) {
        return w;
    }
    if (className == nullptr || QCoreApplication::instance() == nullptr) {
        return nullptr;
    }
    return qtb::FindRemote(className, title);
}

Window GetForegroundWindow() {
    if (QCoreApplication::instance() == nullptr) {
        return nullptr;
    }
    if (QWidget* active = QApplication::activeWindow()) {
        WindowObject* w = qtb::FromWidget(active);
        if (w != nullptr && (w->kind == WindowKind::TopLevel || w->kind == WindowKind::Dialog)) {
            return w;
        }
        return nullptr;
    }
    return qtb::RemoteForeground();
}

bool SetForegroundWindow(Window w) {
    if (!qtb::IsLive(w)) {
        return false;
    }
    if (w->kind == WindowKind::Proxy) {
        return qtb::RemoteRaise(w);
    }
    if (w->frame == nullptr) {
        return false;
    }
    if (w->frame->isMinimized()) {
        w->frame->showNormal();
    }
    qtb::Raise(w->frame);
    w->frame->activateWindow();
    return true;
}

Window GetParent(Window w) {
    if (!qtb::IsLive(w) || w->kind == WindowKind::Proxy) {
        return nullptr;
    }
    return w->parent;
}

// What a top-level window shows. Without a display that is the window's
// backing store, which the offscreen screen hands back as it is, once what
// is waiting to be painted there has been painted; with a display (where
// the screen may show other windows over it) the window is drawn again.
static QPixmap ShownPicture(QWidget* target) {
    if (target->isWindow() && QGuiApplication::platformName() == QLatin1String("offscreen")) {
        const QWindow* handle = target->windowHandle();
        QScreen* screen = target->screen();
        if (handle != nullptr && handle->isExposed() && screen != nullptr) {
            QCoreApplication::sendPostedEvents(target, QEvent::UpdateRequest);
            QPixmap shown = screen->grabWindow(target->winId(), 0, 0, target->width(), target->height());
            if (shown.deviceIndependentSize().toSize() == target->size()) {
                return shown;
            }
        }
    }
    return target->grab();
}

bool SaveWindowImage(Window w, const char* pngPath) {
    QWidget* target = OuterWidget(w);
    if (target == nullptr || pngPath == nullptr) {
        return false;
    }
    // Light compression: the picture is written on every start without a
    // display, where the strongest compression took half the start's time.
    constexpr int kFastPngQuality = 80;
    return ShownPicture(target).save(QString::fromLocal8Bit(pngPath), "PNG", kFastPngQuality);
}

void SetDefaultWindowSize(int width, int height) {
    g_defaultSize = (width > 0 && height > 0) ? QSize(width, height) : QSize();
}

// ---- inspection for tests and tools --------------------------------------

namespace qt {

QWidget* FrameOf(Window w) { return qtb::IsLive(w) ? w->frame.data() : nullptr; }
QWidget* ClientOf(Window w) { return qtb::IsLive(w) ? w->client : nullptr; }
QScrollBar* ScrollBarOf(Window w) { return qtb::IsLive(w) ? w->scroll : nullptr; }
QWidget* WidgetOf(Window w) {
    if (!qtb::IsLive(w)) {
        return nullptr;
    }
    return w->widget != nullptr ? w->widget.data() : static_cast<QWidget*>(w->frame.data());
}
QImage WindowImage(Window w) { return qtb::IsLive(w) ? w->image : QImage(); }
QImage DcImage(Dc dc) {
    if (dc == nullptr) {
        return QImage();
    }
    switch (dc->kind) {
    case DcObject::WindowDc:
        return qtb::IsLive(dc->window) ? dc->window->image : QImage();
    case DcObject::MemoryDc:
        return dc->bitmap != nullptr ? dc->bitmap->image : QImage();
    case DcObject::ImageDc:
        return dc->own;
    case DcObject::ScreenDc:
        break;
    }
    return QImage();
}
QMenu* MenuOf(Menu menu) { return menu != nullptr ? menu->menu.data() : nullptr; }
QFont FontOf(Font font) { return font != nullptr ? font->font : QFont(); }
Window WindowOf(const QWidget* widget) { return qtb::FromWidget(widget); }

}  // namespace qt
}  // namespace plat

