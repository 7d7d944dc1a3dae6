#include "view/display_text.h"

#include <cstring>

#include "app/app_state.h"
#include "platform/gdi.h"
#include "platform/memory.h"

DisplayTextBuffer TextBuffer = {nullptr, 0, kLatinLetterBase};

namespace {

char16_t MirroredBracket(char16_t c) {
    switch (c) {
        case u'(': return u')';
        case u')': return u'(';
        case u'[': return u']';
        case u']': return u'[';
        case u'{': return u'}';
        case u'}': return u'{';
        default: return c;
    }
}

// Converts into `out` (room for `count` units plus the terminator) and
// returns the number of characters written.
int MapBytes(const std::uint8_t* bytes, int count, std::int32_t base, char16_t* out) {
    int n = 0;
    if (bytes != nullptr) {
        if (base == kLatinLetterBase) {
            for (; n < count && bytes[n] != 0; ++n) {
                out[n] = char16_t(bytes[n]);
            }
        } else {
            for (; n < count && bytes[n] != 0; ++n) {
                out[n] = char16_t(MapStoredByte(bytes[n], base));
            }
        }
    }
    out[n] = 0;
    return n;
}

// The conversion behind ConvertToDisplayText, also telling how many
// characters came out.
char16_t* Convert(const std::uint8_t* bytes, char16_t* releaseAfter, DisplayTextBuffer* scratch,
                  int count, int* converted) {
    if (count < 0) {
        count = 0;
    }
    std::int32_t base = scratch != nullptr ? scratch->letterBase : 0;
    if (base == 0) {
        base = AppState.Font.FontAsciiBase;
    }

    char16_t* out = nullptr;
    if (scratch != nullptr && scratch->buffer != nullptr && scratch->capacity >= count) {
        out = scratch->buffer;
    } else {
        out = static_cast<char16_t*>(plat::Allocate((std::size_t(count) + 1) * sizeof(char16_t)));
        if (scratch != nullptr) {
            plat::Free(scratch->buffer);
            scratch->buffer = out;
            scratch->capacity = out != nullptr ? count : 0;
        }
    }
    if (out == nullptr) {
        if (releaseAfter != nullptr) {
            plat::Free(releaseAfter);
        }
        *converted = 0;
        return nullptr;
    }

    const int n = MapBytes(bytes, count, base, out);
    if (count > 0 && base != kLatinLetterBase && (AppState.Flags & AppFlags::Reverse) != 0) {
        ReverseDisplayText(out, n);
    }
    if (releaseAfter != nullptr && releaseAfter != out) {
        plat::Free(releaseAfter);
    }
    *converted = n;
    return out;
}

// Converts through TextBuffer with Reverse suspended, so the characters come
// out in storage order whatever the setting.
const char16_t* ConvertInStorageOrder(const std::uint8_t* bytes, int count, int* converted) {
    const std::uint32_t flags = AppState.Flags;
    AppState.Flags = flags & ~AppFlags::Reverse;
    const char16_t* text = Convert(bytes, nullptr, &TextBuffer, count, converted);
    AppState.Flags = flags;
    return text;
}

}  // namespace

char16_t* ConvertToDisplayText(const std::uint8_t* bytes, char16_t* releaseAfter,
                               DisplayTextBuffer* scratch, int count) {
    int converted = 0;
    return Convert(bytes, releaseAfter, scratch, count, &converted);
}

int ReverseDisplayText(char16_t* text, int count) {
    if (count < 0) {
        count = 0;
    }
    auto* reversed = static_cast<char16_t*>(plat::Allocate(std::size_t(count) * sizeof(char16_t)));
    if (reversed == nullptr) {
        return 1;
    }
    for (int i = 0; i < count; ++i) {
        reversed[count - 1 - i] = MirroredBracket(text[i]);
    }
    if (count > 0) {
        std::memcpy(text, reversed, std::size_t(count) * sizeof(char16_t));
    }
    plat::Free(reversed);
    return 0;
}

int MeasureText(plat::Dc dc, const std::uint8_t* bytes, int* maxWidth, int* count) {
    int converted = 0;
    const char16_t* text = ConvertInStorageOrder(bytes, *count, &converted);
    if (text == nullptr) {
        *count = 0;
        *maxWidth = 0;
        return -2;
    }
    int fit = 0;
    plat::Size extent;
    if (!plat::GetTextExtentExPoint(dc, text, converted, *maxWidth, &fit, &extent)) {
        fit = 0;
    }
    if (fit < 0) {
        fit = 0;
    } else if (fit > converted) {
        fit = converted;
    }
    extent = plat::Size{};
    plat::GetTextExtentPoint(dc, text, fit, &extent);
    *count = fit;
    *maxWidth = extent.cx;
    return 0;
}

int MeasureTextExtent(plat::Dc dc, const std::uint8_t* bytes, int count, plat::Size* extent) {
    *extent = plat::Size{};
    int converted = 0;
    const char16_t* text = ConvertInStorageOrder(bytes, count, &converted);
    if (text == nullptr) {
        return -2;
    }
    plat::GetTextExtentPoint(dc, text, converted, extent);
    return 0;
}

void DrawTextRun(plat::Dc dc, const std::uint8_t* bytes, int count, int x, int y, int width,
                 int height) {
    int converted = 0;
    const char16_t* text = Convert(bytes, nullptr, &TextBuffer, count, &converted);
    if (text == nullptr) {
        return;
    }
    const plat::Rect box{x, y, x + width, y + height};
    plat::DrawText(dc, text, converted, box, kTextRunFormat);
}

void DrawTextRunInColours(plat::Dc dc, const std::uint8_t* bytes, int count, int x, int y,
                          int width, int height, plat::Colour textColour,
                          plat::Colour backColour) {
    const plat::Colour oldText = plat::SetTextColor(dc, textColour);
    const plat::Colour oldBack = plat::SetBkColor(dc, backColour);
    DrawTextRun(dc, bytes, count, x, y, width, height);
    plat::SetBkColor(dc, oldBack);
    plat::SetTextColor(dc, oldText);
}

void FillViewBox(plat::Dc dc, const ViewBox& box, int stockBrush) {
    const plat::Rect rect{box.x, box.y, box.x + box.width, box.y + box.height};
    plat::FillRect(dc, rect, plat::GetStockBrush(stockBrush));
}
