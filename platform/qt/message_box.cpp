// Message boxes on Qt: a modal QMessageBox run in the program's own loop,
// its answer given as the handheld's IDOK, IDCANCEL, IDYES or IDNO.
#include <QApplication>
#include <QMessageBox>

#include <cstdio>

#include "platform/dialog.h"
#include "platform/qt/dialog_internal.h"
#include "platform/window.h"

namespace plat {
namespace {

bool g_answerOffscreen = true;

// The button a box answers with when nobody can press one: the first of its
// buttons, or the second or third when the type asks for that.
int DefaultAnswer(std::uint32_t type) {
    int answers[3] = {IDOK, IDOK, IDOK};
    int count = 1;
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        answers[1] = IDCANCEL;
        count = 2;
        break;
    case MB_YESNO:
        answers[0] = IDYES;
        answers[1] = IDNO;
        count = 2;
        break;
    case MB_YESNOCANCEL:
        answers[0] = IDYES;
        answers[1] = IDNO;
        answers[2] = IDCANCEL;
        count = 3;
        break;
    default:
        break;
    }
    int which = (type & MB_DEFMASK) == MB_DEFBUTTON3 ? 2 : (type & MB_DEFMASK) == MB_DEFBUTTON2 ? 1 : 0;
    return answers[which < count ? which : 0];
}

// Without a display nobody can see or answer a box: it is written to
// standard error and answered at once.
int AnswerUnseen(const char16_t* text, const char16_t* caption, std::uint32_t type) {
    const QString title = caption != nullptr ? qtb::ToQString(caption)
                                             : QApplication::applicationDisplayName();
    std::fprintf(stderr, "%s: %s\n", title.toLocal8Bit().constData(),
                 qtb::ToQString(text).toLocal8Bit().constData());
    std::fflush(stderr);
    return DefaultAnswer(type);
}

}  // namespace

namespace testing {
void AnswerOffscreenMessageBoxes(bool answer) { g_answerOffscreen = answer; }
}  // namespace testing

int MessageBox(Window owner, const char16_t* text, const char16_t* caption, std::uint32_t type) {
    if (QCoreApplication::instance() == nullptr) {
        return 0;
    }
    if (g_answerOffscreen && QGuiApplication::platformName() == QLatin1String("offscreen")) {
        return AnswerUnseen(text, caption, type);
    }
    WindowObject* ownerWindow = qtb::FramedWindow(owner != nullptr && owner->kind != WindowKind::Proxy ? owner : nullptr);
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
    qtb::RunModal([&finished] { return finished; });
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
