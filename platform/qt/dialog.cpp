// Modal dialogs from templates.
//
// A dialog is a frame like a top-level window: its client widget shows the
// dialog's own backing image (the procedure may paint there) and holds the
// controls (dialog_controls.cpp), placed in dialog units converted by the
// dialog font's base units. The procedure gets WM_INITDIALOG, then
// WM_COMMAND with the control id and notification for clicks, selection and
// text changes. Its nested loop is the program's own message loop, run until
// EndDialog.
#include <QApplication>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

#include "platform/dialog.h"
#include "platform/qt/controls.h"
#include "platform/qt/dialog_internal.h"
#include "platform/window.h"

namespace plat {
namespace qtb {
namespace {

constexpr char16_t kLeftToRightOverride = 0x202D;

}  // namespace

// Gives the focus to the first control that takes it.
void FocusFirst(WindowObject* dialog) {
    for (WindowObject* c : Controls(dialog)) {
        QWidget* w = c->widget;
        if (w != nullptr && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) && (c->style & WS_TABSTOP)) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
    for (WindowObject* c : Controls(dialog)) {
        QWidget* w = c->widget;
        if (w != nullptr && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
    if (dialog->client != nullptr) {
        dialog->client->setFocus(Qt::OtherFocusReason);
    }
}

int MulDiv(int a, int b, int c) {
    if (c == 0) {
        return 0;
    }
    long long p = static_cast<long long>(a) * b;
    long long half = (c > 0 ? c : -c) / 2;
    return int(p >= 0 ? (p + half) / c : (p - half) / c);
}

QString Shown(const QString& text) {
    if (text.isEmpty()) {
        return text;
    }
    QString out{QChar(kLeftToRightOverride)};
    for (QChar c : text) {
        out.append(c);
        if (c == QLatin1Char('\n')) {
            out.append(QChar(kLeftToRightOverride));
        }
    }
    return out;
}

QRect DialogUnits(const WindowObject* dialog, int x, int y, int cx, int cy) {
    const DialogData& d = *dialog->dialog;
    return QRect(MulDiv(x, d.baseX, 4), MulDiv(y, d.baseY, 8), MulDiv(cx, d.baseX, 4),
                 MulDiv(cy, d.baseY, 8));
}

WindowObject* FramedWindow(WindowObject* w) {
    while (IsLive(w) && w->frame == nullptr) {
        w = w->parent;
    }
    return IsLive(w) ? w : nullptr;
}

FontObject* ControlFont(WindowObject* c) {
    if (c->control && c->control->own) {
        return c->control->own.get();
    }
    WindowObject* dialog = c->parent;
    if (IsLive(dialog) && dialog->dialog && dialog->dialog->fontObject) {
        return dialog->dialog->fontObject.get();
    }
    return StockFont();
}

void Notify(WindowObject* control, std::uint16_t code) {
    WindowObject* dialog = control->parent;
    if (!IsLive(dialog) || !IsLive(control)) {
        return;
    }
    Send(dialog, WM_COMMAND, MakeWParam(std::uint16_t(control->id), code), LParam(control));
}

std::vector<WindowObject*> Controls(WindowObject* dialog) {
    std::vector<WindowObject*> out;
    for (WindowObject* w : AllWindows()) {
        if (w->kind == WindowKind::Control && w->parent == dialog) {
            out.push_back(w);
        }
    }
    return out;
}

bool RunModal(const std::function<bool()>& done) {
    while (!done()) {
        Message m;
        int r = GetMessage(&m);
        if (r <= 0) {
            if (r == 0) {
                PostQuitMessage(int(m.wParam));
            }
            return false;
        }
        TranslateMessage(&m);
        DispatchMessage(&m);
    }
    return true;
}

LResult DialogSend(WindowObject* w, std::uint32_t message, WParam wParam, LParam lParam) {
    DialogData* d = w->dialog.get();
    std::intptr_t handled = d->proc != nullptr ? d->proc(w, message, wParam, lParam) : 0;
    if (!IsLive(w) || handled != 0) {
        return handled;
    }
    switch (message) {
    case WM_CLOSE: {
        if (d->ended) {
            return 0;
        }
        std::intptr_t r = d->proc != nullptr ? d->proc(w, WM_COMMAND, MakeWParam(IDCANCEL, 0), 0) : 0;
        // A procedure that ignores Cancel still lets the desktop close it.
        if (IsLive(w) && r == 0 && !w->dialog->ended) {
            EndDialog(w, IDCANCEL);
        }
        return 0;
    }
    case WM_GETFONT:
        return LResult(d->fontObject.get());
    case WM_PAINT:
    case WM_ERASEBKGND:
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
        return DefWindowProc(w, message, wParam, lParam);
    default:
        return 0;
    }
}

void DialogKey(WindowObject* w, int key) {
    if (!IsLive(w) || !w->dialog || w->dialog->ended) {
        return;
    }
    if (key == Qt::Key_Escape) {
        DialogSend(w, WM_CLOSE, 0, 0);
        return;
    }
    int id = w->dialog->defaultId;
    Window control = GetDlgItem(w, id);
    Send(w, WM_COMMAND, MakeWParam(std::uint16_t(id), BN_CLICKED), LParam(control));
}

}  // namespace qtb

namespace {

WindowObject* NewDialogWindow(const DialogTemplate* t, const Module* module, DialogProc proc,
                              WindowObject* ownerWindow) {
    auto* w = new WindowObject;
    w->kind = WindowKind::Dialog;
    w->className = u"Dialog";
    w->text = t->caption != nullptr ? t->caption : u"";
    w->style = t->style;
    w->exStyle = t->exStyle;
    w->parent = ownerWindow;
    w->backgroundBrush = WHITE_BRUSH;
    w->dialog = std::make_unique<DialogData>();
    DialogData* d = w->dialog.get();
    d->tmpl = t;
    d->proc = proc;
    d->module = module;
    return w;
}

// The dialog font and its base units.
void SetDialogFont(DialogData* d, const DialogTemplate* t) {
    LogFont lf;
    if (t->fontName != nullptr) {
        std::u16string face = t->fontName;
        std::copy_n(face.begin(), std::min<std::size_t>(face.size(), 31), lf.faceName);
    }
    lf.height = qtb::MulDiv(t->pointSize > 0 ? t->pointSize : 8, 96, 72);
    d->fontObject = qtb::MakeFont(lf);
    d->font = d->fontObject->font;
    static const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    int width = d->fontObject->metrics->horizontalAdvance(letters);
    d->baseX = std::max((width / 26 + 1) / 2, 1);
    d->baseY = std::max(d->fontObject->height, 1);
}

// The frame, client, optional scroll bar and the OK strip's button.
void BuildDialogFrame(WindowObject* w, QWidget* ownerFrame) {
    const DialogTemplate* t = w->dialog->tmpl;
    DialogData* d = w->dialog.get();
    w->frame = new qtb::FrameWidget(w, ownerFrame, Qt::Dialog);
    w->frame->setWindowModality(Qt::ApplicationModal);
    w->frame->setWindowTitle(qtb::ToQString(w->text));
    w->frame->setFont(d->font);
    QPalette palette = w->frame->palette();
    palette.setColor(QPalette::Window, Qt::white);
    w->frame->setPalette(palette);
    w->client = new qtb::ClientWidget(w, w->frame);
    if (t->style & WS_VSCROLL) {
        qtb::SetupScrollBar(w);
    }
    d->okButton = new QPushButton(QStringLiteral("OK"), w->frame);
    d->okButton->setAutoDefault(false);
    d->okButton->setFocusPolicy(Qt::NoFocus);
    d->okButton->hide();
    d->okStrip = (t->exStyle & WS_EX_CAPTIONOKBTN) != 0;
    QObject::connect(d->okButton, &QPushButton::clicked, d->okButton, [w] {
        if (qtb::IsLive(w)) {
            qtb::Send(w, WM_COMMAND, MakeWParam(IDOK, BN_CLICKED), 0);
        }
    });
}

// Geometry: the template's size is the client area's.
void PlaceDialog(WindowObject* w, QWidget* ownerFrame) {
    const DialogTemplate* t = w->dialog->tmpl;
    DialogData* d = w->dialog.get();
    QRect box = qtb::DialogUnits(w, t->x, t->y, t->cx, t->cy);
    QSize clientSize(std::max(box.width(), 1), std::max(box.height(), 1));
    int sb = w->scroll != nullptr ? qtb::ScrollBarWidth() : 0;
    int strip = d->okStrip ? d->okButton->sizeHint().height() + 8 : 0;
    QSize frameSize(clientSize.width() + sb, clientSize.height() + strip);
    QRect area = ownerFrame != nullptr ? ownerFrame->geometry()
                                       : (QGuiApplication::primaryScreen() != nullptr
                                              ? QGuiApplication::primaryScreen()->availableGeometry()
                                              : QRect(0, 0, 800, 600));
    QPoint at = (t->style & DS_CENTER) || ownerFrame == nullptr
                    ? area.center() - QPoint(frameSize.width() / 2, frameSize.height() / 2)
                    : area.topLeft() + box.topLeft();
    w->reportedSize = clientSize;  // WM_SIZE only for later changes
    w->frame->setGeometry(QRect(at, frameSize));
    qtb::LayoutFrame(w);
    w->image.fill(Qt::white);
}

void CreateControls(WindowObject* w, const Module* module) {
    const DialogTemplate* t = w->dialog->tmpl;
    int groupStart = 0;
    for (int i = 0; i < t->itemCount; ++i) {
        if (i == 0 || (t->items[i].style & WS_GROUP)) {
            groupStart = i;
        }
        qtb::CreateControl(w, t->items[i], groupStart, module);
    }
}

// WM_INITDIALOG, then the dialog is shown and runs until it ends.
void RunDialog(WindowObject* w, LParam param) {
    Window firstStop = nullptr;
    for (WindowObject* c : qtb::Controls(w)) {
        if (c->style & WS_TABSTOP) {
            firstStop = c;
            break;
        }
    }
    std::intptr_t focusDefault = qtb::Send(w, WM_INITDIALOG, WParam(firstStop), param);
    if (qtb::IsLive(w) && !w->dialog->ended) {
        w->frame->show();
        qtb::Raise(w->frame);
        w->frame->activateWindow();
        if (focusDefault != 0) {
            qtb::FocusFirst(w);
        } else if (w->frame->focusWidget() == nullptr) {
            w->client->setFocus(Qt::OtherFocusReason);
        }
        qtb::RunModal([w] { return !qtb::IsLive(w) || w->dialog->ended; });
    }
}

}  // namespace

std::intptr_t DialogBoxParam(const Module* module, std::uint16_t templateId, Window owner,
                             DialogProc proc, LParam param) {
    if (QCoreApplication::instance() == nullptr || proc == nullptr) {
        return -1;
    }
    auto* t = static_cast<const DialogTemplate*>(FindResourceObject(module, RT_DIALOG, templateId));
    if (t == nullptr) {
        return -1;
    }
    WindowObject* ownerWindow =
        qtb::FramedWindow(owner != nullptr && owner->kind != WindowKind::Proxy ? owner : nullptr);
    WindowObject* w = NewDialogWindow(t, module, proc, ownerWindow);
    SetDialogFont(w->dialog.get(), t);
    QWidget* ownerFrame = ownerWindow != nullptr ? ownerWindow->frame.data() : nullptr;
    BuildDialogFrame(w, ownerFrame);
    qtb::Register(w);
    PlaceDialog(w, ownerFrame);
    CreateControls(w, module);
    RunDialog(w, param);

    std::intptr_t result = IDCANCEL;
    if (qtb::IsLive(w)) {
        if (w->dialog->ended) {
            result = w->dialog->result;
        }
        DestroyWindow(w);
    }
    if (qtb::IsLive(ownerWindow) && ownerWindow->frame != nullptr && ownerWindow->frame->isVisible()) {
        ownerWindow->frame->activateWindow();
    }
    return result;
}

bool EndDialog(Window dialog, std::intptr_t result) {
    if (!qtb::IsLive(dialog) || !dialog->dialog) {
        return false;
    }
    dialog->dialog->ended = true;
    dialog->dialog->result = result;
    // The modal loop looks at the flag between messages: give it one.
    qtb::Post(nullptr, WM_NULL, 0, 0);
    return true;
}

Window GetDlgItem(Window dialog, int id) {
    if (!qtb::IsLive(dialog)) {
        return nullptr;
    }
    for (WindowObject* w : qtb::AllWindows()) {
        if (w->kind == WindowKind::Control && w->parent == dialog && w->id == id) {
            return w;
        }
    }
    return nullptr;
}

int GetDlgCtrlID(Window control) {
    return qtb::IsLive(control) && control->kind == WindowKind::Control ? control->id : 0;
}

LResult SendDlgItemMessage(Window dialog, int id, std::uint32_t message, WParam wParam, LParam lParam) {
    Window control = GetDlgItem(dialog, id);
    return control != nullptr ? qtb::Send(control, message, wParam, lParam) : 0;
}

bool SetDlgItemText(Window dialog, int id, const char16_t* text) {
    Window control = GetDlgItem(dialog, id);
    return control != nullptr && qtb::Send(control, WM_SETTEXT, 0, LParam(text != nullptr ? text : u"")) != 0;
}

int GetDlgItemText(Window dialog, int id, char16_t* buffer, int capacity) {
    Window control = GetDlgItem(dialog, id);
    if (control == nullptr) {
        if (buffer != nullptr && capacity > 0) {
            buffer[0] = 0;
        }
        return 0;
    }
    return int(qtb::Send(control, WM_GETTEXT, WParam(std::max(capacity, 0)), LParam(buffer)));
}

bool CheckRadioButton(Window dialog, int firstId, int lastId, int checkId) {
    if (!qtb::IsLive(dialog)) {
        return false;
    }
    for (WindowObject* c : qtb::Controls(dialog)) {
        if (c->id >= firstId && c->id <= lastId) {
            qtb::Send(c, BM_SETCHECK, c->id == checkId ? BST_CHECKED : BST_UNCHECKED, 0);
        }
    }
    return true;
}

std::uint32_t IsDlgButtonChecked(Window dialog, int id) {
    return std::uint32_t(SendDlgItemMessage(dialog, id, BM_GETCHECK, 0, 0));
}

bool CheckDlgButton(Window dialog, int id, std::uint32_t state) {
    Window control = GetDlgItem(dialog, id);
    if (control == nullptr) {
        return false;
    }
    qtb::Send(control, BM_SETCHECK, state, 0);
    return true;
}

bool EnableWindow(Window window, bool enable) {
    if (!qtb::IsLive(window) || window->kind == WindowKind::Proxy) {
        return false;
    }
    QWidget* widget = window->frame != nullptr ? static_cast<QWidget*>(window->frame.data())
                                               : window->widget.data();
    if (widget == nullptr) {
        return false;
    }
    bool wasDisabled = !widget->isEnabled();
    widget->setEnabled(enable);
    return wasDisabled;
}

bool MapDialogRect(Window dialog, Rect* rect) {
    if (!qtb::IsLive(dialog) || !dialog->dialog || rect == nullptr) {
        return false;
    }
    const DialogData& d = *dialog->dialog;
    rect->left = qtb::MulDiv(rect->left, d.baseX, 4);
    rect->right = qtb::MulDiv(rect->right, d.baseX, 4);
    rect->top = qtb::MulDiv(rect->top, d.baseY, 8);
    rect->bottom = qtb::MulDiv(rect->bottom, d.baseY, 8);
    return true;
}

}  // namespace plat
