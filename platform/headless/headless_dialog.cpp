// Headless message boxes and modal dialogs: answers come from the test's
// script (or the default answer), every box shown is recorded, and a dialog
// runs until its procedure ends it, the test's driver ends it, or Cancel.
#include <deque>

#include "platform/headless/headless_internal.h"
#include "platform/host.h"

namespace plat {
namespace {

using headless::Activate;
using headless::Alive;
using headless::Pump;

headless::DialogDriver g_driver;
std::vector<headless::MessageBoxRecord> g_boxes;
std::deque<int> g_answers;
std::vector<headless::DialogRecord> g_dialogsRun;

constexpr int kDialogUnit = 2;

int DefaultAnswer(std::uint32_t type) {
    switch (type & MB_TYPEMASK) {
        case MB_YESNO:
        case MB_YESNOCANCEL:
            return IDYES;
        default:
            return IDOK;
    }
}

}  // namespace

namespace headless {

const std::vector<MessageBoxRecord>& MessageBoxes() { return g_boxes; }
void ScriptMessageBoxAnswers(std::vector<int> answers) {
    g_answers.assign(answers.begin(), answers.end());
}
void ClearMessageBoxes() {
    g_boxes.clear();
    g_answers.clear();
}
void SetDialogDriver(DialogDriver driver) { g_driver = std::move(driver); }
const std::vector<DialogRecord>& DialogsRun() { return g_dialogsRun; }

void ResetDialogs() {
    g_driver = nullptr;
    g_boxes.clear();
    g_answers.clear();
    g_dialogsRun.clear();
}

}  // namespace headless

int MessageBox(Window owner, const char16_t* text, const char16_t* caption, std::uint32_t type) {
    int answer = DefaultAnswer(type);
    if (!g_answers.empty()) {
        answer = g_answers.front();
        g_answers.pop_front();
    }
    g_boxes.push_back(
        {owner, text ? text : u"", caption ? caption : u"", type, answer});
    return answer;
}

// ---- Dialogs ----------------------------------------------------------

static Window NewControl(Window dialog, const DialogItemTemplate& item) {
    Window control = headless::NewWindow(WindowKind::Control);
    control->parent = dialog;
    control->control = item.kind;
    control->id = item.id == 0xFFFF ? -1 : item.id;
    control->style = item.style;
    control->title = item.text ? item.text : u"";
    control->bitmapId = item.bitmapId;
    control->visible = true;
    int x = dialog->rect.left + item.x * kDialogUnit;
    int y = dialog->rect.top + item.y * kDialogUnit;
    control->rect = Rect{x, y, x + item.cx * kDialogUnit, y + item.cy * kDialogUnit};
    dialog->children.push_back(control);
    return control;
}

std::intptr_t DialogBoxParam(const Module* module, std::uint16_t templateId, Window owner,
                             DialogProc proc, LParam param) {
    auto* dialogTemplate =
        static_cast<const DialogTemplate*>(FindResourceObject(module, RT_DIALOG, templateId));
    if (dialogTemplate == nullptr || proc == nullptr) return -1;
    Window dialog = headless::NewWindow(WindowKind::Dialog);
    dialog->dialogProc = proc;
    dialog->parent = owner;
    dialog->templateId = templateId;
    dialog->style = dialogTemplate->style;
    dialog->exStyle = dialogTemplate->exStyle;
    dialog->title = dialogTemplate->caption ? dialogTemplate->caption : u"";
    int width = dialogTemplate->cx * kDialogUnit;
    int height = dialogTemplate->cy * kDialogUnit;
    int left = (headless::ScreenWidth() - width) / 2;
    int top = (headless::ScreenHeight() - height) / 2;
    dialog->rect = Rect{left, top, left + width, top + height};
    for (int i = 0; i < dialogTemplate->itemCount; ++i) NewControl(dialog, dialogTemplate->items[i]);
    Window firstControl = dialog->children.empty() ? nullptr : dialog->children.front();

    proc(dialog, WM_INITDIALOG, WParam(firstControl), param);
    if (Alive(dialog) && !dialog->ended) {
        dialog->visible = true;
        dialog->invalid = true;
        dialog->eraseNeeded = true;
        Activate(dialog);
        for (Window control : dialog->children) {
            if (control->control != ControlKind::OwnerDrawButton) continue;
            DrawItemStruct item;
            item.ctlType = ODT_BUTTON;
            item.ctlId = std::uint32_t(control->id);
            item.itemAction = ODA_DRAWENTIRE;
            item.item = control;
            item.dc = GetDC(control);
            item.rcItem = Rect{0, 0, control->rect.right - control->rect.left,
                               control->rect.bottom - control->rect.top};
            proc(dialog, WM_DRAWITEM, WParam(control->id), LParam(&item));
            ReleaseDC(control, item.dc);
        }
    }
    auto ended = [dialog] { return !Alive(dialog) || dialog->ended; };
    Pump(ended);
    if (!ended() && g_driver) {
        g_driver(dialog, templateId);
        Pump(ended);
    }
    if (!ended()) {
        proc(dialog, WM_COMMAND, MakeWParam(IDCANCEL, 0), 0);
        Pump(ended);
    }
    if (Alive(dialog) && !dialog->ended) {
        dialog->ended = true;
        dialog->result = IDCANCEL;
    }
    std::intptr_t result = dialog->result;
    if (Alive(dialog)) DestroyWindow(dialog);
    g_dialogsRun.push_back({templateId, result});
    return result;
}

bool EndDialog(Window dialog, std::intptr_t result) {
    if (!Alive(dialog) || dialog->kind != WindowKind::Dialog) return false;
    dialog->ended = true;
    dialog->result = result;
    return true;
}

}  // namespace plat
