// The baseline of the start-up benchmark: the least a Qt Widgets program can
// do that the reader also does without a display. It shows a window with
// one label, waits for its first paint, writes what the screen shows of it
// to a PNG and exits; exit code 0 only when the picture was written.
#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <cstdio>

namespace {

class Label : public QLabel {
public:
    using QLabel::QLabel;
    bool painted = false;

protected:
    void paintEvent(QPaintEvent* event) override {
        QLabel::paintEvent(event);
        painted = true;
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_bare_qt_window OUT.png\n");
        return 2;
    }
    QApplication app(argc, argv);
    Label label(QStringLiteral("Tovanel"));
    label.resize(480, 640);
    label.show();
    bool saved = false;
    // Once the window is on the screen and painted (as the reader, which
    // saves when it is idle after its first paint), what the screen shows.
    QTimer idle;
    QObject::connect(&idle, &QTimer::timeout, &app, [&] {
        const QWindow* handle = label.windowHandle();
        if (handle == nullptr || !handle->isExposed() || !label.painted) {
            return;
        }
        idle.stop();
        QCoreApplication::sendPostedEvents(&label, QEvent::UpdateRequest);
        const QPixmap shown = label.screen()->grabWindow(label.winId(), 0, 0, label.width(), label.height());
        saved = !shown.isNull() && shown.save(QString::fromLocal8Bit(argv[1]), "PNG", 80);
        app.quit();
    });
    idle.start(0);
    app.exec();
    return saved && label.painted ? 0 : 1;
}
