// The part of a picture known to be one plain colour, kept as bands of rows
// alike, each row with a few spans. It is always on the safe side: a pixel
// it calls plain is plain, while a plain pixel may be forgotten (a row keeps
// at most kSpans spans and drops its narrowest when it would have more).
//
// Not a QRegion: the page's picture cuts the plain part into bands around
// every text line, and region arithmetic on that many bands costs more than
// the pixels a scroll saves by knowing them. Here a change costs one pass
// over the bands, and a scroll works out what to copy once per band.
#pragma once

#include <QRect>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace plat::qtb {

class PlainRows {
public:
    struct Span {
        int left;
        int right;  // one past the last pixel
    };
    static constexpr int kSpans = 4;
    struct Row {
        std::array<Span, kSpans> spans{};  // sorted, apart from each other; the unused ones zero
        int count = 0;
    };

    // Nothing is known to be plain.
    void Forget() { bands_.clear(); }
    bool Empty() const { return bands_.empty(); }
    // `r` was filled with the plain colour.
    void Fill(const QRect& r);
    // Some of `r` may no longer be plain.
    void Cover(const QRect& r);
    // Whether every pixel of `r` is plain.
    bool Holds(const QRect& r) const;

    // Moves the pixels between `left` and `right` of the rows from `top` to
    // `bottom` (not included) by dy: each of these rows takes the pixels of
    // row y - dy. copy(y, from, to) is called for each stretch that must
    // be copied, in the order that reads every row before it is written;
    // the pixels plain in both rows keep their colour and are passed over.
    // Returns the box around what was copied.
    template <typename Copy>
    QRect Move(int top, int bottom, int dy, int left, int right, Copy copy);

private:
    struct Band {
        int top;
        int bottom;  // one past the last row
        Row row;
    };
    // A stretch of rows whose row and source rows are alike: what to copy
    // there and what the rows become.
    struct Stretch {
        int top;
        int bottom;
        int gapCount;
        std::array<Span, 2 * kSpans + 1> gaps;
        Row moved;
    };

    // The row at y and the first row below y where that may change; `next`
    // is the index of the first band not wholly above y, kept by the caller
    // for rows that only go down.
    const Row& RowAt(int y, std::size_t& next, int* until) const;
    // Every row from top to bottom (not included) goes through change(row).
    template <typename Change>
    void Apply(int top, int bottom, Change change);
    void Emit(std::vector<Band>& out, int top, int bottom, const Row& row) const;
    void Plan(int top, int bottom, int dy, int left, int right);
    void Settle(int top, int bottom);

    std::vector<Band> bands_;  // sorted and apart; rows in no band have no plain span
    std::vector<Band> scratch_;
    std::vector<Stretch> plan_;
};

template <typename Copy>
QRect PlainRows::Move(int top, int bottom, int dy, int left, int right, Copy copy) {
    if (top >= bottom || dy == 0) {
        return QRect();
    }
    Plan(top, bottom, dy, left, right);
    QRect copied;
    auto run = [&](const Stretch& s) {
        if (s.gapCount == 0) {
            return;
        }
        copied |= QRect(QPoint(s.gaps[0].left, s.top),
                        QPoint(s.gaps[std::size_t(s.gapCount - 1)].right - 1, s.bottom - 1));
        for (int k = 0; k < s.bottom - s.top; ++k) {
            const int y = dy < 0 ? s.top + k : s.bottom - 1 - k;
            for (int g = 0; g < s.gapCount; ++g) {
                copy(y, s.gaps[std::size_t(g)].left, s.gaps[std::size_t(g)].right);
            }
        }
    };
    // Moving up reads below what it writes: from the top down; moving down
    // from the bottom up.
    if (dy < 0) {
        std::for_each(plan_.begin(), plan_.end(), run);
    } else {
        std::for_each(plan_.rbegin(), plan_.rend(), run);
    }
    Settle(top, bottom);
    return copied;
}

}  // namespace plat::qtb
