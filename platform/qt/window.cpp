// Windows, the message queue and painting on Qt.
//
// A top-level window is a frame widget holding the client widget (which
// shows the backing image) and, with WS_VSCROLL, a scroll bar at its right
// outside the client area. Qt events become messages with the handheld
// numbers: input is posted to the program's own queue, size, activation and
// close requests are sent at once. GetMessage hands out queued messages,
// then pending paints, and runs Qt's event processing when there is nothing
// else to do.
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>
#include <deque>
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
std::deque<Message> g_queue;
bool g_quit = false;
int g_quitCode = 0;
int g_waiting = 0;
std::uint32_t g_nextWireId = 1;

// Key text for TranslateMessage, found through bits 16-23 of the key
// message's lParam.
struct KeyText {
    Window window = nullptr;
    std::uint32_t vk = 0;
    QString text;
};
KeyText g_keyTexts[256];
unsigned g_keySerial = 0;

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

QSize g_defaultSize;             // from SetDefaultWindowSize; empty: our own choice
std::string g_snapshotPath;      // from SnapshotWhenIdle; empty: none pending
bool g_snapshotWritten = false;
IdleCallback g_idleCallback = nullptr;
void* g_idleContext = nullptr;

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

}  // namespace

void qtb::SetupScrollBar(WindowObject* w) {
    auto* sb = new QScrollBar(Qt::Vertical, w->frame);
    sb->setFocusPolicy(Qt::NoFocus);
    sb->setRange(0, 0);
    sb->setPageStep(1);
    sb->setSingleStep(1);
    w->scroll = sb;
    g_widgets[sb] = w;
    QObject::connect(sb, &QAbstractSlider::actionTriggered, sb, [w, sb](int action) {
        if (!qtb::IsLive(w)) {
            return;
        }
        std::uint16_t code;
        switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
            code = SB_LINEDOWN;
            break;
        case QAbstractSlider::SliderSingleStepSub:
            code = SB_LINEUP;
            break;
        case QAbstractSlider::SliderPageStepAdd:
            code = SB_PAGEDOWN;
            break;
        case QAbstractSlider::SliderPageStepSub:
            code = SB_PAGEUP;
            break;
        case QAbstractSlider::SliderToMinimum:
            code = SB_TOP;
            break;
        case QAbstractSlider::SliderToMaximum:
            code = SB_BOTTOM;
            break;
        case QAbstractSlider::SliderMove: {
            int position = sb->sliderPosition();
            if (sb->isSliderDown()) {
                qtb::Send(w, WM_VSCROLL, MakeWParam(SB_THUMBTRACK, std::uint16_t(position)), 0);
                return;
            }
            // The wheel: a line at a time, as the arrows would.
            int delta = position - w->scrollState.pos;
            sb->setSliderPosition(w->scrollState.pos);
            for (int i = 0; i < std::abs(delta) && qtb::IsLive(w); ++i) {
                qtb::Send(w, WM_VSCROLL, MakeWParam(delta > 0 ? SB_LINEDOWN : SB_LINEUP, 0), 0);
            }
            if (qtb::IsLive(w)) {
                sb->setSliderPosition(w->scrollState.pos);
            }
            return;
        }
        default:
            return;
        }
        qtb::Send(w, WM_VSCROLL, MakeWParam(code, 0), 0);
        // The bar shows what the program set, not where Qt would have gone.
        if (qtb::IsLive(w)) {
            sb->setSliderPosition(w->scrollState.pos);
        }
    });
    QObject::connect(sb, &QAbstractSlider::sliderReleased, sb, [w, sb] {
        if (!qtb::IsLive(w)) {
            return;
        }
        qtb::Send(w, WM_VSCROLL, MakeWParam(SB_THUMBPOSITION, std::uint16_t(sb->sliderPosition())), 0);
        if (qtb::IsLive(w)) {
            qtb::Send(w, WM_VSCROLL, MakeWParam(SB_ENDSCROLL, 0), 0);
        }
        if (qtb::IsLive(w)) {
            QSignalBlocker block(sb);
            sb->setValue(w->scrollState.pos);
        }
    });
}

namespace {

void Unregister(WindowObject* w) {
    g_live.erase(w);
    g_windows.erase(std::remove(g_windows.begin(), g_windows.end(), w), g_windows.end());
    for (auto it = g_widgets.begin(); it != g_widgets.end();) {
        it = it->second == w ? g_widgets.erase(it) : std::next(it);
    }
    g_queue.erase(std::remove_if(g_queue.begin(), g_queue.end(),
                                 [w](const Message& m) { return m.window == w; }),
                  g_queue.end());
}

// Finds a window that waits for WM_PAINT; owner-drawn buttons are drawn on
// the way.
WindowObject* PendingPaint() {
    std::vector<WindowObject*> windows = g_windows;
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

void Validate(WindowObject* w) {
    w->invalid = false;
    w->erasePending = false;
    w->invalidRect = QRect();
}

}  // namespace

// ---- shared helpers ------------------------------------------------------

namespace qtb {

void Raise(QWidget* widget) {
    if (widget != nullptr && QGuiApplication::platformName() != QLatin1String("offscreen")) {
        widget->raise();
    }
}

QString ToQString(const char16_t* text, int count) {
    if (text == nullptr) {
        return QString();
    }
    if (count < 0) {
        return QString::fromUtf16(text);
    }
    return QString::fromUtf16(text, count);
}

QString ToQString(const std::u16string& text) {
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

std::u16string ToU16(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), std::size_t(text.size()));
}

QColor ToQColor(Colour c) { return QColor(ColourRed(c), ColourGreen(c), ColourBlue(c)); }

int CopyOut(const std::u16string& text, char16_t* buffer, int capacity) {
    if (buffer == nullptr || capacity <= 0) {
        return 0;
    }
    int n = std::min(int(text.size()), capacity - 1);
    std::copy_n(text.data(), n, buffer);
    buffer[n] = 0;
    return n;
}

QString StripMnemonic(const QString& text, int* mnemonic) {
    QString out;
    out.reserve(text.size());
    int marked = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size()) {
            ++i;
            if (text[i] != QLatin1Char('&') && marked < 0) {
                marked = int(out.size());
            }
        }
        out.append(text[i]);
    }
    if (mnemonic != nullptr) {
        *mnemonic = marked;
    }
    return out;
}

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
    g_queue.push_back(Message{w, message, wParam, lParam});
    WakeLoop();
}

void WakeLoop() {
    if (g_waiting > 0) {
        if (QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance()) {
            d->wakeUp();
        }
    }
}

int ScrollBarWidth() {
    QStyle* style = QApplication::style();
    return style != nullptr ? style->pixelMetric(QStyle::PM_ScrollBarExtent) : 16;
}

QColor BackgroundColour(const WindowObject* w) {
    Brush b = GetStockBrush(w->backgroundBrush);
    if (b == nullptr || b->hollow) {
        return Qt::white;
    }
    return b->colour;
}

void ResizeImage(QImage& image, const QSize& size, const QColor& fill) {
    QSize s(std::max(size.width(), 1), std::max(size.height(), 1));
    if (image.size() == s) {
        return;
    }
    QImage next(s, QImage::Format_RGB32);
    next.fill(fill);
    if (!image.isNull()) {
        QPainter p(&next);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, image);
    }
    image = std::move(next);
}

void LayoutFrame(WindowObject* w) {
    if (w->frame == nullptr || w->client == nullptr) {
        return;
    }
    QSize size = w->frame->size();
    int sb = w->scroll != nullptr ? ScrollBarWidth() : 0;
    int strip = 0;
    if (w->dialog && w->dialog->okButton != nullptr && w->dialog->okStrip) {
        QSize hint = w->dialog->okButton->sizeHint();
        strip = hint.height() + 8;
        int bw = std::max(hint.width(), 72);
        w->dialog->okButton->setGeometry(size.width() - bw - 6, size.height() - strip + 4, bw,
                                         hint.height());
        w->dialog->okButton->show();
    } else if (w->dialog && w->dialog->okButton != nullptr) {
        w->dialog->okButton->hide();
    }
    int clientHeight = std::max(size.height() - strip, 0);
    w->client->setGeometry(0, 0, std::max(size.width() - sb, 0), clientHeight);
    if (w->scroll != nullptr) {
        w->scroll->setGeometry(size.width() - sb, 0, sb, clientHeight);
    }
    SyncClientSize(w, false);
}

void SyncClientSize(WindowObject* w, bool forceSizeMessage) {
    if (w->client == nullptr) {
        return;
    }
    QSize size = w->client->size();
    if (w->image.size() != QSize(std::max(size.width(), 1), std::max(size.height(), 1))) {
        ResizeImage(w->image, size, BackgroundColour(w));
        Invalidate(w, nullptr, true);
    }
    PlaceBars(w);
    if (forceSizeMessage || size != w->reportedSize) {
        w->reportedSize = size;
        Send(w, WM_SIZE, SIZE_RESTORED,
             MakeLParam(std::uint16_t(size.width()), std::uint16_t(size.height())));
    }
}

void Invalidate(WindowObject* w, const QRect* rect, bool erase) {
    QRect whole(QPoint(0, 0), w->image.size());
    QRect r = rect != nullptr ? (*rect & whole) : whole;
    if (rect != nullptr && r.isEmpty()) {
        return;
    }
    w->invalid = true;
    w->invalidRect |= r;
    w->erasePending = w->erasePending || erase;
    WakeLoop();
}

void Repaint(WindowObject* w) {
    if (w->client != nullptr) {
        w->client->update();
    } else if (w->widget != nullptr) {
        w->widget->update();
    }
}

std::uint32_t VirtualKey(int k) {
    if (k >= Qt::Key_A && k <= Qt::Key_Z) {
        return std::uint32_t('A' + (k - Qt::Key_A));
    }
    if (k >= Qt::Key_0 && k <= Qt::Key_9) {
        return std::uint32_t('0' + (k - Qt::Key_0));
    }
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24) {
        return VK_F1 + std::uint32_t(k - Qt::Key_F1);
    }
    switch (k) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab: return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Shift: return 0x10;
    case Qt::Key_Control: return 0x11;
    case Qt::Key_Alt: return 0x12;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return 0x2D;
    case Qt::Key_Delete: return VK_DELETE;
    default: return 0;
    }
}

// ---- widgets -------------------------------------------------------------

FrameWidget::FrameWidget(WindowObject* window, QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags), win(window) {
    setAttribute(Qt::WA_DeleteOnClose, false);
}

void FrameWidget::resizeEvent(QResizeEvent*) {
    if (win != nullptr) {
        LayoutFrame(win);
    }
}

void FrameWidget::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (win != nullptr) {
        Send(win, WM_CLOSE, 0, 0);
    }
}

void FrameWidget::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && win != nullptr) {
        Send(win, WM_ACTIVATE, isActiveWindow() ? WA_ACTIVE : WA_INACTIVE, 0);
    }
}

void FrameWidget::showEvent(QShowEvent*) {
    if (win == nullptr) {
        return;
    }
    Invalidate(win, nullptr, true);
    if (win->client != nullptr && focusWidget() == nullptr) {
        win->client->setFocus(Qt::OtherFocusReason);
    }
}

void FrameWidget::keyPressEvent(QKeyEvent* event) {
    int key = event->key();
    if (win != nullptr && win->kind == WindowKind::Dialog &&
        (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter)) {
        event->accept();
        DialogKey(win, key);
        return;
    }
    event->ignore();
}

ClientWidget::ClientWidget(WindowObject* window, QWidget* parent) : QWidget(parent), win(window) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
}

void ClientWidget::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    if (win != nullptr && !win->image.isNull()) {
        p.drawImage(event->rect(), win->image, event->rect());
    } else {
        p.fillRect(event->rect(), Qt::white);
    }
}

void ClientWidget::resizeEvent(QResizeEvent*) {
    if (win != nullptr) {
        SyncClientSize(win, false);
    }
}

// A key a control left unhandled comes up to the client widget too; only
// the client's own keys are the dialog's messages.
static bool FromAControl(const QWidget* client) {
    QWidget* focus = client->window()->focusWidget();
    return focus != nullptr && focus != client && client->isAncestorOf(focus);
}

void ClientWidget::keyPressEvent(QKeyEvent* event) {
    WindowObject* w = win;
    int key = event->key();
    if (w == nullptr) {
        event->ignore();
        return;
    }
    if (w->kind == WindowKind::Dialog &&
        (FromAControl(this) || key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter)) {
        event->ignore();  // the dialog's own keys, or a control's leftover
        return;
    }
    std::uint32_t vk = VirtualKey(key);
    if (vk == 0) {
        event->ignore();
        return;
    }
    unsigned serial = g_keySerial++ & 0xFF;
    g_keyTexts[serial] = KeyText{w, vk, event->text()};
    LParam lParam = LParam(1 | (serial << 16) | (event->isAutoRepeat() ? (1u << 30) : 0u));
    Post(w, WM_KEYDOWN, vk, lParam);
    if (vk == VK_F1 && w->kind == WindowKind::TopLevel && !event->isAutoRepeat()) {
        Post(w, WM_HELP, 0, 0);  // F1 asks for help, as on the handheld
    }
    event->accept();
}

void ClientWidget::keyReleaseEvent(QKeyEvent* event) {
    std::uint32_t vk = VirtualKey(event->key());
    if (win == nullptr || vk == 0 || (win->kind == WindowKind::Dialog && FromAControl(this))) {
        event->ignore();
        return;
    }
    Post(win, WM_KEYUP, vk, LParam(1u | (3u << 30)));
}

namespace {
LParam PointParam(const QPointF& p) {
    QPoint q = p.toPoint();
    return MakeLParam(std::uint16_t(std::int16_t(q.x())), std::uint16_t(std::int16_t(q.y())));
}
constexpr WParam MK_LBUTTON = 0x0001;
}  // namespace

void ClientWidget::mousePressEvent(QMouseEvent* event) {
    if (win == nullptr || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    setFocus(Qt::MouseFocusReason);
    Post(win, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(event->position()));
}

void ClientWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (win == nullptr || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    Post(win, WM_LBUTTONUP, 0, PointParam(event->position()));
}

void ClientWidget::mouseMoveEvent(QMouseEvent* event) {
    if (win == nullptr) {
        return;
    }
    Post(win, WM_MOUSEMOVE, (event->buttons() & Qt::LeftButton) ? MK_LBUTTON : 0,
         PointParam(event->position()));
}

void ClientWidget::wheelEvent(QWheelEvent* event) {
    if (win != nullptr && win->scroll != nullptr && win->scroll->isEnabled()) {
        QCoreApplication::sendEvent(win->scroll, event);
        return;
    }
    event->ignore();
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
    target->show();
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
            Validate(w);
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
            *m = g_queue.front();
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
            qtb::Post(m->window, WM_CHAR, c.unicode(), m->lParam);
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
            Validate(w);
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
    Validate(w);
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

// ---- scroll bar ----------------------------------------------------------

int SetScrollInfo(Window w, int bar, const ScrollInfo& info, bool) {
    if (!qtb::IsLive(w) || bar != SB_VERT || w->scroll == nullptr) {
        return 0;
    }
    ScrollState& s = w->scrollState;
    if (info.mask & SIF_RANGE) {
        s.min = info.min;
        s.max = info.max;
    }
    if (info.mask & SIF_PAGE) {
        s.page = info.page;
    }
    if (info.mask & SIF_POS) {
        s.pos = info.pos;
    }
    int top = s.max - std::max(int(s.page) - 1, 0);
    top = std::max(top, s.min);
    s.pos = std::clamp(s.pos, s.min, top);
    QSignalBlocker block(w->scroll);
    w->scroll->setRange(s.min, top);
    w->scroll->setPageStep(std::max(int(s.page), 1));
    w->scroll->setValue(s.pos);
    w->scroll->setEnabled(top > s.min);
    return s.pos;
}

bool GetScrollInfo(Window w, int bar, ScrollInfo* info) {
    if (!qtb::IsLive(w) || bar != SB_VERT || w->scroll == nullptr || info == nullptr) {
        return false;
    }
    const ScrollState& s = w->scrollState;
    if (info->mask & SIF_RANGE) {
        info->min = s.min;
        info->max = s.max;
    }
    if (info->mask & SIF_PAGE) {
        info->page = s.page;
    }
    if (info->mask & SIF_POS) {
        info->pos = s.pos;
    }
    info->trackPos = w->scroll->isSliderDown() ? w->scroll->sliderPosition() : s.pos;
    return true;
}

bool SaveWindowImage(Window w, const char* pngPath) {
    QWidget* target = OuterWidget(w);
    if (target == nullptr || pngPath == nullptr) {
        return false;
    }
    return target->grab().save(QString::fromLocal8Bit(pngPath), "PNG");
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
int QueuedMessages() { return int(g_queue.size()); }

}  // namespace qt
}  // namespace plat
