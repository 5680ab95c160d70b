// The reference for Corvatta's start: an empty Qt Widgets main window of the
// same size, with nothing in it. bench/start_bench.sh starts both the same way.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Empty reference window"));
    window.menuBar()->addMenu(QStringLiteral("Datoteka"));
    window.setFixedSize(699, 486 + window.menuBar()->sizeHint().height());
    window.show();
    return app.exec();
}
