// The edit box and the owner-drawn button of dialogs.
#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPainter>

#include <algorithm>

#include "platform/qt/controls.h"

namespace plat::qtb {
namespace {

constexpr std::uint32_t ES_CENTER = 0x0001;
constexpr std::uint32_t ES_RIGHT = 0x0002;
constexpr std::uint32_t ES_MULTILINE = 0x0004;
constexpr int kMargin = 3;

}  // namespace

// ---- edit box ------------------------------------------------------------

EditWidget::EditWidget(QWidget* parent, std::uint32_t style) : QWidget(parent) {
    multiline_ = (style & ES_MULTILINE) != 0;
    border_ = (style & WS_BORDER) != 0;
    align_ = (style & ES_RIGHT) ? 2 : ((style & ES_CENTER) ? 1 : 0);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::IBeamCursor);
    setAttribute(Qt::WA_InputMethodEnabled);
}

FontObject* EditWidget::font() const { return font_ != nullptr ? font_ : StockFont(); }

void EditWidget::setFontObject(FontObject* font) {
    font_ = font;
    update();
}

void EditWidget::setText(const QString& text) {
    text_ = text.left(maxLength_);
    cursor_ = anchor_ = int(text_.size());
    scroll_ = 0;
    changed();
}

void EditWidget::setSelection(int start, int end) {
    const rules::EditSelection held =
        rules::EditSelectionFor(start, end, int(text_.size()), rules::EditSelection{anchor_, cursor_});
    anchor_ = held.anchor;
    cursor_ = held.caret;
    update();
}

void EditWidget::replaceSelection(const QString& text) { insert(text); }

void EditWidget::setMaxLength(int length) {
    maxLength_ = rules::EditLimitFor(length);
    if (text_.size() > maxLength_) {
        text_.truncate(maxLength_);
        cursor_ = std::min(cursor_, maxLength_);
        anchor_ = std::min(anchor_, maxLength_);
        changed();
    }
}

void EditWidget::changed() {
    update();
    if (onChange) {
        onChange();
    }
}

QRect EditWidget::inner() const { return rect().adjusted(kMargin, kMargin, -kMargin, -kMargin); }

int EditWidget::prefixWidth(int start, int count) const {
    return MeasureRun(font(), reinterpret_cast<const char16_t*>(text_.utf16()) + start, count, -1,
                      nullptr);
}

// Lines of a multi-line box break after the last space that fits, or where
// a word no longer fits; a single-line box is one line.
std::vector<EditWidget::Line> EditWidget::lines() const {
    std::vector<Line> out;
    int n = int(text_.size());
    if (!multiline_) {
        out.push_back(Line{0, n});
        return out;
    }
    int width = std::max(inner().width(), 1);
    int start = 0;
    while (start < n) {
        int fit = 0;
        const char16_t* p = reinterpret_cast<const char16_t*>(text_.utf16()) + start;
        int rest = n - start;
        int newline = int(text_.indexOf(QLatin1Char('\n'), start));
        if (newline >= 0 && newline - start < rest) {
            rest = newline - start;
        }
        MeasureRun(font(), p, rest, width, &fit);
        if (fit >= rest) {
            out.push_back(Line{start, rest});
            start += rest + (newline >= 0 && start + rest == newline ? 1 : 0);
            continue;
        }
        int cut = std::max(fit, 1);
        int space = int(text_.lastIndexOf(QLatin1Char(' '), start + cut - 1));
        if (space >= start && space < start + cut && space > start) {
            cut = space - start + 1;
        }
        out.push_back(Line{start, cut});
        start += cut;
    }
    if (out.empty() || (n > 0 && text_.endsWith(QLatin1Char('\n')))) {
        out.push_back(Line{n, 0});
    }
    return out;
}

int EditWidget::lineX(const Line& line) const {
    QRect box = inner();
    int w = prefixWidth(line.start, line.length);
    int x = box.left();
    if (align_ == 2) {
        x = box.right() + 1 - w;
    } else if (align_ == 1) {
        x = box.left() + (box.width() - w) / 2;
    }
    if (!multiline_) {
        x -= scroll_;
    }
    return x;
}

void EditWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), isEnabled() ? palette().base() : palette().window());
    if (border_) {
        p.setPen(palette().color(QPalette::Mid));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    FontObject* f = font();
    QRect box = inner();
    p.setClipRect(box);
    // Keep the caret of a single line in view.
    if (!multiline_) {
        Line all{0, int(text_.size())};
        int saved = scroll_;
        scroll_ = 0;
        int x0 = lineX(all);
        int caretX = x0 + prefixWidth(0, cursor_);
        if (caretX - saved > box.right()) {
            saved = caretX - box.right();
        } else if (caretX - saved < box.left()) {
            saved = std::max(0, caretX - box.left());
        }
        int textWidth = prefixWidth(0, int(text_.size()));
        if (textWidth <= box.width()) {
            saved = 0;
        }
        scroll_ = saved;
    }
    int lineHeight = std::max(f->height, 1);
    int y = box.top();
    int selStart = selectionStart();
    int selEnd = selectionEnd();
    QColor ink = palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text);
    std::vector<Line> all = lines();
    for (std::size_t i = 0; i < all.size(); ++i) {
        const Line& line = all[i];
        int x = lineX(line);
        QString run = text_.mid(line.start, line.length);
        p.setPen(ink);
        DrawRunAt(p, f, x, y, run);
        int a = std::max(selStart, line.start);
        int b = std::min(selEnd, line.start + line.length);
        if (a < b) {
            QRect sel(x + prefixWidth(line.start, a - line.start), y, prefixWidth(a, b - a), lineHeight);
            p.save();
            p.setClipRect(sel & box);
            p.fillRect(sel, palette().highlight());
            p.setPen(palette().color(QPalette::HighlightedText));
            DrawRunAt(p, f, x, y, run);
            p.restore();
        }
        bool caretHere = cursor_ >= line.start &&
                         (cursor_ < line.start + line.length || i + 1 == all.size() ||
                          cursor_ < all[i + 1].start);
        if (hasFocus() && caretHere) {
            int cx = x + prefixWidth(line.start, cursor_ - line.start);
            p.fillRect(QRect(cx, y, 1, lineHeight), ink);
        }
        y += lineHeight;
    }
}

int EditWidget::indexAt(const QPoint& point) const {
    std::vector<Line> all = lines();
    int lineHeight = std::max(font()->height, 1);
    int row = std::clamp((point.y() - inner().top()) / lineHeight, 0, int(all.size()) - 1);
    const Line& line = all[std::size_t(row)];
    int x = lineX(line);
    for (int i = 0; i < line.length; ++i) {
        int a = font()->Advance(char16_t(text_.at(line.start + i).unicode()));
        if (point.x() < x + a / 2) {
            return line.start + i;
        }
        x += a;
    }
    return line.start + line.length;
}

void EditWidget::moveCursor(int position, bool select) {
    cursor_ = std::clamp(position, 0, int(text_.size()));
    if (!select) {
        anchor_ = cursor_;
    }
    update();
}

void EditWidget::insert(const QString& text) {
    int a = selectionStart();
    int b = selectionEnd();
    QString piece = text;
    const int room = rules::EditInsertRoom(maxLength_, int(text_.size()), rules::EditSelection{anchor_, cursor_});
    if (room < piece.size()) {
        piece.truncate(room);
    }
    if (piece.isEmpty() && a == b) {
        return;
    }
    text_.replace(a, b - a, piece);
    cursor_ = anchor_ = a + int(piece.size());
    changed();
}

// Typed text goes in character by character, each offered to the owner
// first.
void EditWidget::type(const QString& text) {
    if (!onTypedChar) {
        insert(text);
        return;
    }
    for (QChar c : text) {
        if (!onTypedChar(char16_t(c.unicode()))) {
            insert(QString(c));
        }
    }
}

void EditWidget::keyPressEvent(QKeyEvent* event) {
    // The owner hears of this key at once, with this event's modifiers.
    SetKeyModifiers(event->modifiers());
    bool shift = (event->modifiers() & Qt::ShiftModifier) != 0;
    int n = int(text_.size());
    if (event == QKeySequence::SelectAll) {
        setSelection(0, -1);
        return;
    }
    if (event == QKeySequence::Copy || event == QKeySequence::Cut) {
        if (selectionStart() < selectionEnd()) {
            QGuiApplication::clipboard()->setText(
                text_.mid(selectionStart(), selectionEnd() - selectionStart()));
            if (event == QKeySequence::Cut) {
                insert(QString());
            }
        }
        return;
    }
    if (event == QKeySequence::Paste) {
        QString pasted = QGuiApplication::clipboard()->text();
        if (!multiline_) {
            pasted.replace(QLatin1Char('\n'), QLatin1Char(' '));
        }
        insert(pasted);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Left:
        moveCursor(cursor_ - 1, shift);
        return;
    case Qt::Key_Right:
        moveCursor(cursor_ + 1, shift);
        return;
    case Qt::Key_Home:
        moveCursor(0, shift);
        return;
    case Qt::Key_End:
        moveCursor(n, shift);
        return;
    case Qt::Key_Backspace:
        if (onDeleteKey && onDeleteKey(VK_BACK)) {
            return;
        }
        if (anchor_ == cursor_ && cursor_ > 0) {
            anchor_ = cursor_ - 1;
        }
        insert(QString());
        return;
    case Qt::Key_Delete:
        if (onDeleteKey && onDeleteKey(VK_DELETE)) {
            return;
        }
        if (anchor_ == cursor_ && cursor_ < n) {
            anchor_ = cursor_ + 1;
        }
        insert(QString());
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Up:
    case Qt::Key_Down:
        event->ignore();  // the dialog's keys
        return;
    default:
        break;
    }
    QString typed = event->text();
    if (!typed.isEmpty() && typed.at(0).isPrint() &&
        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        type(typed);
        return;
    }
    event->ignore();
}

void EditWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    setFocus(Qt::MouseFocusReason);
    moveCursor(indexAt(event->position().toPoint()), (event->modifiers() & Qt::ShiftModifier) != 0);
}

void EditWidget::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) {
        moveCursor(indexAt(event->position().toPoint()), true);
    }
}

void EditWidget::mouseDoubleClickEvent(QMouseEvent*) { setSelection(0, -1); }

void EditWidget::focusInEvent(QFocusEvent*) { update(); }
void EditWidget::focusOutEvent(QFocusEvent*) { update(); }

void EditWidget::inputMethodEvent(QInputMethodEvent* event) {
    if (!event->commitString().isEmpty()) {
        type(event->commitString());
    }
    event->accept();
}

QVariant EditWidget::inputMethodQuery(Qt::InputMethodQuery query) const {
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImCursorPosition:
        return cursor_;
    case Qt::ImSurroundingText:
        return text_;
    case Qt::ImCursorRectangle:
        return QRect(inner().left(), inner().top(), 1, font()->height);
    default:
        return QWidget::inputMethodQuery(query);
    }
}

// ---- owner-drawn button ----------------------------------------------------

OwnerDrawButton::OwnerDrawButton(WindowObject* window, QWidget* parent)
    : QAbstractButton(parent), win(window) {
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QAbstractButton::pressed, this, [this] {
        if (win != nullptr) {
            RedrawOwnerButton(win);
        }
    });
    connect(this, &QAbstractButton::released, this, [this] {
        if (win != nullptr) {
            RedrawOwnerButton(win);
        }
    });
}

void OwnerDrawButton::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    if (win != nullptr && !win->image.isNull()) {
        p.drawImage(event->rect(), win->image, event->rect());
    }
}

void OwnerDrawButton::resizeEvent(QResizeEvent*) {
    if (win != nullptr) {
        ResizeImage(win->image, size(), Qt::white);
        Invalidate(win, nullptr, true);
    }
}

}  // namespace plat::qtb
