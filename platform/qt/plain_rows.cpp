#include "platform/qt/plain_rows.h"

namespace plat::qtb {
namespace {

using Row = PlainRows::Row;
using Span = PlainRows::Span;

// Far below any picture: where a row with no band below it stays as it is.
constexpr int kNoChange = 1 << 29;

// The spans a row is about to keep, given from left to right (as many as
// three rows' worth), before the narrowest go. Spans that touch are joined.
struct Spans {
    std::array<Span, 3 * PlainRows::kSpans> spans;
    int count = 0;
    void Add(int left, int right) {
        if (left >= right) {
            return;
        }
        if (count > 0 && spans[std::size_t(count - 1)].right >= left) {
            Span& last = spans[std::size_t(count - 1)];
            last.right = std::max(last.right, right);
            return;
        }
        spans[std::size_t(count++)] = Span{left, right};
    }
};

// Keeps the widest spans that fit in a row, in their order.
Row Store(Spans& from) {
    while (from.count > PlainRows::kSpans) {
        int narrowest = 0;
        for (int k = 1; k < from.count; ++k) {
            const Span& s = from.spans[std::size_t(k)];
            const Span& n = from.spans[std::size_t(narrowest)];
            if (s.right - s.left < n.right - n.left) {
                narrowest = k;
            }
        }
        for (int k = narrowest; k + 1 < from.count; ++k) {
            from.spans[std::size_t(k)] = from.spans[std::size_t(k + 1)];
        }
        --from.count;
    }
    Row row;
    row.count = from.count;
    for (int k = 0; k < from.count; ++k) {
        row.spans[std::size_t(k)] = from.spans[std::size_t(k)];
    }
    return row;
}

// Whether the row knows nothing outside [left, right).
bool Within(const Row& row, int left, int right) {
    return row.count == 0 ||
           (row.spans[0].left >= left && row.spans[std::size_t(row.count - 1)].right <= right);
}

bool Same(const Row& a, const Row& b) { return std::memcmp(&a, &b, sizeof(Row)) == 0; }

// The row with [left, right) plain as well.
Row Added(const Row& row, int left, int right) {
    Spans out;
    bool placed = false;
    for (int k = 0; k < row.count; ++k) {
        const Span s = row.spans[std::size_t(k)];
        if (!placed && s.left > right) {
            out.Add(left, right);
            placed = true;
        }
        if (s.right < left || s.left > right) {
            out.Add(s.left, s.right);
        } else {
            left = std::min(left, s.left);
            right = std::max(right, s.right);
        }
    }
    if (!placed) {
        out.Add(left, right);
    }
    return Store(out);
}

// The row with [left, right) no longer plain.
Row Cut(const Row& row, int left, int right) {
    Spans out;
    for (int k = 0; k < row.count; ++k) {
        const Span s = row.spans[std::size_t(k)];
        if (s.right <= left || s.left >= right) {
            out.Add(s.left, s.right);
        } else {
            out.Add(s.left, left);
            out.Add(right, s.right);
        }
    }
    return Store(out);
}

// What `row` keeps outside [left, right) and `source` brings inside it; a
// span that runs across an edge of the stretch is cut there.
Row Moved(const Row& row, const Row& source, int left, int right) {
    Spans out;
    for (int k = 0; k < row.count; ++k) {
        out.Add(row.spans[std::size_t(k)].left, std::min(row.spans[std::size_t(k)].right, left));
    }
    for (int k = 0; k < source.count; ++k) {
        out.Add(std::max(source.spans[std::size_t(k)].left, left),
                std::min(source.spans[std::size_t(k)].right, right));
    }
    for (int k = 0; k < row.count; ++k) {
        out.Add(std::max(row.spans[std::size_t(k)].left, right), row.spans[std::size_t(k)].right);
    }
    return Store(out);
}

// The stretches between `left` and `right` that are not plain in both rows,
// from left to right; returns how many.
template <std::size_t N>
int Gaps(const Row& a, const Row& b, int left, int right, std::array<Span, N>& gaps) {
    int count = 0;
    int at = left;  // the first pixel not yet passed
    int i = 0;
    int j = 0;
    while (i < a.count && j < b.count && at < right) {
        const Span& sa = a.spans[std::size_t(i)];
        const Span& sb = b.spans[std::size_t(j)];
        const int from = std::max({sa.left, sb.left, at});
        const int to = std::min({sa.right, sb.right, right});
        if (from < to) {
            if (from > at) {
                gaps[std::size_t(count++)] = Span{at, from};
            }
            at = to;
        }
        if (sa.right < sb.right) {
            ++i;
        } else {
            ++j;
        }
    }
    if (at < right) {
        gaps[std::size_t(count++)] = Span{at, right};
    }
    return count;
}

}  // namespace

void PlainRows::Emit(std::vector<Band>& out, int top, int bottom, const Row& row) const {
    if (top >= bottom || row.count == 0) {
        return;
    }
    if (!out.empty() && out.back().bottom == top && Same(out.back().row, row)) {
        out.back().bottom = bottom;
        return;
    }
    out.push_back(Band{top, bottom, row});
}

template <typename Change>
void PlainRows::Apply(int top, int bottom, Change change) {
    // Only the bands the rows touch are made again, with one neighbour on
    // each side so that bands alike can join across the edges.
    auto first = std::lower_bound(bands_.begin(), bands_.end(), top,
                                  [](const Band& band, int y) { return band.bottom <= y; });
    auto last = std::lower_bound(first, bands_.end(), bottom,
                                 [](const Band& band, int y) { return band.top < y; });
    if (first != bands_.begin()) {
        --first;
    }
    if (last != bands_.end()) {
        ++last;
    }
    scratch_.clear();
    int y = top;  // the first row of [top, bottom) not yet passed
    for (auto band = first; band != last; ++band) {
        if (y < bottom && y < band->top) {
            const int end = std::min(bottom, band->top);
            Emit(scratch_, y, end, change(Row{}));
            y = end;
        }
        Emit(scratch_, band->top, std::min(band->bottom, top), band->row);
        const int from = std::max(band->top, top);
        const int to = std::min(band->bottom, bottom);
        if (from < to) {
            Emit(scratch_, from, to, change(band->row));
            y = std::max(y, to);
        }
        Emit(scratch_, std::max(band->top, bottom), band->bottom, band->row);
    }
    if (y < bottom) {
        Emit(scratch_, y, bottom, change(Row{}));
    }
    const auto at = bands_.erase(first, last);
    bands_.insert(at, scratch_.begin(), scratch_.end());
}

void PlainRows::Fill(const QRect& r) {
    if (r.isEmpty()) {
        return;
    }
    const int left = r.left();
    const int right = r.left() + r.width();
    Apply(r.top(), r.bottom() + 1, [&](const Row& row) { return Added(row, left, right); });
}

void PlainRows::Cover(const QRect& r) {
    if (bands_.empty() || r.isEmpty()) {
        return;
    }
    const int left = r.left();
    const int right = r.left() + r.width();
    Apply(r.top(), r.bottom() + 1, [&](const Row& row) { return Cut(row, left, right); });
}

bool PlainRows::Holds(const QRect& r) const {
    if (r.isEmpty()) {
        return true;
    }
    const int right = r.left() + r.width();
    int y = r.top();  // the first row not yet known to hold
    const auto first = std::lower_bound(bands_.begin(), bands_.end(), y,
                                        [](const Band& band, int row) { return band.bottom <= row; });
    for (auto it = first; it != bands_.end(); ++it) {
        const Band& band = *it;
        if (band.bottom <= y) {
            continue;
        }
        if (band.top > y) {
            return false;
        }
        bool inside = false;
        for (int k = 0; k < band.row.count && !inside; ++k) {
            inside = band.row.spans[std::size_t(k)].left <= r.left() && right <= band.row.spans[std::size_t(k)].right;
        }
        if (!inside) {
            return false;
        }
        y = band.bottom;
        if (y > r.bottom()) {
            return true;
        }
    }
    return false;
}

const PlainRows::Row& PlainRows::RowAt(int y, std::size_t& next, int* until) const {
    static const Row none{};
    while (next < bands_.size() && bands_[next].bottom <= y) {
        ++next;
    }
    if (next < bands_.size() && bands_[next].top <= y) {
        *until = bands_[next].bottom;
        return bands_[next].row;
    }
    *until = next < bands_.size() ? bands_[next].top : kNoChange;
    return none;
}

void PlainRows::Plan(int top, int bottom, int dy, int left, int right) {
    plan_.clear();
    std::size_t rowBand = 0;
    std::size_t sourceBand = 0;
    for (int y = top; y < bottom;) {
        int rowUntil = 0;
        int sourceUntil = 0;
        const Row& row = RowAt(y, rowBand, &rowUntil);
        const Row& source = RowAt(y - dy, sourceBand, &sourceUntil);
        Stretch s;
        s.top = y;
        s.bottom = std::min({bottom, rowUntil, sourceUntil >= kNoChange ? kNoChange : sourceUntil + dy});
        s.gapCount = Gaps(row, source, left, right, s.gaps);
        s.moved = Within(row, left, right) && Within(source, left, right) ? source : Moved(row, source, left, right);
        plan_.push_back(s);
        y = s.bottom;
    }
}

void PlainRows::Settle(int top, int bottom) {
    scratch_.clear();
    for (const Band& band : bands_) {
        Emit(scratch_, band.top, std::min(band.bottom, top), band.row);
    }
    for (const Stretch& s : plan_) {
        Emit(scratch_, s.top, s.bottom, s.moved);
    }
    for (const Band& band : bands_) {
        Emit(scratch_, std::max(band.top, bottom), band.bottom, band.row);
    }
    bands_.swap(scratch_);
}

}  // namespace plat::qtb
