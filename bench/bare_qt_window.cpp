// The baseline of the start-up benchmark: the least a Qt Widgets program can
// do that the reader also does without a display. It shows a window with
// one label, waits for its first paint, writes the window to a PNG and
// exits; exit code 0 only when the picture was written.
#include <QApplication>
#include <QLabel>
#include <QTimer>

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
    QTimer::singleShot(0, &app, [&] {
        if (!label.painted) {
            label.repaint();
        }
        saved = label.grab().save(QString::fromLocal8Bit(argv[1]), "PNG", 80);  // as the reader saves
        app.quit();
    });
    app.exec();
    return saved && label.painted ? 0 : 1;
}
