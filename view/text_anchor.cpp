// The text at the top of the page, found again after a new layout of the
// same stream (another width or font), so that the reader's place stays put.
#include "view/article_view.h"

namespace {

bool HasBlankLine(const DisplayLine& line) { return (line.flags & kBlankLineAfter) != 0; }
bool RightToLeft(const DisplayLine& line) { return (line.flags & kRightToLeft) != 0; }

// The stream byte a line starts with in reading order. Right-to-left lines
// are stored in visual order, so theirs is the last byte of their stretch.
std::uint16_t FirstReadByte(const DisplayLine& line) {
    if (RightToLeft(line) && line.charCount > 0) {
        return std::uint16_t(line.textOffset + line.charCount - 1);
    }
    return line.textOffset;
}

}  // namespace

TextAnchor TopTextAnchor(const ArticleView* view) {
    TextAnchor anchor;
    if (view == nullptr || view->lines == nullptr || view->text == nullptr) {
        return anchor;
    }
    int count = 0;
    int k = 0;
    while (view->lines[k].flags != 0 && count < view->topLine) {
        count += HasBlankLine(view->lines[k]) ? 2 : 1;
        ++k;
    }
    if (view->lines[k].flags == 0) {
        return anchor;  // the page starts past the text
    }
    anchor.valid = true;
    // A page that starts with a blank line is anchored to the line after it.
    anchor.blankBefore = count > view->topLine;
    anchor.offset = FirstReadByte(view->lines[k]);
    return anchor;
}

int TopLineForAnchor(const ArticleView* view, const TextAnchor& anchor) {
    if (view == nullptr || view->lines == nullptr || view->text == nullptr || !anchor.valid) {
        return -1;
    }
    // Only the lines of the record that holds the anchor count. Within it,
    // left-to-right lines start further on the further they are, and
    // right-to-left stretches lie further back in storage.
    const std::uint32_t recordEnd = FindTextEnd(view->text, view->textLength, anchor.offset);
    int count = 0;
    int found = -1;
    bool foundBlankBefore = false;
    bool previousBlank = false;
    for (const DisplayLine* line = view->lines; line->flags != 0; ++line) {
        const bool sameRecord =
            line->textOffset <= recordEnd &&
            FindTextEnd(view->text, view->textLength, line->textOffset) == recordEnd;
        if (sameRecord && line->textOffset <= anchor.offset) {
            found = count;
            foundBlankBefore = previousBlank;
            if (RightToLeft(*line)) break;
        } else if (found >= 0 && !sameRecord) {
            break;
        }
        previousBlank = HasBlankLine(*line);
        count += previousBlank ? 2 : 1;
    }
    if (found > 0 && anchor.blankBefore && foundBlankBefore) {
        --found;
    }
    return found;
}
