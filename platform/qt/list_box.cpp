// The list box of dialogs. Its items, their numbers and the selection are
// the shared list box record (platform/common/control_rules.h), which
// answers the messages; the list widget shows the items (in stored order)
// and the selection, and a selection the user makes goes back into the
// record.
#include <QListWidget>

#include "platform/dialog.h"
#include "platform/qt/dialog_internal.h"
#include "platform/window.h"

namespace plat::qtb {
namespace {

QListWidget* List(WindowObject* c) { return static_cast<QListWidget*>(c->widget.data()); }

// Shows the record's selection in the widget.
void ShowSelection(QListWidget* list, int selection) {
    if (selection < 0 || selection >= list->count()) {
        list->setCurrentRow(-1);
        list->clearSelection();
        return;
    }
    list->setCurrentRow(selection);
    list->scrollToItem(list->item(selection));
}

// Makes the widget show what a message changed in the record. The
// program's own changes are not reported to the dialog.
void Mirror(WindowObject* c, const rules::ListBoxChange& change) {
    const rules::ListBoxState& state = c->control->listBox;
    QListWidget* list = List(c);
    c->control->notifyGuard = true;
    switch (change.kind) {
    case rules::ListBoxChange::Inserted:
        list->insertItem(change.index, Shown(ToQString(state.items[std::size_t(change.index)].text)));
        break;
    case rules::ListBoxChange::Deleted:
        delete list->takeItem(change.index);
        break;
    case rules::ListBoxChange::Cleared:
        list->clear();
        break;
    case rules::ListBoxChange::Selected:
    case rules::ListBoxChange::None:
        break;
    }
    if (change.kind != rules::ListBoxChange::None) {
        ShowSelection(list, state.selection);
    }
    c->control->notifyGuard = false;
}

}  // namespace

QWidget* NewListBox(WindowObject* c, QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setUniformItemSizes(true);
    c->control->listBox.sorted = (c->control->style & LBS_SORT) != 0;
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
        c->control->listBox.selection = row;
        if (c->control->style & LBS_NOTIFY) {
            Notify(c, LBN_SELCHANGE);
        }
    });
    // A click that takes the selection away leaves the current row alone.
    QObject::connect(list, &QListWidget::itemSelectionChanged, list, [c, list] {
        if (IsLive(c) && !c->control->notifyGuard && list->selectedItems().isEmpty()) {
            c->control->listBox.selection = -1;
        }
    });
    QObject::connect(list, &QListWidget::itemDoubleClicked, list, [c](QListWidgetItem*) {
        if (IsLive(c) && (c->control->style & LBS_NOTIFY)) {
            Notify(c, LBN_DBLCLK);
        }
    });
    return list;
}

LResult ListMessage(WindowObject* c, std::uint32_t message, WParam wParam, LParam lParam) {
    if (!rules::IsListBoxMessage(message)) {
        return 0;
    }
    rules::ListBoxChange change;
    const LResult result = rules::ListBoxMessage(c->control->listBox, message, wParam, lParam, &change);
    Mirror(c, change);
    return result;
}

}  // namespace plat::qtb
