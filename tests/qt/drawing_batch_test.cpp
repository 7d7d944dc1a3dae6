// Drawing batches must not change a single pixel: text boxes copied from
// the font's store of drawn boxes look exactly like text drawn in place, and
// a box whose background is not plain is still drawn in place.
#include <gtest/gtest.h>

#include <QImage>

#include <functional>
#include <string>

#include "platform/gdi.h"
#include "platform/qt/qt_backend.h"

namespace {

using plat::Dc;

struct Run {
    std::u16string text;
    plat::Rect box;
    std::uint32_t format;
    plat::Colour colour;
};

const char16_t kHebrew[] = u"\u05e9\u05dc\u05d5\u05dd \u05e2\u05d5\u05dc\u05dd 54 PHOENIX \u05ea\u05e9\u05e4\u05f4\u05d6";

// Runs in the shapes the reader and its dialogs draw: centred, right-aligned,
// cut by their box, several lines with a mnemonic, coloured.
const Run kRuns[] = {
    {kHebrew, {10, 10, 390, 32}, 0x825, 0},
    {kHebrew, {10, 40, 120, 62}, 0x825, 0x00800000},
    {u"Right aligned, fits", {0, 70, 400, 92}, DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX, 0x00FF0000},
    {u"&Search\nAgain\r\nthird line", {20, 100, 300, 170}, 0, 0},
    {u"fi fl ffi WAVE", {250, 175, 330, 195}, DT_SINGLELINE | DT_VCENTER, 0x000000FF},
};

QImage Draw(const char16_t* face, bool batched, int repeats, const std::function<void(Dc)>& before) {
    plat::LogFont description;
    description.height = 18;
    std::u16string name(face);
    name.copy(description.faceName, name.size());
    plat::Font font = plat::CreateFontIndirect(description);
    Dc dc = plat::CreateImageDC(400, 200);
    plat::SelectFont(dc, font);
    for (int pass = 0; pass < repeats; ++pass) {
        if (batched) plat::BeginDrawing(dc);
        plat::FillRect(dc, plat::Rect{0, 0, 400, 200}, plat::GetStockBrush(WHITE_BRUSH));
        before(dc);
        for (const Run& run : kRuns) {
            plat::SetTextColor(dc, run.colour);
            plat::SetBkMode(dc, TRANSPARENT);
            plat::DrawText(dc, run.text.data(), int(run.text.size()), run.box, run.format);
        }
        plat::SetBkMode(dc, OPAQUE);
        plat::SetBkColor(dc, 0x0000FFFF);
        plat::DrawText(dc, u"highlight", 9, plat::Rect{150, 180, 240, 200}, DT_SINGLELINE);
        if (batched) plat::EndDrawing(dc);
    }
    QImage image = plat::qt::DcImage(dc).copy();
    plat::DeleteImageDC(dc);
    plat::DeleteFont(font);
    return image;
}

int DifferentPixels(const QImage& a, const QImage& b) {
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            count += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
        }
    }
    return count;
}

TEST(DrawingBatch, CopiedTextBoxesMatchTextDrawnInPlace) {
    const auto nothing = [](Dc) {};
    for (const char16_t* face : {u"David CLM", u"DejaVu Sans", u"Noto Serif Hebrew"}) {
        const QImage direct = Draw(face, false, 1, nothing);
        // The first batch draws the boxes, the later ones copy them.
        const QImage batched = Draw(face, true, 3, nothing);
        ASSERT_EQ(direct.size(), batched.size());
        EXPECT_EQ(DifferentPixels(direct, batched), 0) << QString::fromUtf16(face).toStdString();
        QImage white(direct.size(), direct.format());
        white.fill(Qt::white);
        EXPECT_GT(DifferentPixels(direct, white), 500) << "the runs were drawn";
    }
}

TEST(DrawingBatch, TextOverOtherDrawingIsDrawnInPlace) {
    // A frame and a rule under the text boxes: copying a stored box over
    // them would wipe them out.
    const auto shapes = [](Dc dc) {
        plat::SelectBrush(dc, plat::GetStockBrush(NULL_BRUSH));
        plat::RoundRect(dc, 5, 8, 395, 35, 6, 6);
        plat::SelectBrush(dc, plat::GetStockBrush(GRAY_BRUSH));
        plat::Rectangle(dc, 0, 80, 400, 82);
        plat::FillRect(dc, plat::Rect{30, 120, 60, 140}, plat::GetStockBrush(LTGRAY_BRUSH));
    };
    const QImage direct = Draw(u"DejaVu Sans", false, 1, shapes);
    const QImage batched = Draw(u"DejaVu Sans", true, 2, shapes);
    EXPECT_EQ(DifferentPixels(direct, batched), 0);
    EXPECT_EQ(direct.pixel(5, 20), qRgb(0, 0, 0)) << "the frame's left side is there";
}

TEST(DrawingBatch, NestedBatchesEndOnceAndUnbalancedEndsAreHarmless) {
    Dc dc = plat::CreateImageDC(50, 20);
    plat::EndDrawing(dc);  // no batch open: nothing happens
    plat::BeginDrawing(dc);
    plat::BeginDrawing(dc);
    plat::FillRect(dc, plat::Rect{0, 0, 50, 20}, plat::GetStockBrush(BLACK_BRUSH));
    plat::EndDrawing(dc);
    plat::FillRect(dc, plat::Rect{0, 0, 10, 10}, plat::GetStockBrush(WHITE_BRUSH));
    plat::EndDrawing(dc);
    const QImage image = plat::qt::DcImage(dc);
    EXPECT_EQ(image.pixel(5, 5), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(20, 15), qRgb(0, 0, 0));
    plat::DeleteImageDC(dc);
}

}  // namespace
