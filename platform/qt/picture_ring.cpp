#include "platform/qt/picture_ring.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace plat::qtb {

// Pixels of the picture in its twice as tall buffer; freed with the last
// reference (the ring's and one per QImage that views it).
struct PictureRing::Buffer {
    std::atomic<int> references{1};
    uchar* data = nullptr;
    qsizetype stride = 0;
    int rows = 0;
    ~Buffer() { std::free(data); }
};

void PictureRing::Unreference(void* buffer) {
    auto* b = static_cast<Buffer*>(buffer);
    if (b->references.fetch_sub(1) == 1) {
        delete b;
    }
}

PictureRing::~PictureRing() { Release(); }

void PictureRing::Release() {
    if (buffer_ != nullptr) {
        Unreference(buffer_);
        buffer_ = nullptr;
    }
}

// True when `image` is the view this ring made last and nothing else uses
// its buffer, so that writing to the buffer changes no other picture.
bool PictureRing::Views(const QImage& image) const {
    return buffer_ != nullptr && buffer_->references.load() == 2 && image.isDetached() &&
           image.bytesPerLine() == buffer_->stride && 2 * image.height() == buffer_->rows &&
           image.constBits() == buffer_->data + qsizetype(offset_) * buffer_->stride;
}

// Copies the picture into the middle of a new buffer and views it there.
bool PictureRing::Adopt(QImage& image) {
    Release();
    const qsizetype stride = image.bytesPerLine();
    const int rows = 2 * image.height();
    auto* data = static_cast<uchar*>(std::calloc(std::size_t(rows), std::size_t(stride)));
    if (data == nullptr) {
        return false;
    }
    buffer_ = new Buffer;
    buffer_->data = data;
    buffer_->stride = stride;
    buffer_->rows = rows;
    const int middle = image.height() / 2;
    std::memcpy(data + qsizetype(middle) * stride, image.constBits(), std::size_t(image.sizeInBytes()));
    ShowAt(image, middle);
    return true;
}

// Makes `image` the view of its rows starting at buffer row `offset`.
void PictureRing::ShowAt(QImage& image, int offset) {
    ++buffer_->references;
    QImage view(buffer_->data + qsizetype(offset) * buffer_->stride, image.width(), image.height(), buffer_->stride,
                image.format(), &Unreference, buffer_);
    view.setDevicePixelRatio(image.devicePixelRatio());
    view.setDotsPerMeterX(image.dotsPerMeterX());
    view.setDotsPerMeterY(image.dotsPerMeterY());
    offset_ = offset;
    image = std::move(view);
}

void PictureRing::Keep(const QImage& image, int y, qsizetype at, qsizetype bytes) {
    if (bytes <= 0) {
        return;
    }
    const uchar* from = image.constScanLine(y) + at;
    kept_.push_back(Kept{y, at, bytes});
    keptBytes_.insert(keptBytes_.end(), from, from + bytes);
}

bool PictureRing::Scroll(QImage& image, const QRect& area, int dy) {
    const int height = image.height();
    const int shift = dy < 0 ? -dy : dy;
    const QRect a = area & image.rect();
    const int rows = a.height() - shift;
    if (image.depth() != 32 || image.paintingActive() || a.isEmpty() || dy == 0 || rows <= 0 || 2 * shift > height) {
        return false;
    }
    if (!Views(image) && !Adopt(image)) {
        return false;
    }
    const qsizetype stride = buffer_->stride;
    // What stays in place: the rows above and below those that move (the
    // uncovered ones among them) and, beside the moving rows, the columns
    // outside the area.
    const int first = dy < 0 ? a.top() : a.top() + dy;
    const int end = first + rows;
    kept_.clear();
    keptBytes_.clear();
    Keep(image, 0, 0, qsizetype(first) * stride);
    const qsizetype leftBytes = qsizetype(a.left()) * 4;
    const qsizetype rightAt = qsizetype(a.left() + a.width()) * 4;
    const qsizetype rightBytes = qsizetype(image.width()) * 4 - rightAt;
    for (int y = first; y < end && (leftBytes > 0 || rightBytes > 0); ++y) {
        Keep(image, y, 0, leftBytes);
        Keep(image, y, rightAt, rightBytes);
    }
    Keep(image, end, 0, qsizetype(height - end) * stride);

    // The rows that move: the view starts dy rows earlier in the buffer.
    int next = offset_ - dy;
    if (next < 0 || next + height > buffer_->rows) {
        // Past an end: the picture goes back to the middle, moved there by dy.
        const int middle = (buffer_->rows - height) / 2;
        std::memmove(buffer_->data + qsizetype(middle + dy) * stride, buffer_->data + qsizetype(offset_) * stride,
                     std::size_t(height) * std::size_t(stride));
        next = middle;
    }
    ShowAt(image, next);

    uchar* bits = image.bits();  // the view is its data's only user: no copy
    const uchar* from = keptBytes_.data();
    for (const Kept& k : kept_) {
        std::memcpy(bits + qsizetype(k.y) * stride + k.at, from, std::size_t(k.bytes));
        from += k.bytes;
    }
    return true;
}

}  // namespace plat::qtb
