// The banner a search hit shows: the article's title and subtitle, red on
// yellow in a red, white and blue frame at the bottom of the view.
#include <algorithm>

#include "platform/gdi.h"
#include "search/search.h"
#include "view/article_view.h"

namespace {

constexpr int kBannerFontKey = 0x102;  // the small style, normal weight
constexpr plat::Colour kRed = plat::MakeColour(255, 0, 0);
constexpr plat::Colour kWhite = plat::MakeColour(255, 255, 255);
constexpr plat::Colour kBlue = plat::MakeColour(0, 0, 255);
constexpr plat::Colour kYellow = plat::MakeColour(255, 255, 0);
constexpr plat::Colour kFrameColours[] = {kRed, kRed, kWhite, kBlue, kBlue};

struct BannerLine {
    bool present = false;
    std::uint8_t flags = 0;
    std::uint32_t text = 0;  // offset of the record's text
    int count = 0;           // bytes of text that fit
    int width = 0;           // their width
};

// The record at `offset` when its flag byte, in either direction, is
// `flags`; the offset of the record after it through *next.
BannerLine ReadBannerLine(const ArticleView* view, std::uint32_t offset, std::uint8_t flags,
                          std::uint32_t* next) {
    BannerLine line;
    const std::uint32_t length = view->textLength;
    if (offset + 2 >= length || (view->text[offset] & ~kRightToLeft) != flags) {
        return line;
    }
    const std::uint32_t end = FindTextEnd(view->text, length, offset + 2);
    line.present = true;
    line.flags = view->text[offset];
    line.text = offset + 2;
    line.count = int(end - line.text);
    *next = end + 1;
    return line;
}

void SetLetterBase(const ArticleView* view, const BannerLine& line) {
    TextBuffer.letterBase =
        (line.flags & kRightToLeft) != 0 ? view->font.FontAsciiBase : kLatinLetterBase;
}

void Measure(const ArticleView* view, BannerLine* line) {
    if (!line->present) {
        return;
    }
    SetLetterBase(view, *line);
    line->width = view->box.width;
    MeasureText(view->deviceContext, view->text + line->text, &line->width, &line->count);
}

// Five one-pixel rectangles, each inside the one before; the box shrinks
// with them.
void DrawFrame(plat::Dc dc, plat::Rect* box) {
    const plat::Brush oldBrush = plat::SelectBrush(dc, plat::GetStockBrush(HOLLOW_BRUSH));
    for (plat::Colour colour : kFrameColours) {
        plat::Pen pen = plat::CreatePen(plat::PS_SOLID, 0, colour);
        const plat::Pen oldPen = plat::SelectPen(dc, pen);
        plat::Rectangle(dc, box->left, box->top, box->right, box->bottom);
        plat::SelectPen(dc, oldPen);
        plat::DeletePen(pen);
        ++box->left;
        ++box->top;
        --box->right;
        --box->bottom;
    }
    plat::SelectBrush(dc, oldBrush);
}

void DrawLine(const ArticleView* view, const BannerLine& line, const plat::Rect& box, int y,
              int height) {
    SetLetterBase(view, line);
    const int x = box.left + (box.right - box.left - line.width) / 2;
    DrawTextRunInColours(view->deviceContext, view->text + line.text, line.count, x, y,
                         line.width, height, kRed, kYellow);
}

}  // namespace

void ShowTitleBanner(ArticleView* view) {
    if (view == nullptr || view->text == nullptr || view->deviceContext == nullptr) {
        return;
    }
    std::uint32_t next = 0;
    BannerLine title = ReadBannerLine(view, 0, kTitleFlags, &next);
    BannerLine subtitle = ReadBannerLine(view, next, kSubtitleFlags, &next);
    if (!title.present && !subtitle.present) {
        return;
    }
    plat::Dc dc = view->deviceContext;
    const plat::Font oldFont = SelectStyleFont(view, kBannerFontKey);
    plat::TextMetrics metrics;
    plat::GetTextMetrics(dc, &metrics);
    const int height = metrics.tmHeight;
    const int lines = title.present && subtitle.present ? 2 : 1;
    Measure(view, &title);
    Measure(view, &subtitle);

    const ViewBox& area = view->box;
    const int width = std::min(std::max(title.width, subtitle.width) + 2 * height + 8, area.width);
    plat::Rect box;
    box.left = area.x + (area.width - width) / 2;
    box.right = box.left + width;
    box.bottom = area.y + area.height - 2;
    box.top = box.bottom + 2 - lines * height - 12;
    DrawFrame(dc, &box);
    plat::Brush yellow = plat::CreateSolidBrush(kYellow);
    plat::FillRect(dc, box, yellow);
    plat::DeleteBrush(yellow);

    int y = box.top;
    if (title.present) {
        DrawLine(view, title, box, y, height);
        y += height;
    }
    if (subtitle.present) {
        DrawLine(view, subtitle, box, y, height);
    }
    TextBuffer.letterBase = kLatinLetterBase;
    if (oldFont != nullptr) {
        plat::SelectFont(dc, oldFont);
    }
}
