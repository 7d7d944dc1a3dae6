// The glyphs of a font, character by character, and the widths of runs.
//
// Each character is looked up once per font: its whole-pixel advance and
// the glyph that shows it, in the font itself or in the font Qt falls back
// to for it. Measuring sums these advances and drawing places the glyphs at
// the same sums, so the two agree by construction.
#include <QFontMetrics>
#include <QGlyphRun>
#include <QRawFont>
#include <QTextLayout>

#include <algorithm>

#include "platform/qt/controls.h"
#include "platform/qt/qt_internal.h"

namespace plat {

namespace qtb {

const QImage& MeasuringImage() {
    static QImage image(1, 1, QImage::Format_RGB32);
    return image;
}

}  // namespace qtb

namespace {

// The index of `face` among the faces the font's glyphs come from, added
// when it is new.
std::int16_t FaceIndex(FontObject* f, const QRawFont& face) {
    auto it = std::find(f->faces.begin(), f->faces.end(), face);
    if (it == f->faces.end()) {
        f->faces.push_back(face);
        it = f->faces.end() - 1;
    }
    return std::int16_t(it - f->faces.begin());
}

// The glyph Qt chooses for one character (or a surrogate pair) on its own,
// with the font it falls back to when this one lacks the character.
FontObject::Glyph LookUpGlyph(FontObject* f, const QString& text) {
    FontObject::Glyph g;
    QTextLayout layout(text, f->font, &qtb::MeasuringImage());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    if (!line.isValid()) {
        return g;
    }
    for (const QGlyphRun& run : layout.glyphRuns()) {
        if (run.glyphIndexes().isEmpty()) {
            continue;
        }
        g.face = FaceIndex(f, run.rawFont());
        g.index = run.glyphIndexes().first();
        QPointF at = run.positions().first();
        g.dx = float(at.x() - line.x());
        g.dy = float(at.y() - (line.y() + line.ascent()));
        break;
    }
    return g;
}

// The glyph of a character the font's own face has, read from that face:
// the same glyph and advance Qt would give, without Qt loading the font a
// second time for the character's script (it shares a loaded font between
// scripts only for fonts it counts as Latin ones). Marks are left to Qt,
// which places them.
bool OwnFaceGlyph(FontObject* f, char16_t c, FontObject::Glyph* g) {
    if (!f->ownFaceChecked) {
        f->ownFaceChecked = true;
        f->ownFace = QRawFont::fromFont(f->font);
    }
    const QChar ch(c);
    const QChar::Category category = ch.category();
    if (!f->ownFace.isValid() || category == QChar::Mark_NonSpacing ||
        category == QChar::Mark_SpacingCombining || category == QChar::Mark_Enclosing ||
        ch.isSurrogate() || !f->ownFace.supportsCharacter(ch)) {
        return false;
    }
    quint32 index = 0;
    int count = 1;
    if (!f->ownFace.glyphIndexesForChars(&ch, 1, &index, &count) || count != 1 || index == 0) {
        return false;
    }
    QPointF advance;
    if (!f->ownFace.advancesForGlyphIndexes(&index, &advance, 1)) {
        return false;
    }
    g->face = FaceIndex(f, f->ownFace);
    g->index = index;
    g->dx = 0;
    g->dy = 0;
    g->advance = qRound(advance.x());
    return true;
}

}  // namespace

const FontObject::Glyph& FontObject::Lookup(char16_t c) {
    auto& page = pages[c >> 8];
    if (!page) {
        page = std::make_unique<Glyph[]>(256);
    }
    Glyph& g = page[c & 0xFF];
    if (g.advance < 0 && !OwnFaceGlyph(this, c, &g)) {
        int advance = metrics->horizontalAdvance(QChar(c));
        g = LookUpGlyph(this, QString(QChar(c)));
        g.advance = advance;
    }
    return g;
}

FontObject::Glyph FontObject::PairGlyph(char16_t high, char16_t low) {
    QChar pair[2] = {QChar(high), QChar(low)};
    QString text(pair, 2);
    Glyph g = LookUpGlyph(this, text);
    g.advance = metrics->horizontalAdvance(text);
    return g;
}

namespace qtb {

int MeasureRun(FontObject* f, const char16_t* text, int count, int maxExtent, int* fit) {
    int width = 0;
    int fitted = 0;
    bool fitting = maxExtent >= 0;
    for (int i = 0; i < count; ++i) {
        char16_t c = text[i];
        int step;
        int units = 1;
        if (QChar::isHighSurrogate(c) && i + 1 < count && QChar::isLowSurrogate(text[i + 1])) {
            step = f->PairGlyph(c, text[i + 1]).advance;
            units = 2;
        } else {
            step = f->Advance(c);
        }
        width += step;
        if (fitting) {
            if (width <= maxExtent) {
                fitted += units;
            } else {
                fitting = false;
            }
        }
        i += units - 1;
    }
    if (fit != nullptr) {
        *fit = fitted;
    }
    return width;
}

}  // namespace qtb

}  // namespace plat
