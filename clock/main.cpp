// Tickwell: the station clock. It takes no options; its files lie beside it.
#include "clock/tickwell_window.h"
#include "platform/application.h"
#include "platform/clock.h"

int main(int argc, char** argv) {
    platform::Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tickwell"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tickwell"));
    tickwell::TForm1 form(platform::DefaultClock());
    return QApplication::exec();
}
