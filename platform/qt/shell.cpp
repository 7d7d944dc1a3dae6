// Shell services on a desktop: full screen instead of hiding the task bar,
// dialog sizing, and URLs opened in the desktop's browser. The input panel
// and start icon have no desktop counterpart.
#include <QDesktopServices>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

#include "platform/qt/qt_internal.h"
#include "platform/shell.h"

namespace plat {

bool SHFullScreen(Window window, std::uint32_t state) {
    if (!qtb::IsLive(window) || window->frame == nullptr) {
        return false;
    }
    if (state & SHFS_HIDETASKBAR) {
        if (!window->fullScreen) {
            window->fullScreen = true;
            window->frame->showFullScreen();
        }
    } else if (state & SHFS_SHOWTASKBAR) {
        if (window->fullScreen) {
            window->fullScreen = false;
            window->frame->showNormal();
        }
    }
    return true;
}

bool SHInitDialog(Window dialog, std::uint32_t flags) {
    if (!qtb::IsLive(dialog) || !dialog->dialog || dialog->frame == nullptr) {
        return false;
    }
    if (flags & SHIDIF_DONEBUTTON) {
        dialog->dialog->okStrip = true;
    }
    QSize before = dialog->reportedSize;
    if (flags & (SHIDIF_SIZEDLG | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_FULLSCREENNOMENUBAR)) {
        // The owner's screen area: the window the dialog belongs to, or the
        // screen without one.
        QRect area;
        WindowObject* owner = dialog->parent;
        if (qtb::IsLive(owner) && owner->frame != nullptr) {
            area = owner->frame->geometry();
        } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
            area = screen->availableGeometry();
        }
        if (!area.isEmpty()) {
            dialog->frame->setGeometry(area);
        }
    }
    qtb::LayoutFrame(dialog);
    if (qtb::IsLive(dialog) && dialog->reportedSize == before) {
        qtb::SyncClientSize(dialog, true);
    }
    return true;
}

bool SHSipPreference(Window, int) { return true; }

void SHHandleWMSettingChange(Window, WParam, LParam, void*) {}

bool ShellExecuteOpen(Window, const char16_t* url, std::uint32_t) {
    if (url == nullptr || QCoreApplication::instance() == nullptr) {
        return false;
    }
    QUrl target(qtb::ToQString(url), QUrl::TolerantMode);
    if (!target.isValid()) {
        return false;
    }
    return QDesktopServices::openUrl(target);
}

}  // namespace plat
