// Menus, the command bar (top of the client area) and the shell menu bar
// (bottom of the client area). Both bars are child widgets laid over the
// client area; the program takes their height off its own layout. Menu
// items and tool buttons post WM_COMMAND to the bar's window.
#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QStyle>
#include <QToolButton>

#include <algorithm>

#include "platform/qt/qt_internal.h"
#include "platform/resources.h"
#include "platform/templates.h"
#include "platform/window.h"

namespace plat {
namespace {

constexpr std::uint32_t TB_ADDBUTTONS = 0x0444;
constexpr std::uint32_t TB_SETTOOLTIPS = 0x0451;
constexpr std::uint16_t kNoImage = 0xFFFE;

class BarWidget : public QWidget {
public:
    explicit BarWidget(QWidget* parent) : QWidget(parent) {
        setAutoFillBackground(true);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    // A tap on the bar between its buttons is the bar's, not the window's.
    void mousePressEvent(QMouseEvent* event) override { event->accept(); }
    void mouseReleaseEvent(QMouseEvent* event) override { event->accept(); }
};

QToolButton* NewButton(QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoRaise(true);
    b->setIconSize(QSize(16, 16));
    return b;
}

// The height every bar gets: a tool button with a 16 x 16 image or a line
// of text, and a small margin.
int BarHeight(QWidget* parent) {
    QToolButton probe(parent);
    probe.setAutoRaise(true);
    probe.setIconSize(QSize(16, 16));
    probe.setText(QStringLiteral("Go"));
    probe.setToolButtonStyle(Qt::ToolButtonTextOnly);
    int text = probe.sizeHint().height();
    probe.setToolButtonStyle(Qt::ToolButtonIconOnly);
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    probe.setIcon(QIcon(pixmap));
    int icon = probe.sizeHint().height();
    return std::max(text, icon) + 4;
}

// Left-side items go before the stretch; the close box after it.
int LeftCount(BarData* bar) {
    int n = bar->menuButton != nullptr ? 1 : 0;
    return n + int(bar->buttons.size());
}

WindowObject* NewBar(Window parent, int id, bool bottom) {
    if (!qtb::IsLive(parent) || parent->client == nullptr) {
        return nullptr;
    }
    auto* w = new WindowObject;
    w->kind = WindowKind::Bar;
    w->parent = parent;
    w->id = id;
    w->className = bottom ? u"menu_worker" : u"CommandBar";
    w->bar = std::make_unique<BarData>();
    w->bar->bottom = bottom;
    auto* widget = new BarWidget(parent->client);
    w->widget = widget;
    auto* layout = new QHBoxLayout(widget);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(1);
    layout->addStretch(1);
    w->bar->layout = layout;
    w->bar->height = BarHeight(widget);
    qtb::Register(w);
    qtb::PlaceBars(parent);
    widget->show();
    return w;
}

void ApplyTips(BarData* bar) {
    if (!bar->tipsGiven) {
        return;
    }
    auto tip = [bar](std::size_t i) {
        return i < bar->tips.size() ? qtb::ToQString(bar->tips[i]) : QString();
    };
    if (bar->menuButton != nullptr) {
        bar->menuButton->setToolTip(tip(0));
    }
    for (std::size_t i = 0; i < bar->buttons.size(); ++i) {
        if (bar->buttons[i] != nullptr) {
            bar->buttons[i]->setToolTip(tip(i + 1));
        }
    }
}

std::unique_ptr<MenuObject> BuildMenu(const Module* module, std::uint16_t menuId, WindowObject* owner,
                                      QWidget* parent, QString* popupText) {
    auto* t = static_cast<const MenuTemplate*>(FindResourceObject(module, RT_MENU, menuId));
    if (t == nullptr) {
        return nullptr;
    }
    auto menu = std::make_unique<MenuObject>();
    menu->owner = owner;
    menu->menu = new QMenu(parent);
    if (popupText != nullptr) {
        *popupText = qtb::ToQString(t->popupText);
    }
    MenuObject* m = menu.get();
    for (int i = 0; i < t->itemCount; ++i) {
        const MenuItemTemplate& item = t->items[i];
        if (item.id == 0) {
            menu->menu->addSeparator();
            menu->items.push_back(MenuObject::Item{0, nullptr, false});
            continue;
        }
        // The text after U+0008 is a shortcut label shown at the right; Qt
        // shows the text after a tab the same way, without binding a key.
        QString text = qtb::ToQString(item.text);
        text.replace(QChar(0x0008), QLatin1Char('\t'));
        QAction* action = menu->menu->addAction(text);
        std::uint16_t id = item.id;
        QObject::connect(action, &QAction::triggered, action, [m, action, id] {
            // Qt flips a checkable item by itself; here only the program
            // sets check marks.
            for (const MenuObject::Item& it : m->items) {
                if (it.action == action) {
                    QSignalBlocker block(action);
                    action->setChecked(it.checked);
                }
            }
            if (qtb::IsLive(m->owner)) {
                qtb::Post(m->owner, WM_COMMAND, MakeWParam(id, 0), 0);
            }
        });
        menu->items.push_back(MenuObject::Item{id, action, false});
    }
    return menu;
}

QToolButton* AddMenuButton(WindowObject* bar, const QString& caption, int position) {
    BarData* data = bar->bar.get();
    QToolButton* button = NewButton(bar->widget);
    button->setText(caption);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setPopupMode(QToolButton::InstantPopup);
    button->setMenu(data->menu->menu);
    int index = std::clamp(position, 0, LeftCount(data));
    data->layout->insertWidget(index, button);
    data->menuButton = button;
    return button;
}

MenuObject::Item* FindItem(Menu menu, std::uint32_t itemId, bool byPosition) {
    if (menu == nullptr) {
        return nullptr;
    }
    const int at = rules::FindMenuItem(menu->items, itemId, byPosition);
    return at >= 0 ? &menu->items[std::size_t(at)] : nullptr;
}

void ShowCheck(MenuObject::Item* item) {
    if (item->action == nullptr) {
        return;
    }
    QSignalBlocker block(item->action);
    // Unchecked items show no box, as on the handheld.
    item->action->setCheckable(item->checked);
    item->action->setChecked(item->checked);
}

std::uint16_t Word(const std::uint8_t* bytes, std::uint32_t index) {
    return std::uint16_t(bytes[index * 2] | (bytes[index * 2 + 1] << 8));
}

QString StringResource(const Module* module, std::uint16_t id) {
    ResourceData d = FindResourceData(module, RT_STRING, id);
    if (!d.found || d.bytes == nullptr) {
        return QString();
    }
    QString text;
    for (std::uint32_t i = 0; i + 1 < d.size; i += 2) {
        char16_t c = char16_t(d.bytes[i] | (d.bytes[i + 1] << 8));
        if (c == 0) {
            break;
        }
        text.append(QChar(c));
    }
    return text;
}

}  // namespace

namespace qtb {

void PlaceBars(WindowObject* w) {
    if (w->client == nullptr) {
        return;
    }
    QSize client = w->client->size();
    for (WindowObject* b : AllWindows()) {
        if (b->kind != WindowKind::Bar || b->parent != w || b->widget == nullptr || !b->bar) {
            continue;
        }
        int h = b->bar->height;
        int width = std::max(client.width() - b->bar->widthDeficit, 0);
        int y = b->bar->bottom ? client.height() - h : 0;
        b->widget->setGeometry(0, y, width, h);
        b->widget->raise();
    }
}

LResult BarSend(WindowObject* bar, std::uint32_t message, WParam wParam, LParam lParam) {
    BarData* data = bar->bar.get();
    if (data == nullptr) {
        return 0;
    }
    switch (message) {
    case SHCMBM_GETSUBMENU:
        if (data->menu && (data->menuButtonCommand == 0 || LParam(data->menuButtonCommand) == lParam)) {
            return LResult(data->menu.get());
        }
        return 0;
    case TB_ADDBUTTONS:  // first parameter a count, second a ToolButton array
        return CommandBarAddButtons(bar, int(wParam), reinterpret_cast<const ToolButton*>(lParam));
    case TB_SETTOOLTIPS:  // first parameter a count, second an array of texts
        return CommandBarAddToolTips(bar, int(wParam),
                                     reinterpret_cast<const char16_t* const*>(lParam));
    default:
        return 0;
    }
}

}  // namespace qtb

// ---- menus ---------------------------------------------------------------

std::int32_t CheckMenuItem(Menu menu, std::uint32_t itemId, std::uint32_t flags) {
    MenuObject::Item* item = FindItem(menu, itemId, rules::ByPosition(flags));
    // A separator has no check mark.
    if (item == nullptr || item->action == nullptr) {
        return -1;
    }
    const std::int32_t previous = rules::ApplyMenuCheck(&item->checked, flags);
    ShowCheck(item);
    return previous;
}

bool GetMenuItemInfo(Menu menu, std::uint32_t itemId, bool byPosition, MenuItemInfo* info) {
    MenuObject::Item* item = FindItem(menu, itemId, byPosition);
    if (item == nullptr || info == nullptr) {
        return false;
    }
    if (info->mask & MIIM_STATE) {
        info->state = item->checked ? MFS_CHECKED : 0;
    }
    return true;
}

bool SetMenuItemInfo(Menu menu, std::uint32_t itemId, bool byPosition, const MenuItemInfo& info) {
    MenuObject::Item* item = FindItem(menu, itemId, byPosition);
    if (item == nullptr) {
        return false;
    }
    if (info.mask & MIIM_STATE) {
        item->checked = (info.state & MFS_CHECKED) != 0;
        ShowCheck(item);
    }
    return true;
}

// ---- command bar ---------------------------------------------------------

Window CommandBarCreate(const Module*, Window parent, int id) { return NewBar(parent, id, false); }

int CommandBarHeight(Window bar) {
    if (!qtb::IsLive(bar) || !bar->bar) {
        return 0;
    }
    return bar->bar->height;
}

bool CommandBarInsertMenubar(Window bar, const Module* module, std::uint16_t menuId, int position) {
    if (!qtb::IsLive(bar) || !bar->bar || bar->bar->menu) {
        return false;
    }
    QString caption;
    auto menu = BuildMenu(module, menuId, bar->parent, bar->widget, &caption);
    if (!menu) {
        return false;
    }
    bar->bar->menu = std::move(menu);
    AddMenuButton(bar, caption, position);
    ApplyTips(bar->bar.get());
    return true;
}

int CommandBarAddBitmap(Window bar, const Module* module, std::uint16_t bitmapId, int imageCount,
                        int width, int height) {
    if (!qtb::IsLive(bar) || !bar->bar || imageCount <= 0 || width <= 0 || height <= 0) {
        return -1;
    }
    auto* b = static_cast<const BitmapResource*>(FindResourceObject(module, RT_BITMAP, bitmapId));
    if (b == nullptr || b->pixels == nullptr || b->width <= 0 || b->height <= 0) {
        return -1;
    }
    QImage strip = qtb::BitmapImage(*b, true);
    int first = int(bar->bar->images.size());
    for (int i = 0; i < imageCount; ++i) {
        bar->bar->images.push_back(strip.copy(i * width, 0, width, height));
    }
    return first;
}

bool CommandBarAddButtons(Window bar, int count, const ToolButton* buttons) {
    if (!qtb::IsLive(bar) || !bar->bar || count < 0 || (buttons == nullptr && count > 0)) {
        return false;
    }
    BarData* data = bar->bar.get();
    for (int i = 0; i < count; ++i) {
        const ToolButton& tb = buttons[i];
        if (tb.style & TBSTYLE_SEP) {
            auto* gap = new QWidget(bar->widget);
            gap->setFixedWidth(6);
            data->layout->insertWidget(LeftCount(data), gap);
            data->buttons.push_back(nullptr);
            continue;
        }
        QToolButton* button = NewButton(bar->widget);
        if (tb.image >= 0 && std::size_t(tb.image) < data->images.size()) {
            button->setIcon(QIcon(QPixmap::fromImage(data->images[std::size_t(tb.image)])));
        }
        button->setEnabled((tb.state & TBSTATE_ENABLED) != 0);
        int command = tb.command;
        WindowObject* owner = bar->parent;
        QObject::connect(button, &QToolButton::clicked, button, [owner, command, bar] {
            if (qtb::IsLive(owner)) {
                qtb::Post(owner, WM_COMMAND, MakeWParam(std::uint16_t(command), BN_CLICKED),
                          LParam(bar));
            }
        });
        data->layout->insertWidget(LeftCount(data), button);
        data->buttons.push_back(button);
    }
    ApplyTips(data);
    return true;
}

bool CommandBarAddToolTips(Window bar, int count, const char16_t* const* tips) {
    if (!qtb::IsLive(bar) || !bar->bar || count < 0 || (tips == nullptr && count > 0)) {
        return false;
    }
    BarData* data = bar->bar.get();
    data->tips.clear();
    for (int i = 0; i < count; ++i) {
        data->tips.push_back(tips[i] != nullptr ? std::u16string(tips[i]) : std::u16string());
    }
    data->tipsGiven = true;
    ApplyTips(data);
    return true;
}

bool CommandBarAddAdornments(Window bar, std::uint32_t) {
    if (!qtb::IsLive(bar) || !bar->bar) {
        return false;
    }
    QToolButton* close = NewButton(bar->widget);
    close->setIcon(QApplication::style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    close->setToolTip(QStringLiteral("Close"));
    WindowObject* owner = bar->parent;
    QObject::connect(close, &QToolButton::clicked, close, [owner] {
        if (qtb::IsLive(owner)) {
            qtb::Post(owner, WM_CLOSE, 0, 0);
        }
    });
    bar->bar->layout->addWidget(close);
    return true;
}

Menu CommandBarGetMenu(Window bar, int index) {
    if (!qtb::IsLive(bar) || !bar->bar || index != 0) {
        return nullptr;
    }
    return bar->bar->menu.get();
}

bool CommandBarShow(Window bar, bool show) {
    if (!qtb::IsLive(bar) || bar->widget == nullptr) {
        return false;
    }
    bar->widget->setVisible(show);
    return true;
}

// ---- shell menu bar --------------------------------------------------------

// The description: 16-bit little-endian words: menu id, button count, then
// for each button image, command, state, style, caption string id and
// sub-menu index; then 0.
bool SHCreateMenuBar(MenuBarInfo* info) {
    if (info == nullptr) {
        return false;
    }
    info->menuBar = nullptr;
    ResourceData d = FindResourceData(info->module, RT_RCDATA, info->menuBarId);
    if (!d.found || d.bytes == nullptr || d.size < 4) {
        return false;
    }
    std::uint32_t words = d.size / 2;
    std::uint16_t menuId = Word(d.bytes, 0);
    std::uint16_t count = Word(d.bytes, 1);
    if (2 + std::uint32_t(count) * 6 > words) {
        return false;
    }
    WindowObject* bar = NewBar(info->parent, 0, true);
    if (bar == nullptr) {
        return false;
    }
    for (std::uint16_t i = 0; i < count; ++i) {
        std::uint32_t at = 2 + std::uint32_t(i) * 6;
        std::uint16_t image = Word(d.bytes, at);
        std::uint16_t command = Word(d.bytes, at + 1);
        std::uint16_t state = Word(d.bytes, at + 2);
        std::uint16_t style = Word(d.bytes, at + 3);
        std::uint16_t captionId = Word(d.bytes, at + 4);
        QString caption = captionId != 0 ? StringResource(info->module, captionId) : QString();
        if ((style & TBSTYLE_DROPDOWN) && !bar->bar->menu) {
            // The description's menu has one popup; every sub-menu index names it.
            auto menu = BuildMenu(info->module, menuId, info->parent, bar->widget, nullptr);
            if (!menu) {
                continue;
            }
            bar->bar->menu = std::move(menu);
            bar->bar->menuButtonCommand = command;
            QToolButton* button = AddMenuButton(bar, caption, LeftCount(bar->bar.get()));
            button->setEnabled((state & TBSTATE_ENABLED) != 0);
            continue;
        }
        QToolButton* button = NewButton(bar->widget);
        button->setText(caption);
        if (image != kNoImage && image < bar->bar->images.size()) {
            button->setIcon(QIcon(QPixmap::fromImage(bar->bar->images[image])));
        }
        button->setEnabled((state & TBSTATE_ENABLED) != 0);
        WindowObject* owner = info->parent;
        QObject::connect(button, &QToolButton::clicked, button, [owner, command, bar] {
            if (qtb::IsLive(owner)) {
                qtb::Post(owner, WM_COMMAND, MakeWParam(command, BN_CLICKED), LParam(bar));
            }
        });
        bar->bar->layout->insertWidget(LeftCount(bar->bar.get()), button);
        bar->bar->buttons.push_back(button);
    }
    info->menuBar = bar;
    return true;
}

}  // namespace plat
