// The vertical scroll bar of a top-level window: Qt's slider actions become
// WM_VSCROLL messages, and the bar shows the range, page and position the
// program set.
#include <QScrollBar>

#include <algorithm>

#include "platform/qt/qt_internal.h"
#include "platform/window.h"

namespace plat {

void qtb::SetupScrollBar(WindowObject* w) {
    auto* sb = new QScrollBar(Qt::Vertical, w->frame);
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

}  // namespace plat
