// The widgets behind a window and the helpers they share: the frame and
// the client widget turn Qt's events into the handheld's messages (keys
// become virtual keys, taps become button messages), and the client shows
// the window's backing image.
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>

#include "platform/qt/qt_internal.h"
#include "platform/window.h"

namespace plat {
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
    unsigned serial = RememberKeyText(w, vk, event->text());
    LParam lParam = LParam(1 | (serial << 16) | (event->isAutoRepeat() ? (1u << 30) : 0u));
    PostKey(w, WM_KEYDOWN, vk, lParam, event->modifiers());
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
    PostKey(win, WM_KEYUP, vk, LParam(1u | (3u << 30)), event->modifiers());
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
}  // namespace plat
