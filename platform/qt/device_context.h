// What the drawing half and the text half of the Qt backend share about a
// device context: the picture it draws on, how a change is shown, and the
// painter one primitive draws with.
#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>

#include <utility>

#include "platform/gdi.h"
#include "platform/qt/qt_internal.h"

namespace plat::qtb {

// The picture a device context draws on; null when it has none (a window
// that is gone or not yet sized).
QImage* Target(DcObject* dc);

// Tells the window that part of its picture changed; inside a drawing
// batch the parts are gathered and shown once when the batch ends.
void Show(DcObject* dc, const QRect& area);

// Shows `area` and takes it out of the plain part of the picture.
void Touched(DcObject* dc, const QRect& area);

// What the context knows of the plain part of its picture holds only for
// the picture as the context last left it: anything drawn through another
// context (or straight into the image) changes the picture's key.
void ForgetPlainIfChanged(DcObject* dc, const QImage* image);
inline void KeepPlain(DcObject* dc, const QImage* image) { dc->plainKey = image->cacheKey(); }

// True when the clip leaves nothing of `bounds` to draw on.
inline bool ClipMisses(const DcObject* dc, const QRect& bounds) {
    return !dc->clip.isEmpty() && !dc->clip.intersects(bounds);
}

// Sets one of a context's values and returns the one it had; `none`
// without a context.
template <typename T>
T ExchangeDcValue(DcObject* dc, T DcObject::*value, T next, T none = T{}) {
    return dc != nullptr ? std::exchange(dc->*value, next) : none;
}

inline QRect FromRect(const Rect& r) {
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

// The painter one primitive draws with: the batch's painter (its state saved
// and restored around the primitive, so each primitive starts from a fresh
// painter's state) or a painter of its own. `bounds`, when given, holds all
// the primitive draws: the clip is cut to it, which mostly leaves a single
// rectangle, far cheaper for the painter to clip to than a region.
class DcPainter {
public:
    // For a primitive that keeps to the clip by itself.
    static constexpr struct Unclipped {
    } kUnclipped{};
    DcPainter(DcObject* dc, QImage* image, Unclipped) : dc_(dc), image_(image) { Begin(); }
    DcPainter(DcObject* dc, QImage* image, const QRect& bounds = QRect()) : dc_(dc), image_(image) {
        Begin();
        if (!dc->clip.isEmpty()) {
            const QRegion clip = bounds.isNull() ? dc->clip : dc->clip.intersected(bounds);
            if (clip.rectCount() == 1) {
                (**this).setClipRect(clip.boundingRect());
            } else {
                (**this).setClipRegion(clip);
            }
        }
    }
    ~DcPainter() {
        if (shared_ != nullptr) {
            shared_->restore();
        } else {
            own_.end();
        }
        KeepPlain(dc_, image_);
    }
    DcPainter(const DcPainter&) = delete;
    DcPainter& operator=(const DcPainter&) = delete;
    QPainter& operator*() { return shared_ != nullptr ? *shared_ : own_; }
    QPainter* operator->() { return &**this; }

private:
    void Begin() {
        ForgetPlainIfChanged(dc_, image_);
        if (dc_->batchPainter != nullptr && dc_->batchImage == image_) {
            shared_ = dc_->batchPainter.get();
            shared_->save();
        } else {
            own_.begin(image_);
        }
    }

    DcObject* dc_;
    QImage* image_;
    QPainter* shared_ = nullptr;
    QPainter own_;
};

}  // namespace plat::qtb
