// Objects behind the platform handles in the Qt backend, and the helpers the
// backend's files share. Nothing outside platform/qt/ includes this.
#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QRawFont>
#include <QRect>
#include <QRegion>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/common/control_rules.h"
#include "platform/dialog.h"
#include "platform/gdi.h"
#include "platform/qt/picture_ring.h"
#include "platform/qt/plain_rows.h"
#include "platform/templates.h"
#include "platform/types.h"
#include "platform/window.h"

class QScrollBar;
class QPushButton;
class QToolButton;
class QHBoxLayout;

namespace plat {

struct BrushObject {
    QColor colour;
    bool hollow = false;
    bool stock = true;
};

struct PenObject {
    QColor colour;
};

struct BitmapObject {
    QImage image;
};

// A font with its metrics and a lazily filled table of characters: each
// character's whole-pixel advance and the glyph that shows it (in the font
// itself or in the font Qt falls back to for it). A run is drawn glyph by
// glyph at the sums of these advances, so measuring and drawing agree by
// construction, in every font, hinted or not.
struct FontObject {
    struct Glyph {
        std::int32_t advance = -1;  // -1: not looked up yet
        std::int16_t face = -1;     // index into faces; -1: nothing to draw
        std::uint32_t index = 0;    // glyph index in that face
        float dx = 0, dy = 0;       // glyph offset from the pen (dy from the baseline)
    };
    LogFont description;
    QFont font;
    int ascent = 0;
    int descent = 0;
    int height = 0;
    int averageWidth = 0;
    int maxWidth = 0;
    std::unique_ptr<QFontMetrics> metrics;
    std::vector<QRawFont> faces;
    QRawFont ownFace;  // the font's own face, for the characters it has
    bool ownFaceChecked = false;
    std::array<std::unique_ptr<Glyph[]>, 256> pages;
    // Text boxes already drawn on a plain background, by what decides their
    // pixels (text, box size, format, colours): a repaint copies them.
    struct DrawnBox {
        QImage picture;
        QRect ink;  // the pixels that are not the background, in the picture
    };
    QHash<QString, DrawnBox> drawnBoxes;
    qsizetype drawnBoxBytes = 0;

    const Glyph& Lookup(char16_t c);
    int Advance(char16_t c) { return Lookup(c).advance; }
    Glyph PairGlyph(char16_t high, char16_t low);
};

struct MenuObject {
    struct Item {
        std::uint16_t id = 0;
        QAction* action = nullptr;  // null for separators
        bool checked = false;
    };
    QPointer<QMenu> menu;
    std::vector<Item> items;
    WindowObject* owner = nullptr;  // the window its commands go to
};

enum class WindowKind { TopLevel, Dialog, Control, Bar, Proxy };

namespace qtb {
class FrameWidget;
class ClientWidget;
}  // namespace qtb

struct BarData {
    bool bottom = false;             // shell menu bar (bottom) or command bar (top)
    QHBoxLayout* layout = nullptr;
    std::vector<QImage> images;      // tool images added so far
    std::vector<std::u16string> tips;  // tips[0]: menu button
    bool tipsGiven = false;
    QToolButton* menuButton = nullptr;
    std::unique_ptr<MenuObject> menu;
    int menuButtonCommand = 0;       // command of the shell bar's drop-down button
    std::vector<QToolButton*> buttons;
    int widthDeficit = 0;            // how much narrower than its parent it was made
    int height = 0;
};

struct DialogData {
    const DialogTemplate* tmpl = nullptr;
    const Module* module = nullptr;
    DialogProc proc = nullptr;
    bool ended = false;
    std::intptr_t result = 0;
    QFont font;
    std::unique_ptr<FontObject> fontObject;  // the dialog font, for WM_GETFONT and drawing
    int baseX = 0;  // dialog base units in pixels
    int baseY = 0;
    QPushButton* okButton = nullptr;
    bool okStrip = false;
    int defaultId = IDOK;
};

struct ControlData {
    ControlKind kind = ControlKind::StaticText;
    std::uint32_t style = 0;
    int groupStart = 0;   // index of the first control of its radio group
    bool noPrefix = false;
    Font font = nullptr;                // as given by WM_SETFONT
    std::unique_ptr<FontObject> own;    // the backend's copy of it
    bool notifyGuard = false;  // set while the program changes the control
    rules::ListBoxState listBox;  // a list box's items and selection
};

using ScrollState = rules::ScrollBarState;

struct WindowObject {
    WindowKind kind = WindowKind::TopLevel;
    std::u16string className;
    std::u16string text;
    WindowProc proc = nullptr;
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    int backgroundBrush = WHITE_BRUSH;
    WindowObject* parent = nullptr;  // owner of a dialog, parent of a control or bar
    int id = 0;
    std::uint32_t wireId = 0;        // identifier other processes use

    // Widgets. Top-level windows and dialogs have a frame and a client; a
    // control or a bar has only `widget`.
    QPointer<qtb::FrameWidget> frame;
    qtb::ClientWidget* client = nullptr;
    QScrollBar* scroll = nullptr;
    QPointer<QWidget> widget;

    // The client area's pixels (for an owner-drawn button: the button's),
    // and what lets them scroll without moving.
    QImage image;
    qtb::PictureRing imageRing;
    bool invalid = false;
    bool erasePending = false;
    QRect invalidRect;
    int paintsBegun = 0;
    QSize reportedSize{-1, -1};

    ScrollState scrollState;
    bool fullScreen = false;

    std::unique_ptr<BarData> bar;
    std::unique_ptr<DialogData> dialog;
    std::unique_ptr<ControlData> control;

    // Proxy for a window of a running copy of the program.
    QString server;
    std::uint32_t remoteId = 0;
};

struct DcObject {
    enum Kind { WindowDc, MemoryDc, ImageDc, ScreenDc } kind = ScreenDc;
    WindowObject* window = nullptr;
    BitmapObject* bitmap = nullptr;  // memory DC: the selected bitmap
    QImage own;                      // image DC: its picture
    qtb::PictureRing ownRing;        // image DC: what lets it scroll without moving
    Font font = nullptr;
    Colour textColour = 0x000000;
    Colour backColour = 0xFFFFFF;
    int backMode = OPAQUE;
    Brush brush = nullptr;
    Pen pen = nullptr;  // none: the default black pen

    // A drawing batch (BeginDrawing .. EndDrawing): one painter shared by
    // every primitive, and the area they changed, shown once at the end.
    int batchDepth = 0;
    std::unique_ptr<QPainter> batchPainter;
    QImage* batchImage = nullptr;
    QRect batchTouched;
    // The part of the picture known to be one plain colour (filled and not
    // drawn on since), where text boxes can be copied in and which a scroll
    // need not move. It holds while the picture's key is `plainKey`.
    qtb::PlainRows plain;
    QColor plainColour;
    qint64 plainKey = 0;
    // Drawing is limited to this region when it is not empty.
    QRegion clip;

    ~DcObject();
};

}  // namespace plat

namespace plat::qtb {

// Conversions.
QString ToQString(const char16_t* text, int count = -1);
QString ToQString(const std::u16string& text);
std::u16string ToU16(const QString& text);
QColor ToQColor(Colour colour);
// Copies text into a caller's buffer of `capacity` units with a terminator;
// returns the units copied (without the terminator).
int CopyOut(const std::u16string& text, char16_t* buffer, int capacity);
// Removes "&" mnemonic markers ("&&" stays as one "&"); *mnemonic receives
// the index of the marked character in the result, or -1.
QString StripMnemonic(const QString& text, int* mnemonic = nullptr);

// From the first top-level window on, SIGTERM, SIGINT and SIGHUP close the
// program's windows (WM_CLOSE) instead of ending it on the spot.
void CloseWindowsOnSignal();

// Brings a top-level widget to the front; offscreen there is no stacking
// (and Qt would only complain).
void Raise(QWidget* widget);

// Window registry.
bool IsLive(const WindowObject* window);
void Register(WindowObject* window);
void MapWidget(const QWidget* widget, WindowObject* window);  // a widget of the window's own
WindowObject* FromWidget(const QWidget* widget);  // frame, client or control
const std::vector<WindowObject*>& AllWindows();
void DestroyWidgets(WindowObject* window);

// Messages.
LResult Send(WindowObject* window, std::uint32_t message, WParam wParam, LParam lParam);
void Post(WindowObject* window, std::uint32_t message, WParam wParam, LParam lParam);
// Posts a key message with the modifier keys its key event recorded: while
// that message is handled GetKeyState reports them, not the keys held by
// then.
void PostKey(WindowObject* window, std::uint32_t message, WParam wParam, LParam lParam,
             Qt::KeyboardModifiers held);
// The modifiers GetKeyState reports: those of the key message retrieved last,
// or of the key event a control is handling now.
Qt::KeyboardModifiers KeyModifiers();
void SetKeyModifiers(Qt::KeyboardModifiers held);
// Forgets the queued messages of a window that goes.
void DropMessagesFor(WindowObject* window);
// Keeps the text a key press typed for TranslateMessage; the returned serial
// travels in bits 16-23 of the key message's lParam.
unsigned RememberKeyText(WindowObject* window, std::uint32_t vk, const QString& text);
// Marks the whole window painted.
void Validate(WindowObject* window);

// Geometry and painting.
void LayoutFrame(WindowObject* window);
void SyncClientSize(WindowObject* window, bool forceSizeMessage);
void ResizeImage(QImage& image, const QSize& size, const QColor& fill);
void Invalidate(WindowObject* window, const QRect* rect, bool erase);
void Repaint(WindowObject* window);  // shows the backing image now (next frame)
QColor BackgroundColour(const WindowObject* window);
void RedrawOwnerButton(WindowObject* button);
void PlaceBars(WindowObject* window);
void SetupScrollBar(WindowObject* window);
int ScrollBarWidth();

// Widgets that turn Qt events into messages.
class FrameWidget : public QWidget {
public:
    FrameWidget(WindowObject* window, QWidget* parent, Qt::WindowFlags flags);
    WindowObject* win;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

class ClientWidget : public QWidget {
public:
    ClientWidget(WindowObject* window, QWidget* parent);
    WindowObject* win;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
};

// Virtual key of a Qt key, 0 when it has none.
std::uint32_t VirtualKey(int qtKey);

// Fonts and drawing helpers shared with dialogs and bars.
// Fonts are measured against this image so that measuring and drawing use
// the same device.
const QImage& MeasuringImage();
FontObject* StockFont();
// Width of `count` characters; with maxExtent >= 0, *fit gets how many
// leading characters fit in it.
int MeasureRun(FontObject* font, const char16_t* text, int count, int maxExtent, int* fit);
// With `transparent`, kTransparentColour pixels become see-through (tool
// images and icons).
QImage BitmapImage(const BitmapResource& bitmap, bool transparent = false);
QPixmap BitmapPixmap(const Module* module, std::uint16_t id);

// Dialog internals used by the window service.
LResult DialogSend(WindowObject* dialog, std::uint32_t message, WParam wParam, LParam lParam);
LResult ControlSend(WindowObject* control, std::uint32_t message, WParam wParam, LParam lParam);
LResult BarSend(WindowObject* bar, std::uint32_t message, WParam wParam, LParam lParam);
void DialogKey(WindowObject* dialog, int qtKey);
// Cuts a control's widget loose from the record that is about to go.
void DetachControl(WindowObject* control);

// Single running copy.
WindowObject* FindLocal(const char16_t* className, const char16_t* title);
void ListenForClass(const std::u16string& className);
WindowObject* FindRemote(const char16_t* className, const char16_t* title);
WindowObject* RemoteForeground();
LResult RemoteSend(WindowObject* proxy, std::uint32_t message, WParam wParam, LParam lParam,
                   bool post);
bool RemoteRaise(WindowObject* proxy);
void ShutdownSingleCopy();

// Wakes GetMessage when it waits in Qt.
void WakeLoop();

}  // namespace plat::qtb
