// The vertical scroll bar of a top-level window: Qt's slider actions become
// WM_VSCROLL messages, and the bar shows the range, page and position the
// program set.
#include <QApplication>
#include <QPainter>
#include <QProxyStyle>
#include <QScrollBar>
#include <QStyleOption>

#include <algorithm>

#include "platform/qt/qt_internal.h"
#include "platform/window.h"

namespace plat {
namespace {

// The application's style, with a tall scroll bar painted band by band.
// Qt's raster engine hands a fill of 96 rows or more to its thread pool in
// pieces and waits for them all; for a bar a few pixels wide that costs far
// more than the fill (some forty hand-overs and waits each time a bar as
// tall as a window is painted, the most the reader waited for at start).
// Each band of fewer rows is drawn whole into a picture of its own, which
// keeps every fill on this thread (a clip would not do: the style sets
// clips of its own), and the pictures are then put in place.
class BandedScrollBarStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override {
        const QRect area = option != nullptr ? option->rect : QRect();
        const QPaintDevice* device = painter != nullptr ? painter->device() : nullptr;
        const qreal ratio = device != nullptr ? device->devicePixelRatio() : 0;
        const int rows = ratio > 0 ? int(kBandDeviceRows / ratio) : 0;  // logical rows of a band
        if (control != CC_ScrollBar || rows < 1 || ratio > kMostBandedRatio || area.height() <= rows ||
            !painter->transform().isIdentity() || !WholePixels(rows, ratio) || !WholePixels(area.width(), ratio) ||
            !WholePixels(area.height(), ratio) || !WholePixels(area.top(), ratio)) {
            QProxyStyle::drawComplexControl(control, option, painter, widget);
            return;
        }
        for (int top = area.top(); top <= area.bottom(); top += rows) {
            const int height = std::min(rows, area.bottom() + 1 - top);
            QImage band(int(area.width() * ratio), int(height * ratio), QImage::Format_ARGB32_Premultiplied);
            band.setDevicePixelRatio(ratio);
            band.fill(Qt::transparent);
            {
                QPainter p(&band);
                p.translate(-area.left(), -top);
                QProxyStyle::drawComplexControl(control, option, &p, widget);
            }
            painter->drawImage(QPoint(area.left(), top), band);
        }
    }

private:
    static constexpr int kBandDeviceRows = 64;  // below Qt's 96
    // Up to this many device pixels a logical one, the bands give exactly
    // the style's own pixels (at 3 the style draws one line differently).
    static constexpr qreal kMostBandedRatio = 2.5;

    // Whether `logical` pixels are a whole number of device pixels.
    static bool WholePixels(int logical, qreal ratio) {
        const qreal device = logical * ratio;
        return device == qreal(qRound(device));
    }
};

}  // namespace

void qtb::SetupScrollBar(WindowObject* w) {
    auto* sb = new QScrollBar(Qt::Vertical, w->frame);
    // A style of the same kind as the application's, owned by the bar.
    const QString styleName = QApplication::style() != nullptr ? QApplication::style()->name() : QString();
    auto* style = styleName.isEmpty() ? new BandedScrollBarStyle() : new BandedScrollBarStyle(styleName);
    style->setParent(sb);
    sb->setStyle(style);
    sb->setFocusPolicy(Qt::NoFocus);
    sb->setRange(0, 0);
    sb->setPageStep(1);
    sb->setSingleStep(1);
    w->scroll = sb;
    qtb::MapWidget(sb, w);
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

// ---- scroll bar ----------------------------------------------------------

int SetScrollInfo(Window w, int bar, const ScrollInfo& info, bool) {
    if (!qtb::IsLive(w) || bar != SB_VERT || w->scroll == nullptr) {
        return 0;
    }
    ScrollState& s = w->scrollState;
    rules::ApplyScrollInfo(s, info);
    const int top = rules::ScrollTop(s);
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
    rules::ReadScrollInfo(s, info);
    if (w->scroll->isSliderDown()) {
        info->trackPos = w->scroll->sliderPosition();
    }
    return true;
}

}  // namespace plat
