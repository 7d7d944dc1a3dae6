// The controls of a dialog: created from the template's items as real
// widgets, their texts, check marks, fonts and edit selections reached
// through messages, owner-drawn buttons painted by the dialog's procedure.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <functional>

#include "platform/dialog.h"
#include "platform/qt/controls.h"
#include "platform/qt/dialog_internal.h"
#include "platform/window.h"

namespace plat::qtb {
namespace {

constexpr std::uint32_t WS_DISABLED = 0x08000000u;
constexpr std::uint32_t SS_CENTER = 0x0001;
constexpr std::uint32_t SS_RIGHT = 0x0002;
constexpr std::uint32_t kMultiline = 0x0004;  // ES_MULTILINE
constexpr std::uint32_t EM_GETSEL = 0x00B0;
constexpr std::uint32_t EM_REPLACESEL = 0x00C2;
constexpr std::uint32_t ODS_SELECTED = 0x0001;
constexpr std::uint32_t ODS_FOCUS = 0x0010;

void SetControlText(WindowObject* c, const QString& text) {
    c->text = ToU16(text);
    QWidget* widget = c->widget;
    switch (c->control->kind) {
    case ControlKind::StaticText:
        static_cast<QLabel*>(widget)->setText(
            Shown(c->control->noPrefix ? text : StripMnemonic(text)));
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
        auto* edit = static_cast<EditWidget*>(widget);
        std::function<void()> notify = edit->onChange;
        if (c->control->style & kMultiline) {
            edit->onChange = nullptr;
        }
        edit->setText(text);
        edit->onChange = notify;
        c->text = ToU16(edit->text());
        break;
    }
    case ControlKind::OwnerDrawButton:
        Invalidate(c, nullptr, true);
        break;
    case ControlKind::StaticBitmap:
    case ControlKind::ListBox:
        break;
    }
}

std::u16string ControlText(WindowObject* c) {
    if (c->control->kind == ControlKind::EditBox) {
        return ToU16(static_cast<EditWidget*>(c->widget.data())->text());
    }
    return c->text;
}

// A key typed into an edit box goes to the dialog procedure first (the box
// in the second parameter); true when the procedure took it.
bool OfferToDialog(WindowObject* control, std::uint32_t message, WParam wParam) {
    WindowObject* dialog = control->parent;
    if (!IsLive(dialog) || !IsLive(control)) {
        return false;
    }
    return Send(dialog, message, wParam, LParam(control)) != 0;
}

void UncheckGroupPeers(WindowObject* c) {
    for (WindowObject* other : Controls(c->parent)) {
        if (other != c && other->control->kind == ControlKind::RadioButton &&
            other->control->groupStart == c->control->groupStart) {
            static_cast<QAbstractButton*>(other->widget.data())->setChecked(false);
        }
    }
}

}  // namespace

namespace {

WindowObject* NewControlRecord(WindowObject* dialog, const DialogItemTemplate& item, int groupStart) {
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
    return c;
}

QWidget* NewStaticText(const DialogItemTemplate& item, QWidget* parent) {
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
    return label;
}

QWidget* NewListBox(WindowObject* c, QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setUniformItemSizes(true);
    QObject::connect(list, &QListWidget::currentRowChanged, list, [c, list](int row) {
        if (!IsLive(c) || c->control->notifyGuard) {
            return;
        }
        // A mouse press makes the row current before it selects it; the
        // procedure asks for the selection as soon as it hears of the change.
        if (row >= 0 && !list->item(row)->isSelected()) {
            c->control->notifyGuard = true;
            list->item(row)->setSelected(true);
            c->control->notifyGuard = false;
        }
        if (c->control->style & LBS_NOTIFY) {
            Notify(c, LBN_SELCHANGE);
        }
    });
    QObject::connect(list, &QListWidget::itemDoubleClicked, list, [c](QListWidgetItem*) {
        if (IsLive(c) && (c->control->style & LBS_NOTIFY)) {
            Notify(c, LBN_DBLCLK);
        }
    });
    return list;
}

// The widget of a control, its signals connected to notifications.
QWidget* NewControlWidget(WindowObject* c, const DialogItemTemplate& item, const Module* module) {
    WindowObject* dialog = c->parent;
    QWidget* parent = dialog->client;
    switch (item.kind) {
    case ControlKind::StaticText:
        return NewStaticText(item, parent);
    case ControlKind::StaticBitmap: {
        auto* label = new QLabel(parent);
        label->setPixmap(BitmapPixmap(module, item.bitmapId));
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
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
        return button;
    }
    case ControlKind::OwnerDrawButton: {
        auto* button = new OwnerDrawButton(c, parent);
        QObject::connect(button, &QAbstractButton::clicked, button, [c] { Notify(c, BN_CLICKED); });
        return button;
    }
    case ControlKind::RadioButton: {
        auto* radio = new RadioWidget(parent);
        radio->setAutoExclusive(false);
        QObject::connect(radio, &QAbstractButton::clicked, radio, [c] {
            UncheckGroupPeers(c);
            Notify(c, BN_CLICKED);
        });
        return radio;
    }
    case ControlKind::CheckBox: {
        auto* box = new QCheckBox(parent);
        QObject::connect(box, &QAbstractButton::clicked, box, [c] { Notify(c, BN_CLICKED); });
        return box;
    }
    case ControlKind::EditBox:
        return new EditWidget(parent, item.style);
    case ControlKind::ListBox:
        return NewListBox(c, parent);
    case ControlKind::GroupBox:
        break;
    }
    return new QGroupBox(parent);
}

}  // namespace

WindowObject* CreateControl(WindowObject* dialog, const DialogItemTemplate& item, int groupStart,
                            const Module* module) {
    WindowObject* c = NewControlRecord(dialog, item, groupStart);
    QString text = ToQString(item.text);
    c->text = ToU16(text);
    QWidget* widget = NewControlWidget(c, item, module);
    c->widget = widget;
    if (item.kind != ControlKind::EditBox && item.kind != ControlKind::ListBox &&
        item.kind != ControlKind::StaticBitmap) {
        SetControlText(c, text);
    } else if (item.kind == ControlKind::EditBox) {
        auto* edit = static_cast<EditWidget*>(widget);
        edit->setText(text);
        edit->setFontObject(ControlFont(c));
        edit->onChange = [c] { Notify(c, EN_CHANGE); };
        edit->onTypedChar = [c](char16_t ch) { return OfferToDialog(c, WM_CHAR, ch); };
        edit->onDeleteKey = [c](std::uint32_t key) { return OfferToDialog(c, WM_KEYDOWN, key); };
    }
    widget->setGeometry(DialogUnits(dialog, item.x, item.y, item.cx, item.cy));
    if (item.kind == ControlKind::StaticBitmap && item.cx == 0 && item.cy == 0) {
        // A picture without a size in the template takes its bitmap's.
        widget->resize(static_cast<QLabel*>(widget)->pixmap().size());
    }
    widget->setEnabled((item.style & WS_DISABLED) == 0);
    if ((item.style & WS_TABSTOP) == 0 && item.kind != ControlKind::EditBox &&
        item.kind != ControlKind::ListBox) {
        widget->setFocusPolicy(item.kind == ControlKind::StaticText || item.kind == ControlKind::StaticBitmap ||
                                       item.kind == ControlKind::GroupBox
                                   ? Qt::NoFocus
                                   : Qt::ClickFocus);
    }
    if (item.kind == ControlKind::OwnerDrawButton) {
        ResizeImage(c->image, widget->size(), Qt::white);
        c->invalid = true;
    }
    Register(c);
    widget->show();
    return c;
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
        edit->onTypedChar = nullptr;
        edit->onDeleteKey = nullptr;
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

}  // namespace plat::qtb
