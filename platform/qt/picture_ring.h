// A picture that scrolls by moving where it starts in a taller buffer rather
// than by moving its pixels. The QImage is a view of `height` rows of a
// buffer twice as tall; a scroll makes it a view a few rows further on and
// copies back only what must stay where it was: the rows outside the
// scrolled area, the rows the scroll uncovers and the columns beside the
// area. When the view reaches an end of the buffer, the picture is copied
// back to the middle once (every half a picture's height of scrolling).
//
// The buffer is freed with the last QImage that views it. A view that Qt
// has copied away (a painter active on it, another QImage sharing its data,
// a picture replaced by the window) is never written through: the next
// scroll copies the picture into a buffer of its own.
#pragma once

#include <QImage>
#include <QRect>

#include <vector>

namespace plat::qtb {

class PictureRing {
public:
    PictureRing() = default;
    ~PictureRing();
    PictureRing(const PictureRing&) = delete;
    PictureRing& operator=(const PictureRing&) = delete;

    // Every row of `area` whose source row y - dy is in `area` as well
    // takes that row's pixels between the area's left and right; every
    // other pixel of `image` keeps its own. False, with nothing done, when
    // `image` cannot scroll so (not 32 bits deep, being painted on, or the
    // move over half its height): the caller moves the pixels itself.
    bool Scroll(QImage& image, const QRect& area, int dy);

private:
    struct Buffer;
    // The cleanup of a view: gives up the view's reference to its buffer.
    static void Unreference(void* buffer);
    // A piece of the picture kept in place: `bytes` bytes of row `y` from
    // its byte `at` on (a piece of whole rows runs on into the next rows).
    struct Kept {
        int y;
        qsizetype at;
        qsizetype bytes;
    };

    bool Views(const QImage& image) const;
    bool Adopt(QImage& image);
    void ShowAt(QImage& image, int offset);
    void Keep(const QImage& image, int y, qsizetype at, qsizetype bytes);
    void Release();

    Buffer* buffer_ = nullptr;  // one of its references is ours
    int offset_ = 0;            // the buffer row the view starts at
    std::vector<Kept> kept_;
    std::vector<uchar> keptBytes_;
};

}  // namespace plat::qtb
