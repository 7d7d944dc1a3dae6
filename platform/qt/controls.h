// Dialog controls that Qt's stock widgets cannot stand in for: an edit box
// that shows its text in exactly the stored order (QLineEdit would reorder
// Hebrew), an owner-drawn button showing a picture the dialog procedure
// draws, and a radio button that never unchecks itself on a click.
#pragma once

#include <QAbstractButton>
#include <QRadioButton>
#include <QWidget>

#include <functional>

#include "platform/qt/qt_internal.h"

namespace plat::qtb {

class EditWidget : public QWidget {
public:
    EditWidget(QWidget* parent, std::uint32_t style);

    QString text() const { return text_; }
    void setText(const QString& text);  // selects nothing, caret at the end
    void setFontObject(FontObject* font);
    void setSelection(int start, int end);  // end -1: to the end; start -1: none
    int selectionStart() const { return std::min(anchor_, cursor_); }
    int selectionEnd() const { return std::max(anchor_, cursor_); }
    void replaceSelection(const QString& text);
    void setMaxLength(int length);
    int maxLength() const { return maxLength_; }
    // Called after every change of the text, whoever made it.
    std::function<void()> onChange;
    // Asked first for each character typed and for Backspace (VK_BACK) and
    // Delete (VK_DELETE); true when the owner took care of it.
    std::function<bool(char16_t)> onTypedChar;
    std::function<bool(std::uint32_t)> onDeleteKey;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

private:
    struct Line {
        int start;
        int length;
    };
    FontObject* font() const;
    std::vector<Line> lines() const;
    int lineX(const Line& line) const;
    int prefixWidth(int start, int count) const;
    int indexAt(const QPoint& point) const;
    void moveCursor(int position, bool select);
    void insert(const QString& text);
    void type(const QString& text);
    void changed();
    QRect inner() const;

    QString text_;
    int cursor_ = 0;
    int anchor_ = 0;
    int maxLength_ = 30000;
    int scroll_ = 0;  // horizontal scroll of a single line, pixels
    bool multiline_ = false;
    bool border_ = false;
    int align_ = 0;  // 0 left, 1 centre, 2 right
    FontObject* font_ = nullptr;
};

class OwnerDrawButton : public QAbstractButton {
public:
    OwnerDrawButton(WindowObject* window, QWidget* parent);
    WindowObject* win;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};

class RadioWidget : public QRadioButton {
public:
    using QRadioButton::QRadioButton;

protected:
    void nextCheckState() override { setChecked(true); }
};

// A font description's FontObject (the backend's own copy).
std::unique_ptr<FontObject> MakeFont(const LogFont& description);
// Draws a run in stored order with its cell's top-left corner at (x, top).
void DrawRunAt(QPainter& painter, FontObject* font, int x, int top, const QString& run);

}  // namespace plat::qtb
