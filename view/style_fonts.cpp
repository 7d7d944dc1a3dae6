#include "view/style_fonts.h"

#include "platform/gdi.h"
#include "platform/memory.h"

namespace {

constexpr std::int32_t kUnknownMetric = -1;

plat::Font CreateStyleFont(const ArticleView* view, int key) {
    plat::LogFont description;
    const std::int32_t size = view->font.FontSize;
    if ((key & kStyleLarge) != 0) {
        description.height = size != 0 ? size * 5 / 4 : 20;
    } else if ((key & kStyleSmall) != 0) {
        description.height = size != 0 ? size * 6 / 8 : 14;
    } else {
        description.height = size;
    }
    description.weight = (key & kStyleBold) != 0 ? FW_BOLD : FW_NORMAL;
    for (int i = 0; i < 31 && view->font.FontName[i] != 0; ++i) {
        description.faceName[i] = view->font.FontName[i];
    }
    return plat::CreateFontIndirect(description);
}

void DeleteCachedFonts(ArticleView* view) {
    // A cached font still selected into the context gives way to the
    // context's own before it is deleted.
    plat::Font current = plat::SelectFont(view->deviceContext, nullptr);
    for (FontCacheEntry* entry = view->fontCache; entry != nullptr; entry = entry->next) {
        if (entry->font != nullptr && entry->font == current) {
            current = nullptr;
        }
    }
    if (current != nullptr) {
        plat::SelectFont(view->deviceContext, current);
    }
    for (FontCacheEntry* entry = view->fontCache; entry != nullptr; entry = entry->next) {
        if (entry->font != nullptr) {
            plat::DeleteFont(entry->font);
            entry->font = nullptr;
        }
        entry->lineHeight = entry->maxCharWidth = entry->aveCharWidth = kUnknownMetric;
    }
}

plat::Colour StyleColour(int key) {
    if ((key & (kStyleLarge | kStyleBold)) == (kStyleLarge | kStyleBold)) {
        return kLargeBoldColour;
    }
    if ((key & kStyleSmall) != 0) {
        return kSmallColour;
    }
    return kTextColour;
}

// SelectStyleFont that also hands back the cache entry (none when memory ran
// out) and whether a font was selected at all.
FontCacheEntry* SelectStyleEntry(ArticleView* view, int keyAndOptions, plat::Font* previous,
                                 bool* selected) {
    const std::uint8_t key = std::uint8_t(keyAndOptions & kStyleKeyMask);
    *previous = nullptr;
    *selected = false;
    FontCacheEntry* entry = nullptr;
    FontCacheEntry* without = nullptr;
    for (FontCacheEntry* e = view->fontCache; e != nullptr; e = e->next) {
        if (e->styleKey == key) {
            if (e->font != nullptr) {
                entry = e;
                break;
            }
            if (without == nullptr) {
                without = e;
            }
        }
    }
    if (entry == nullptr) {
        // An entry whose font was released is made again rather than doubled.
        entry = without;
        if (entry == nullptr) {
            entry = static_cast<FontCacheEntry*>(plat::Allocate(sizeof(FontCacheEntry)));
            if (entry != nullptr) {
                *entry = FontCacheEntry{};
                entry->styleKey = key;
                entry->lineHeight = entry->maxCharWidth = entry->aveCharWidth = kUnknownMetric;
                entry->next = view->fontCache;
                view->fontCache = entry;
            }
        }
        if (entry != nullptr) {
            entry->font = CreateStyleFont(view, key);
            entry->lineHeight = entry->maxCharWidth = entry->aveCharWidth = kUnknownMetric;
        }
    }
    if ((keyAndOptions & kSelectWithColour) != 0) {
        plat::SetTextColor(view->deviceContext, StyleColour(key));
    }
    if (entry == nullptr || entry->font == nullptr) {
        return entry;
    }
    *previous = plat::SelectFont(view->deviceContext, entry->font);
    *selected = true;
    if (entry->lineHeight == kUnknownMetric) {
        plat::TextMetrics metrics;
        plat::GetTextMetrics(view->deviceContext, &metrics);
        entry->lineHeight = metrics.tmHeight;
        entry->maxCharWidth = metrics.tmMaxCharWidth;
        entry->aveCharWidth = metrics.tmAveCharWidth;
    }
    return entry;
}

}  // namespace

bool SelectLayoutFont(ArticleView* view, int key, LineFont* font, plat::Font* previous,
                      bool* selected) {
    FontCacheEntry* entry = SelectStyleEntry(view, key, previous, selected);
    if (entry == nullptr) {
        return false;
    }
    if (entry->font != nullptr) {
        font->height = entry->lineHeight;
        font->maxCharWidth = entry->maxCharWidth;
        font->aveCharWidth = entry->aveCharWidth;
    } else {
        // The system would not make the font: go on with the one selected.
        plat::TextMetrics metrics;
        plat::GetTextMetrics(view->deviceContext, &metrics);
        font->height = metrics.tmHeight;
        font->maxCharWidth = metrics.tmMaxCharWidth;
        font->aveCharWidth = metrics.tmAveCharWidth;
    }
    return true;
}

int ApplyFont(ArticleView* view, const FontDescription* font) {
    if (view == nullptr) {
        return -1;
    }
    if (font == nullptr) {
        DeleteCachedFonts(view);
        return 0;
    }
    view->font = *font;
    DeleteCachedFonts(view);
    for (FontCacheEntry* entry = view->fontCache; entry != nullptr; entry = entry->next) {
        entry->font = CreateStyleFont(view, entry->styleKey);
    }
    if (LayoutArticle(view, view->text, 0, view->textLength) != 0) {
        return 1;
    }
    return PaintArticleView(view, 1);
}

plat::Font SelectStyleFont(ArticleView* view, int keyAndOptions) {
    if (view == nullptr) {
        return nullptr;
    }
    plat::Font previous = nullptr;
    bool selected = false;
    SelectStyleEntry(view, keyAndOptions, &previous, &selected);
    return previous;
}
