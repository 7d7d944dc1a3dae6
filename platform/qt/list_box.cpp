// The list box of dialogs: a list widget whose items keep the text the
// program gave them (shown in stored order) and one number each.
#include <QListWidget>

#include <algorithm>

#include "platform/dialog.h"
#include "platform/qt/dialog_internal.h"
#include "platform/window.h"

namespace plat::qtb {
namespace {

constexpr int kOriginalText = Qt::UserRole + 1;
constexpr int kItemData = Qt::UserRole + 2;

QListWidget* List(WindowObject* c) { return static_cast<QListWidget*>(c->widget.data()); }

QString ItemText(QListWidgetItem* item) { return item->data(kOriginalText).toString(); }

QListWidgetItem* NewItem(const QString& text) {
    auto* item = new QListWidgetItem(Shown(text));
    item->setData(kOriginalText, text);
    item->setData(kItemData, QVariant::fromValue<qlonglong>(0));
    return item;
}

}  // namespace

LResult ListMessage(WindowObject* c, std::uint32_t message, WParam wParam, LParam lParam) {
    QListWidget* list = List(c);
    int count = list->count();
    auto index = [](WParam w) { return int(std::intptr_t(w)); };
    switch (message) {
    case LB_ADDSTRING:
    case LB_INSERTSTRING: {
        QString text = ToQString(reinterpret_cast<const char16_t*>(lParam));
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
        std::u16string text = ToU16(ItemText(list->item(at)));
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
        QString text = ToQString(reinterpret_cast<const char16_t*>(lParam));
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

}  // namespace plat::qtb
