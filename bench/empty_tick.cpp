// The floor for Tickwell's idle CPU: a small Qt Widgets window whose
// one-second timer does nothing, in the event loop and X11 set-up the clock
// uses. What the clock costs above this is its own work each second.
// bench/clock_cpu.sh runs it beside the clock and xclock.
#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv) {
    qputenv("QT_XCB_NO_MITSHM", "1");
    qputenv("QT_NO_GLIB", "1");
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Empty ticking window"));
    window.setGeometry(300, 40, 236, 64);
    window.show();
    QTimer tick;
    int ticks = 0;
    QObject::connect(&tick, &QTimer::timeout, [&ticks] { ++ticks; });
    tick.start(1000);
    return app.exec();
}
