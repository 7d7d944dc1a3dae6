// Modal dialogs from templates, their controls, and message boxes.
//
// A dialog is a frame like a top-level window: its client widget shows the
// dialog's own backing image (the procedure may paint there) and holds the
// controls, placed in dialog units converted by the dialog font's base
// units. The procedure gets WM_INITDIALOG, then WM_COMMAND with the control
// id and notification for clicks, selection and text changes. Its nested
// loop is the program's own message loop, run until EndDialog.
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>

#include <algorithm>
#include <functional>

#include "platform/dialog.h"
#include "platform/qt/controls.h"
#include "platform/qt/qt_internal.h"
#include "platform/unicode.h"
#include "platform/window.h"

namespace plat {
namespace {

constexpr std::uint32_t WS_DISABLED = 0x08000000u;
constexpr std::uint32_t SS_CENTER = 0x0001;
constexpr std::uint32_t SS_RIGHT = 0x0002;
constexpr std::uint32_t kMultiline = 0x0004;  // ES_MULTILINE
constexpr std::uint32_t EM_GETSEL = 0x00B0;
constexpr std::uint32_t EM_REPLACESEL = 0x00C2;
constexpr std::uint32_t ODS_SELECTED = 0x0001;
constexpr std::uint32_t ODS_FOCUS = 0x0010;
constexpr int kOriginalText = Qt::UserRole + 1;
constexpr int kItemData = Qt::UserRole + 2;
constexpr char16_t kLeftToRightOverride = 0x202D;

int MulDiv(int a, int b, int c) {
    if (c == 0) {
        return 0;
    }
    long long p = static_cast<long long>(a) * b;
    long long half = (c > 0 ? c : -c) / 2;
    return int(p >= 0 ? (p + half) / c : (p - half) / c);
}

// Text as a widget should show it: in exactly the stored order.
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

// Nearest window with a frame: the dialog or window a control belongs to.
WindowObject* FramedWindow(WindowObject* w) {
    while (qtb::IsLive(w) && w->frame == nullptr) {
        w = w->parent;
    }
    return qtb::IsLive(w) ? w : nullptr;
}

FontObject* ControlFont(WindowObject* c) {
    if (c->control && c->control->own) {
        return c->control->own.get();
    }
    WindowObject* dialog = c->parent;
    if (qtb::IsLive(dialog) && dialog->dialog && dialog->dialog->fontObject) {
        return dialog->dialog->fontObject.get();
    }
    return qtb::StockFont();
}

void Notify(WindowObject* control, std::uint16_t code) {
    WindowObject* dialog = control->parent;
    if (!qtb::IsLive(dialog) || !qtb::IsLive(control)) {
        return;
    }
    qtb::Send(dialog, WM_COMMAND, MakeWParam(std::uint16_t(control->id), code), LParam(control));
}

std::vector<WindowObject*> Controls(WindowObject* dialog) {
    std::vector<WindowObject*> out;
    for (WindowObject* w : qtb::AllWindows()) {
        if (w->kind == WindowKind::Control && w->parent == dialog) {
            out.push_back(w);
        }
    }
    return out;
}

QListWidget* List(WindowObject* c) { return static_cast<QListWidget*>(c->widget.data()); }

QString ItemText(QListWidgetItem* item) { return item->data(kOriginalText).toString(); }

QListWidgetItem* NewItem(const QString& text) {
    auto* item = new QListWidgetItem(Shown(text));
    item->setData(kOriginalText, text);
    item->setData(kItemData, QVariant::fromValue<qlonglong>(0));
    return item;
}

LResult ListMessage(WindowObject* c, std::uint32_t message, WParam wParam, LParam lParam) {
    QListWidget* list = List(c);
    int count = list->count();
    auto index = [](WParam w) { return int(std::intptr_t(w)); };
    switch (message) {
    case LB_ADDSTRING:
    case LB_INSERTSTRING: {
        QString text = qtb::ToQString(reinterpret_cast<const char16_t*>(lParam));
        int at = count;
        if (message == LB_INSERTSTRING) {
            int want = index(wParam);
            at = want < 0 || want > count ? count : want;
        } else if (c->control->style & LBS_SORT) {
            at = 0;
            while (at < count &&
                   QString::compare(ItemText(list->item(at)), text, Qt::CaseInsensitive) <= 0) {
                ++at;
            }
        }
        c->control->notifyGuard = true;
        list->insertItem(at, NewItem(text));
        c->control->notifyGuard = false;
        return at;
    }
    case LB_DELETESTRING: {
        int at = index(wParam);
        if (at < 0 || at >= count) {
            return LB_ERR;
        }
        c->control->notifyGuard = true;
        delete list->takeItem(at);
        c->control->notifyGuard = false;
        return list->count();
    }
    case LB_RESETCONTENT:
        c->control->notifyGuard = true;
        list->clear();
        c->control->notifyGuard = false;
        return 0;
    case LB_SETCURSEL: {
        int at = index(wParam);
        c->control->notifyGuard = true;
        if (at < 0 || at >= count) {
            list->setCurrentRow(-1);
            list->clearSelection();
            c->control->notifyGuard = false;
            return LB_ERR;
        }
        list->setCurrentRow(at);
        list->scrollToItem(list->item(at));
        c->control->notifyGuard = false;
        return at;
    }
    case LB_GETCURSEL: {
        int row = list->currentRow();
        return row >= 0 && list->item(row)->isSelected() ? row : LB_ERR;
    }
    case LB_GETTEXT:
    case LB_GETTEXTLEN: {
        int at = index(wParam);
        if (at < 0 || at >= count) {
            return LB_ERR;
        }
        std::u16string text = qtb::ToU16(ItemText(list->item(at)));
        if (message == LB_GETTEXTLEN) {
            return LResult(text.size());
        }
        auto* buffer = reinterpret_cast<char16_t*>(lParam);
        if (buffer == nullptr) {
            return LB_ERR;
        }
        std::copy(text.begin(), text.end(), buffer);
        buffer[text.size()] = 0;
        return LResult(text.size());
    }
    case LB_GETCOUNT:
        return count;
    case LB_FINDSTRINGEXACT: {
        QString text = qtb::ToQString(reinterpret_cast<const char16_t*>(lParam));
        int start = index(wParam);
        if (start < -1 || start >= count) {
            start = -1;
        }
        for (int k = 1; k <= count; ++k) {
            int at = (start + k) % count;
            if (QString::compare(ItemText(list->item(at)), text, Qt::CaseInsensitive) == 0) {
                return at;
            }
        }
        return LB_ERR;
    }
    case LB_SETITEMDATA: {
        int at = index(wParam);
        if (at < 0 || at >= count) {
            return LB_ERR;
        }
        list->item(at)->setData(kItemData, QVariant::fromValue<qlonglong>(qlonglong(lParam)));
        return 0;
    }
    case LB_GETITEMDATA: {
        int at = index(wParam);
        if (at < 0 || at >= count) {
            return LB_ERR;
        }
        return LResult(list->item(at)->data(kItemData).toLongLong());
    }
    default:
        return 0;
    }
}

void SetControlText(WindowObject* c, const QString& text) {
    c->text = qtb::ToU16(text);
    QWidget* widget = c->widget;
    switch (c->control->kind) {
    case ControlKind::StaticText:
        static_cast<QLabel*>(widget)->setText(
            Shown(c->control->noPrefix ? text : qtb::StripMnemonic(text)));
        break;
    case ControlKind::PushButton:
    case ControlKind::DefPushButton:
    case ControlKind::RadioButton:
    case ControlKind::CheckBox:
        static_cast<QAbstractButton*>(widget)->setText(text);
        break;
    case ControlKind::GroupBox:
        static_cast<QGroupBox*>(widget)->setTitle(text);
        break;
    case ControlKind::EditBox: {
        // A single-line box reports the new text with EN_CHANGE; a
        // multi-line one does not.
        auto* edit = static_cast<qtb::EditWidget*>(widget);
        std::function<void()> notify = edit->onChange;
        if (c->control->style & kMultiline) {
            edit->onChange = nullptr;
        }
        edit->setText(text);
        edit->onChange = notify;
        c->text = qtb::ToU16(edit->text());
        break;
    }
    case ControlKind::OwnerDrawButton:
        qtb::Invalidate(c, nullptr, true);
        break;
    case ControlKind::StaticBitmap:
    case ControlKind::ListBox:
        break;
    }
}

std::u16string ControlText(WindowObject* c) {
    if (c->control->kind == ControlKind::EditBox) {
        return qtb::ToU16(static_cast<qtb::EditWidget*>(c->widget.data())->text());
    }
    return c->text;
}

void UncheckGroupPeers(WindowObject* c) {
    for (WindowObject* other : Controls(c->parent)) {
        if (other != c && other->control->kind == ControlKind::RadioButton &&
            other->control->groupStart == c->control->groupStart) {
            static_cast<QAbstractButton*>(other->widget.data())->setChecked(false);
        }
    }
}

WindowObject* CreateControl(WindowObject* dialog, const DialogItemTemplate& item, int groupStart,
                            const Module* module) {
    auto* c = new WindowObject;
    c->kind = WindowKind::Control;
    c->parent = dialog;
    c->id = item.id;
    c->style = item.style;
    c->className = u"control";
    c->control = std::make_unique<ControlData>();
    c->control->kind = item.kind;
    c->control->style = item.style;
    c->control->groupStart = groupStart;
    c->control->noPrefix = (item.style & SS_NOPREFIX) != 0;
    QString text = qtb::ToQString(item.text);
    c->text = qtb::ToU16(text);
    QWidget* parent = dialog->client;
    QWidget* widget = nullptr;
    switch (item.kind) {
    case ControlKind::StaticText: {
        auto* label = new QLabel(parent);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        Qt::Alignment align = Qt::AlignLeft;
        if (item.style & SS_CENTER) {
            align = Qt::AlignHCenter;
        } else if (item.style & SS_RIGHT) {
            align = Qt::AlignRight;
        }
        label->setAlignment(align | Qt::AlignTop);
        widget = label;
        break;
    }
    case ControlKind::StaticBitmap: {
        auto* label = new QLabel(parent);
        label->setPixmap(qtb::BitmapPixmap(module, item.bitmapId));
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        widget = label;
        break;
    }
    case ControlKind::PushButton:
    case ControlKind::DefPushButton: {
        auto* button = new QPushButton(parent);
        button->setAutoDefault(false);
        if (item.kind == ControlKind::DefPushButton) {
            button->setDefault(true);
            dialog->dialog->defaultId = item.id;
        }
        QObject::connect(button, &QPushButton::clicked, button, [c] { Notify(c, BN_CLICKED); });
        widget = button;
        break;
    }
    case ControlKind::OwnerDrawButton: {
        auto* button = new qtb::OwnerDrawButton(c, parent);
        QObject::connect(button, &QAbstractButton::clicked, button, [c] { Notify(c, BN_CLICKED); });
        widget = button;
        break;
    }
    case ControlKind::RadioButton: {
        auto* radio = new qtb::RadioWidget(parent);
        radio->setAutoExclusive(false);
        QObject::connect(radio, &QAbstractButton::clicked, radio, [c] {
            UncheckGroupPeers(c);
            Notify(c, BN_CLICKED);
        });
        widget = radio;
        break;
    }
    case ControlKind::CheckBox: {
        auto* box = new QCheckBox(parent);
        QObject::connect(box, &QAbstractButton::clicked, box, [c] { Notify(c, BN_CLICKED); });
        widget = box;
        break;
    }
    case ControlKind::EditBox: {
        auto* edit = new qtb::EditWidget(parent, item.style);
        widget = edit;
        break;
    }
    case ControlKind::ListBox: {
        auto* list = new QListWidget(parent);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setUniformItemSizes(true);
        QObject::connect(list, &QListWidget::currentRowChanged, list, [c](int) {
            if (qtb::IsLive(c) && !c->control->notifyGuard && (c->control->style & LBS_NOTIFY)) {
                Notify(c, LBN_SELCHANGE);
            }
        });
        QObject::connect(list, &QListWidget::itemDoubleClicked, list, [c](QListWidgetItem*) {
            if (qtb::IsLive(c) && (c->control->style & LBS_NOTIFY)) {
                Notify(c, LBN_DBLCLK);
            }
        });
        widget = list;
        break;
    }
    case ControlKind::GroupBox:
        widget = new QGroupBox(parent);
        break;
    }
    c->widget = widget;
    if (item.kind != ControlKind::EditBox && item.kind != ControlKind::ListBox &&
        item.kind != ControlKind::StaticBitmap) {
        SetControlText(c, text);
    } else if (item.kind == ControlKind::EditBox) {
        static_cast<qtb::EditWidget*>(widget)->setText(text);
        static_cast<qtb::EditWidget*>(widget)->setFontObject(ControlFont(c));
    }
    if (item.kind == ControlKind::EditBox) {
        auto* edit = static_cast<qtb::EditWidget*>(widget);
        edit->onChange = [c] { Notify(c, EN_CHANGE); };
    }
    widget->setGeometry(DialogUnits(dialog, item.x, item.y, item.cx, item.cy));
    widget->setEnabled((item.style & WS_DISABLED) == 0);
    if ((item.style & WS_TABSTOP) == 0 && item.kind != ControlKind::EditBox &&
        item.kind != ControlKind::ListBox) {
        widget->setFocusPolicy(item.kind == ControlKind::StaticText || item.kind == ControlKind::StaticBitmap ||
                                       item.kind == ControlKind::GroupBox
                                   ? Qt::NoFocus
                                   : Qt::ClickFocus);
    }
    if (item.kind == ControlKind::OwnerDrawButton) {
        qtb::ResizeImage(c->image, widget->size(), Qt::white);
        c->invalid = true;
    }
    qtb::Register(c);
    widget->show();
    return c;
}

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

// Runs the program's message loop until `done` holds. WM_QUIT ends the
// wait early and is posted again for the outer loop.
template <typename Done>
bool RunModal(Done done) {
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

}  // namespace

namespace qtb {

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

LResult ControlSend(WindowObject* c, std::uint32_t message, WParam wParam, LParam lParam) {
    ControlData* data = c->control.get();
    QWidget* widget = c->widget;
    if (data == nullptr || widget == nullptr) {
        return 0;
    }
    switch (message) {
    case WM_SETTEXT:
        SetControlText(c, ToQString(reinterpret_cast<const char16_t*>(lParam)));
        return 1;
    case WM_GETTEXT:
        return CopyOut(ControlText(c), reinterpret_cast<char16_t*>(lParam), int(wParam));
    case WM_GETTEXTLENGTH:
        return LResult(ControlText(c).size());
    case WM_SETFONT: {
        Font font = reinterpret_cast<Font>(wParam);
        data->font = font;
        data->own = font != nullptr ? MakeFont(font->description) : nullptr;
        FontObject* shown = ControlFont(c);
        widget->setFont(shown->font);
        if (data->kind == ControlKind::EditBox) {
            static_cast<EditWidget*>(widget)->setFontObject(shown);
        }
        if (data->kind == ControlKind::OwnerDrawButton) {
            Invalidate(c, nullptr, true);
        }
        if (lParam != 0) {
            widget->update();
        }
        return 0;
    }
    case WM_GETFONT:
        if (data->font != nullptr) {
            return LResult(data->font);
        }
        return IsLive(c->parent) && c->parent->dialog ? LResult(c->parent->dialog->fontObject.get()) : 0;
    case BM_GETCHECK:
        if (data->kind == ControlKind::RadioButton || data->kind == ControlKind::CheckBox) {
            return static_cast<QAbstractButton*>(widget)->isChecked() ? LResult(BST_CHECKED)
                                                                       : LResult(BST_UNCHECKED);
        }
        return 0;
    case BM_SETCHECK:
        if (data->kind == ControlKind::RadioButton || data->kind == ControlKind::CheckBox) {
            static_cast<QAbstractButton*>(widget)->setChecked(wParam == BST_CHECKED);
        }
        return 0;
    case EM_SETSEL:
    case EM_GETSEL:
    case EM_REPLACESEL:
    case EM_LIMITTEXT: {
        if (data->kind != ControlKind::EditBox) {
            return 0;
        }
        auto* edit = static_cast<EditWidget*>(widget);
        if (message == EM_SETSEL) {
            edit->setSelection(int(std::intptr_t(wParam)), int(lParam));
            return 0;
        }
        if (message == EM_GETSEL) {
            if (wParam != 0) {
                *reinterpret_cast<std::uint32_t*>(wParam) = std::uint32_t(edit->selectionStart());
            }
            if (lParam != 0) {
                *reinterpret_cast<std::uint32_t*>(lParam) = std::uint32_t(edit->selectionEnd());
            }
            return LResult(MakeLParam(std::uint16_t(edit->selectionStart()),
                                      std::uint16_t(edit->selectionEnd())));
        }
        if (message == EM_REPLACESEL) {
            edit->replaceSelection(ToQString(reinterpret_cast<const char16_t*>(lParam)));
            return 0;
        }
        edit->setMaxLength(int(wParam));
        return 0;
    }
    default:
        if (data->kind == ControlKind::ListBox) {
            return ListMessage(c, message, wParam, lParam);
        }
        return 0;
    }
}

void DetachControl(WindowObject* c) {
    if (!c->control || c->widget == nullptr) {
        return;
    }
    if (c->control->kind == ControlKind::OwnerDrawButton) {
        static_cast<OwnerDrawButton*>(c->widget.data())->win = nullptr;
    } else if (c->control->kind == ControlKind::EditBox) {
        auto* edit = static_cast<EditWidget*>(c->widget.data());
        edit->onChange = nullptr;
        edit->setFontObject(nullptr);
    }
}

void RedrawOwnerButton(WindowObject* button) {
    if (!IsLive(button) || button->widget == nullptr || !IsLive(button->parent)) {
        return;
    }
    auto* widget = static_cast<QAbstractButton*>(button->widget.data());
    ResizeImage(button->image, widget->size(), Qt::white);
    button->image.fill(BackgroundColour(button->parent));
    button->invalid = false;
    button->erasePending = false;
    button->invalidRect = QRect();
    DcObject dc;
    dc.kind = DcObject::WindowDc;
    dc.window = button;
    dc.font = ControlFont(button);
    DrawItemStruct item;
    item.ctlType = ODT_BUTTON;
    item.ctlId = std::uint32_t(button->id);
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = (widget->isDown() ? ODS_SELECTED : 0) | (widget->hasFocus() ? ODS_FOCUS : 0);
    item.item = button;
    item.dc = &dc;
    item.rcItem = Rect{0, 0, widget->width(), widget->height()};
    Send(button->parent, WM_DRAWITEM, WParam(button->id), LParam(&item));
    if (IsLive(button) && button->widget != nullptr) {
        button->widget->update();
    }
}

}  // namespace qtb

std::intptr_t DialogBoxParam(const Module* module, std::uint16_t templateId, Window owner,
                             DialogProc proc, LParam param) {
    if (QCoreApplication::instance() == nullptr || proc == nullptr) {
        return -1;
    }
    auto* t = static_cast<const DialogTemplate*>(FindResourceObject(module, RT_DIALOG, templateId));
    if (t == nullptr) {
        return -1;
    }
    WindowObject* ownerWindow = FramedWindow(owner != nullptr && owner->kind != WindowKind::Proxy ? owner : nullptr);

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

    // The dialog font and its base units.
    LogFont lf;
    if (t->fontName != nullptr) {
        std::u16string face = t->fontName;
        std::copy_n(face.begin(), std::min<std::size_t>(face.size(), 31), lf.faceName);
    }
    lf.height = MulDiv(t->pointSize > 0 ? t->pointSize : 8, 96, 72);
    d->fontObject = qtb::MakeFont(lf);
    d->font = d->fontObject->font;
    {
        static const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        int width = d->fontObject->metrics->horizontalAdvance(letters);
        d->baseX = std::max((width / 26 + 1) / 2, 1);
        d->baseY = std::max(d->fontObject->height, 1);
    }

    QWidget* ownerFrame = ownerWindow != nullptr ? ownerWindow->frame.data() : nullptr;
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
    qtb::Register(w);

    // Geometry: the template's size is the client area's.
    QRect box = DialogUnits(w, t->x, t->y, t->cx, t->cy);
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

    int groupStart = 0;
    for (int i = 0; i < t->itemCount; ++i) {
        if (i == 0 || (t->items[i].style & WS_GROUP)) {
            groupStart = i;
        }
        CreateControl(w, t->items[i], groupStart, module);
    }

    std::vector<WindowObject*> controls = Controls(w);
    Window firstStop = nullptr;
    for (WindowObject* c : controls) {
        if (c->style & WS_TABSTOP) {
            firstStop = c;
            break;
        }
    }
    std::intptr_t focusDefault = qtb::Send(w, WM_INITDIALOG, WParam(firstStop), param);
    if (qtb::IsLive(w) && !d->ended) {
        w->frame->show();
        qtb::Raise(w->frame);
        w->frame->activateWindow();
        if (focusDefault != 0) {
            FocusFirst(w);
        } else if (w->frame->focusWidget() == nullptr) {
            w->client->setFocus(Qt::OtherFocusReason);
        }
        RunModal([w] { return !qtb::IsLive(w) || w->dialog->ended; });
    }
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
    for (WindowObject* c : Controls(dialog)) {
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
    rect->left = MulDiv(rect->left, d.baseX, 4);
    rect->right = MulDiv(rect->right, d.baseX, 4);
    rect->top = MulDiv(rect->top, d.baseY, 8);
    rect->bottom = MulDiv(rect->bottom, d.baseY, 8);
    return true;
}

// ---- message boxes -------------------------------------------------------

int MessageBox(Window owner, const char16_t* text, const char16_t* caption, std::uint32_t type) {
    if (QCoreApplication::instance() == nullptr) {
        return 0;
    }
    WindowObject* ownerWindow = FramedWindow(owner != nullptr && owner->kind != WindowKind::Proxy ? owner : nullptr);
    QWidget* parent = ownerWindow != nullptr ? ownerWindow->frame.data() : nullptr;
    auto* box = new QMessageBox(parent);
    box->setAttribute(Qt::WA_DeleteOnClose, false);
    box->setTextFormat(Qt::PlainText);
    box->setText(qtb::ToQString(text));
    box->setWindowTitle(caption != nullptr ? qtb::ToQString(caption)
                                           : QApplication::applicationDisplayName());
    switch (type & MB_ICONMASK) {
    case MB_ICONERROR:
        box->setIcon(QMessageBox::Critical);
        break;
    case MB_ICONQUESTION:
        box->setIcon(QMessageBox::Question);
        break;
    case MB_ICONEXCLAMATION:
        box->setIcon(QMessageBox::Warning);
        break;
    case MB_ICONINFORMATION:
        box->setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton escape = QMessageBox::NoButton;
    int closed = IDCANCEL;  // the answer when the box goes without a button
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        buttons = QMessageBox::Ok | QMessageBox::Cancel;
        escape = QMessageBox::Cancel;
        break;
    case MB_YESNO:
        buttons = QMessageBox::Yes | QMessageBox::No;
        escape = QMessageBox::No;
        closed = IDNO;
        break;
    case MB_YESNOCANCEL:
        buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        escape = QMessageBox::Cancel;
        break;
    default:
        buttons = QMessageBox::Ok;
        escape = QMessageBox::Ok;
        closed = IDOK;
        break;
    }
    box->setStandardButtons(buttons);
    box->setEscapeButton(escape);
    box->setWindowModality(Qt::ApplicationModal);
    bool finished = false;
    QObject::connect(box, &QDialog::finished, box, [&finished] {
        finished = true;
        qtb::Post(nullptr, WM_NULL, 0, 0);  // wakes the loop below
    });
    box->show();
    qtb::Raise(box);
    box->activateWindow();
    RunModal([&finished] { return finished; });
    int answer = closed;
    switch (box->standardButton(box->clickedButton())) {
    case QMessageBox::Ok:
        answer = IDOK;
        break;
    case QMessageBox::Cancel:
        answer = IDCANCEL;
        break;
    case QMessageBox::Yes:
        answer = IDYES;
        break;
    case QMessageBox::No:
        answer = IDNO;
        break;
    default:
        break;
    }
    QObject::disconnect(box, nullptr, nullptr, nullptr);
    box->hide();
    box->deleteLater();
    if (ownerWindow != nullptr && qtb::IsLive(ownerWindow) && ownerWindow->frame != nullptr &&
        ownerWindow->frame->isVisible()) {
        ownerWindow->frame->activateWindow();
    }
    return answer;
}

}  // namespace plat
