// Corvatta: the contest logger.
#include "logger/main_window.h"
#include "logger/station_state.h"
#include "platform/application.h"
#include "platform/clock.h"

int main(int argc, char** argv) {
    platform::Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvatta"));
    QApplication::setApplicationDisplayName(QStringLiteral("Corvatta"));
    // The main window's closing ends the program; the keyer and memo windows
    // are only hidden when closed.
    QApplication::setQuitOnLastWindowClosed(false);

    corvatta::StationState state;
    corvatta::TfMain main(state, platform::DefaultClock());
    main.show();
    return app.exec();
}
