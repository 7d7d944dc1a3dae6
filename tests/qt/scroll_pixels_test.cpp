// A scroll that moves the pixels already drawn and paints only what changes
// must give exactly the page a whole paint gives: scrolls up and down by a
// few lines from every top line of a page with blank lines, rules, framed
// links (one of them over two lines) and a back link. And ScrollDC, which
// passes over the pixels it knows to be plain where they go and where they
// come from, must move exactly what a copy of every row moves, whatever
// drew on the picture in between.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "platform/gdi.h"
#include "platform/qt/qt_backend.h"
#include "platform/window.h"
#include "dejavu_view.h"
#include "support.h"
#include "view/article_view.h"

namespace {

constexpr int kBoxX = 14, kBoxY = 12, kBoxWidth = 260, kBoxHeight = 230;

std::vector<std::uint8_t> MixedStream() {
    std::vector<std::uint8_t> s;
    std::mt19937 random(5);
    auto words = [&](int count) {
        std::string text;
        for (int w = 0; w < count; ++w) {
            if (w > 0) text.push_back(' ');
            for (int i = 2 + int(random() % 5); i > 0; --i) text.push_back(char(0x61 + random() % 27));
        }
        return text;
    };
    auto record = [&](std::uint8_t flags, std::uint8_t layout, const std::string& text) {
        s.push_back(flags);
        s.push_back(layout);
        s.insert(s.end(), text.begin(), text.end());
        s.push_back(0);
    };
    auto link = [&](std::uint16_t number, const std::string& caption) {
        s.insert(s.end(), {0x37, 0x01, std::uint8_t(0x80 | (number & 0x7F))});
        if (number > 0x7F) s.push_back(std::uint8_t(0x80 | (number >> 7)));
        s.insert(s.end(), caption.begin(), caption.end());
        s.push_back(0);
    };
    record(0xDC, 0, words(3));
    link(0x3FFF, words(2));  // the back link, hidden in this view
    for (int part = 0; part < 5; ++part) {
        record(0xB1, 0, words(30));
        record(0x31, 0, words(8));
        record(0x91, 0, words(12));
        link(std::uint16_t(10 + part), words(part == 2 ? 25 : 3));  // part 2: over lines
        record(0x01, 0, "PHOENIX 54 fine");
        s.insert(s.end(), {0x87, 0x30, 0});  // a rule with a blank line after
        record(0x31, 0x44, words(10));
    }
    s.push_back(0);
    s.push_back(0);
    return s;
}

class ScrollPixels : public ::testing::Test {
protected:
    void SetUp() override {
        dc_ = plat::CreateImageDC(kBoxX * 2 + kBoxWidth, kBoxY * 2 + kBoxHeight);
        view_ = qt_test::LayOutDejaVuView(
            dc_, plat::Rect{kBoxX, kBoxY, kBoxX + kBoxWidth, kBoxY + kBoxHeight}, MixedStream());
        ASSERT_NE(view_, nullptr);
        ASSERT_GT(view_->maxTopLine, 20);
    }
    void TearDown() override {
        DestroyArticleView(view_, 1);
        plat::DeleteImageDC(dc_);
    }
    QImage Box() const {
        return plat::qt::DcImage(dc_).copy(kBoxX, kBoxY, kBoxWidth, kBoxHeight);
    }
    std::vector<std::pair<const DisplayLine*, int>> Hits() const {
        std::vector<std::pair<const DisplayLine*, int>> hits;
        for (int i = 0; view_->linkHits != nullptr && view_->linkHits[i].line != nullptr; ++i) {
            hits.emplace_back(view_->linkHits[i].line, view_->linkHits[i].y);
        }
        return hits;
    }
    plat::Dc dc_ = nullptr;
    ArticleView* view_ = nullptr;
};

TEST_F(ScrollPixels, MovedPagesMatchWholePaints) {
    int compared = 0;
    for (int top = 0; top <= view_->maxTopLine; ++top) {
        for (int delta : {1, -1, 2, -3, 4}) {
            view_->topLine = std::uint16_t(top);
            PaintArticleView(view_, 1);
            ScrollArticleView(view_, delta, 1, 1);
            const QImage moved = Box();
            const int painted = view_->linesPainted;
            const auto hits = Hits();
            view_->pagePicture = 0;  // force a whole paint of the same page
            PaintArticleView(view_, 1);
            ASSERT_EQ(moved, Box()) << "top " << top << " delta " << delta;
            ASSERT_EQ(painted, view_->linesPainted);
            ASSERT_EQ(hits, Hits());
            ++compared;
        }
    }
    EXPECT_GT(compared, 100);
}

TEST_F(ScrollPixels, DrawingOverThePageMakesTheNextScrollPaintWhole) {
    view_->topLine = 5;
    PaintArticleView(view_, 1);
    // Something else draws over the page, as a banner does.
    plat::FillRect(dc_, plat::Rect{kBoxX, kBoxY + 100, kBoxX + 100, kBoxY + 120},
                   plat::GetStockBrush(BLACK_BRUSH));
    ScrollArticleView(view_, 1, 1, 1);
    const QImage scrolled = Box();
    view_->pagePicture = 0;
    PaintArticleView(view_, 1);
    EXPECT_EQ(scrolled, Box());
}

// What ScrollDC must give: every row of `area` that has a source inside it
// takes the pixels of that source row.
QImage RowsMoved(const QImage& before, int dy, const QRect& area) {
    QImage after = before.copy();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const int from = y - dy;
        if (from < area.top() || from > area.bottom()) continue;
        for (int x = area.left(); x <= area.right(); ++x) after.setPixel(x, y, before.pixel(x, from));
    }
    return after;
}

plat::LResult PlainProc(plat::Window w, std::uint32_t message, plat::WParam wParam, plat::LParam lParam) {
    return plat::DefWindowProc(w, message, wParam, lParam);
}

// A window of a class of its own that leaves everything to the defaults;
// null when it could not be made.
plat::Window PlainWindow(const char16_t* name, int width, int height) {
    const std::u16string className = qt_test::UniqueClass(name);
    plat::WindowClass wc;
    wc.proc = PlainProc;
    wc.className = className.c_str();
    if (!plat::RegisterClass(wc)) return nullptr;
    return plat::CreateWindowEx(0, className.c_str(), u"Scroll", WS_VISIBLE, 0, 0, width, height, nullptr, nullptr,
                                nullptr);
}

TEST(ScrollDc, MovesWhatARowCopyMovesWhateverDrewInBetween) {
    plat::Window window = PlainWindow(u"ScrollHost", 300, 200);
    ASSERT_NE(window, nullptr);
    plat::Dc page = plat::GetDC(window);
    plat::Dc other = plat::GetDC(window);  // a second context on the same picture
    plat::LogFont description;
    description.height = 16;
    std::u16string face(u"DejaVu Sans");
    face.copy(description.faceName, face.size());
    plat::Font font = plat::CreateFontIndirect(description);
    plat::SelectFont(page, font);
    plat::SelectFont(other, font);
    const plat::Rect area{5, 10, 295, 190};
    const QRect box(5, 10, 290, 180);
    // The page: a white box with short and long lines of text in it, drawn
    // in one batch, so that the context knows which parts stayed plain.
    auto paint = [&] {
        plat::BeginDrawing(page);
        plat::FillRect(page, area, plat::GetStockBrush(WHITE_BRUSH));
        for (int line = 0; line < 9; ++line) {
            const std::u16string text = line % 3 == 1 ? u"short" : u"a longer line of words, " + std::u16string(std::size_t(line), u'x');
            const int x = line % 2 == 0 ? 8 : 120;
            plat::DrawText(page, text.data(), int(text.size()), plat::Rect{x, 12 + 20 * line, 290, 30 + 20 * line},
                           DT_SINGLELINE | DT_NOPREFIX);
        }
        plat::EndDrawing(page);
    };
    const std::vector<std::pair<const char*, std::function<void()>>> between = {
        {"nothing", [] {}},
        {"another context fills a plain part",
         [&] { plat::FillRect(other, plat::Rect{200, 20, 260, 60}, plat::GetStockBrush(BLACK_BRUSH)); }},
        {"another context writes in a plain part", [&] { plat::ExtTextOut(other, 220, 150, u"ink", 3); }},
        {"the page's context writes outside a batch", [&] { plat::ExtTextOut(page, 200, 95, u"more", 4); }},
        {"the page's context fills outside a batch",
         [&] { plat::FillRect(page, plat::Rect{150, 110, 280, 130}, plat::GetStockBrush(GRAY_BRUSH)); }},
    };
    for (const auto& [what, draw] : between) {
        for (int dy : {-20, 23, -7}) {
            paint();
            // A first move, so that the second starts from moved knowledge.
            plat::ScrollDC(page, 13, area);
            draw();
            const QImage before = plat::qt::WindowImage(window).copy();
            ASSERT_TRUE(plat::ScrollDC(page, dy, area));
            const QImage expected = RowsMoved(before, dy, box);
            EXPECT_EQ(qt_test::DifferentPixels(plat::qt::WindowImage(window), expected), 0) << what << ", dy " << dy;
            EXPECT_GT(qt_test::DifferentPixels(before, expected), 100) << "the move changed the picture";
        }
    }
    plat::ReleaseDC(window, other);
    plat::ReleaseDC(window, page);
    plat::DeleteFont(font);
    plat::DestroyWindow(window);
    qt_test::Drain();
}

// A picture of many colours: rectangles in five shades and a few colours.
void PaintPatches(plat::Dc dc, int width, int height, std::mt19937& random) {
    std::vector<plat::Brush> brushes;
    for (int b = WHITE_BRUSH; b <= BLACK_BRUSH; ++b) brushes.push_back(plat::GetStockBrush(b));
    for (plat::Colour c : {0x0000FFu, 0x00FF00u, 0xFF0000u}) brushes.push_back(plat::CreateSolidBrush(c));
    plat::FillRect(dc, plat::Rect{0, 0, width, height}, brushes[0]);
    for (int i = 0; i < 300; ++i) {
        const int x = int(random() % unsigned(width)), y = int(random() % unsigned(height));
        plat::FillRect(dc, plat::Rect{x, y, x + 1 + int(random() % 60), y + 1 + int(random() % 9)},
                       brushes[random() % brushes.size()]);
    }
    for (std::size_t b = 5; b < brushes.size(); ++b) plat::DeleteBrush(brushes[b]);
}

TEST(ScrollDc, LongScrollsOneWayMoveWhatARowCopyMoves) {
    // Far more than the picture's height in each direction, by steps of
    // several sizes, in an area with rows and columns outside it on every
    // side, and in one as wide as the picture.
    constexpr int kWidth = 120, kHeight = 90;
    plat::Dc dc = plat::CreateImageDC(kWidth, kHeight);
    std::mt19937 random(11);
    PaintPatches(dc, kWidth, kHeight, random);
    const std::vector<std::pair<plat::Rect, QRect>> areas = {
        {plat::Rect{7, 5, 101, 83}, QRect(7, 5, 94, 78)},
        {plat::Rect{-4, 0, kWidth + 4, kHeight}, QRect(0, 0, kWidth, kHeight)},
    };
    int moves = 0;
    for (const auto& [area, box] : areas) {
        for (int dy : {-1, -7, 3, 11, -44, 45, -13}) {
            for (int step = 0; step < 3 * kHeight / std::abs(dy) + 2; ++step) {
                const QImage before = plat::qt::DcImage(dc).copy();
                ASSERT_TRUE(plat::ScrollDC(dc, dy, area));
                ASSERT_EQ(qt_test::DifferentPixels(plat::qt::DcImage(dc), RowsMoved(before, dy, box)), 0)
                    << "dy " << dy << ", step " << step;
                if (step % 5 == 4) {
                    // New ink now and then, so that what moves keeps changing.
                    PaintPatches(dc, kWidth, kHeight, random);
                }
                ++moves;
            }
        }
    }
    EXPECT_GT(moves, 200);
    plat::DeleteImageDC(dc);
}

TEST(ScrollDc, LeavesCopiesOfThePictureAndBatchesAlone) {
    constexpr int kWidth = 80, kHeight = 60;
    plat::Dc dc = plat::CreateImageDC(kWidth, kHeight);
    std::mt19937 random(3);
    PaintPatches(dc, kWidth, kHeight, random);
    const plat::Rect area{0, 4, kWidth, 56};
    const QRect box(0, 4, kWidth, 52);
    for (int dy : {5, -9, 29, -29}) {
        // A copy taken of the picture keeps what it showed, scroll after scroll.
        const QImage held = plat::qt::DcImage(dc);
        const QImage expectedHeld = held.copy();
        for (int i = 0; i < 4; ++i) {
            const QImage before = plat::qt::DcImage(dc).copy();
            ASSERT_TRUE(plat::ScrollDC(dc, dy, area));
            ASSERT_EQ(qt_test::DifferentPixels(plat::qt::DcImage(dc), RowsMoved(before, dy, box)), 0) << dy;
        }
        EXPECT_EQ(qt_test::DifferentPixels(held, expectedHeld), 0) << dy;
        // A scroll inside a drawing batch, between two of its fills.
        plat::BeginDrawing(dc);
        plat::FillRect(dc, plat::Rect{10, 10, 30, 20}, plat::GetStockBrush(BLACK_BRUSH));
        const QImage before = plat::qt::DcImage(dc).copy();
        ASSERT_TRUE(plat::ScrollDC(dc, dy, area));
        QImage expected = RowsMoved(before, dy, box);
        plat::FillRect(dc, plat::Rect{40, 30, 50, 50}, plat::GetStockBrush(GRAY_BRUSH));
        plat::EndDrawing(dc);
        for (int y = 30; y < 50; ++y) {
            for (int x = 40; x < 50; ++x) expected.setPixel(x, y, qRgb(128, 128, 128));
        }
        EXPECT_EQ(qt_test::DifferentPixels(plat::qt::DcImage(dc), expected), 0) << dy;
    }
    plat::DeleteImageDC(dc);
}

// A window resized between scrolls gets a new picture; scrolls of the new
// one move what a row copy moves, and a copy of the old one keeps its pixels.
TEST(ScrollDc, AWindowResizedBetweenScrollsScrollsItsNewPicture) {
    plat::Window window = PlainWindow(u"ScrollResized", 200, 150);
    ASSERT_NE(window, nullptr);
    plat::Dc dc = plat::GetDC(window);
    std::mt19937 random(5);
    for (const auto& [width, height] : {std::pair{200, 150}, {260, 90}, {120, 300}, {200, 150}}) {
        plat::MoveWindow(window, 0, 0, width, height, true);
        qt_test::Drain();
        const QImage shown = plat::qt::WindowImage(window);
        ASSERT_EQ(shown.size(), QSize(width, height));
        PaintPatches(dc, shown.width(), shown.height(), random);
        const QImage held = plat::qt::WindowImage(window);
        const QImage heldPixels = held.copy();
        for (int dy : {-9, -9, 13, -30, 30}) {
            const QImage before = plat::qt::WindowImage(window).copy();
            const QRect box(0, 4, before.width(), before.height() - 8);
            ASSERT_TRUE(plat::ScrollDC(dc, dy, plat::Rect{0, 4, before.width(), before.height() - 4}));
            ASSERT_EQ(qt_test::DifferentPixels(plat::qt::WindowImage(window), RowsMoved(before, dy, box)), 0)
                << width << " x " << height << ", dy " << dy;
        }
        EXPECT_EQ(qt_test::DifferentPixels(held, heldPixels), 0) << width << " x " << height;
    }
    plat::ReleaseDC(window, dc);
    plat::DestroyWindow(window);
    qt_test::Drain();
}

// What the window shows on the screen (the offscreen platform's screen
// reads it from the window's backing store) is the client's picture, also
// after scrolls that Qt shows by moving what it already showed.
TEST(ScrollDc, TheScreenShowsTheScrolledPicture) {
    plat::Window window = PlainWindow(u"ScrollShown", 320, 280);
    ASSERT_NE(window, nullptr);
    plat::ShowWindow(window, SW_SHOW);
    qt_test::Drain();
    plat::Dc dc = plat::GetDC(window);
    ArticleView* view = qt_test::LayOutDejaVuView(
        dc, plat::Rect{kBoxX, kBoxY, kBoxX + kBoxWidth, kBoxY + kBoxHeight}, MixedStream());
    ASSERT_NE(view, nullptr);
    QWidget* client = plat::qt::ClientOf(window);
    ASSERT_NE(client, nullptr);
    auto screen = [&] {
        const QPoint at = client->mapTo(client->window(), QPoint(0, 0));
        return QGuiApplication::primaryScreen()
            ->grabWindow(client->window()->winId(), at.x(), at.y(), client->width(), client->height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    };
    ASSERT_TRUE(qt_test::RunLoopUntil([&] {
        const QWindow* shown = client->window()->windowHandle();
        return shown != nullptr && shown->isExposed();
    }));
    qt_test::Drain();
    // Qt shows changes a moment later: each picture is waited for. When a
    // scroll is shown wrong, no later change puts it right.
    auto screenShowsPicture = [&] {
        return qt_test::RunLoopUntil(
            [&] { return qt_test::DifferentPixels(screen(), plat::qt::WindowImage(window)) == 0; }, 2000);
    };
    PaintArticleView(view, 1);
    ASSERT_TRUE(screenShowsPicture());
    int compared = 0;
    for (int delta : {1, 1, 1, 2, 1, 3, -1, -2, -1, 4, -4, -1, -1}) {
        for (int repeat = 0; repeat < 4; ++repeat) {
            const std::uint16_t before = view->topLine;
            ScrollArticleView(view, delta, 1, 1);
            if (view->topLine == before) continue;
            ASSERT_TRUE(screenShowsPicture()) << "delta " << delta << " to line " << view->topLine;
            ++compared;
        }
    }
    EXPECT_GT(compared, 30);
    // A scroll while another context has a drawing batch open on the picture.
    plat::Dc other = plat::GetDC(window);
    plat::BeginDrawing(other);
    plat::FillRect(other, plat::Rect{40, 60, 140, 90}, plat::GetStockBrush(BLACK_BRUSH));
    ASSERT_TRUE(plat::ScrollDC(dc, -17, plat::Rect{0, 0, 320, 200}));
    plat::EndDrawing(other);
    plat::ReleaseDC(window, other);
    EXPECT_TRUE(screenShowsPicture());
    DestroyArticleView(view, 1);
    plat::ReleaseDC(window, dc);
    plat::DestroyWindow(window);
    qt_test::Drain();
}

}  // namespace
