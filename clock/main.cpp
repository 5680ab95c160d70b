// Tickwell: the station clock. It takes no options but --help and --version.
#include "clock/tickwell_window.h"
#include "platform/application.h"
#include "platform/clock.h"
#include "platform/command_line.h"

#include <QFont>

#include <iostream>

namespace {

// What --help and --version print.
platform::ProgramInfo CommandLineInfo() {
    return {"Tickwell", "1.06",
            "A stay-on-top station clock with seven-segment digits (local time or UTC) and a\n"
            "row of launcher buttons.",
            "Its settings (Tickwellini.ini) and sound lie beside the program when it runs from\n"
            "a folder of its own; installed, it keeps them in $XDG_DATA_HOME/Tickwell\n"
            "(~/.local/share/Tickwell).",
            ""};
}

// Sets an environment variable to 1 unless it is set already; true when it
// was set here.
bool SetUnlessSet(const char* name) {
    if (qEnvironmentVariableIsSet(name)) {
        return false;
    }
    qputenv(name, "1");
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (const auto exitCode = platform::HandleInfoOptions(argc, argv, CommandLineInfo(), std::cout))
        return *exitCode;
    // On X11 Qt hands each repaint to the server through a shared-memory
    // image and then waits for the server to be done with it: one more
    // round trip, and one more wake-up of the process, every second. For a
    // window this small a plain image upload is cheaper. Only the X11
    // platform reads this variable.
    //
    // Qt's own event loop does the clock's one timer and one repaint a
    // second with less work than the GLib main loop it uses by default;
    // nothing in the clock needs GLib's (no native dialogs, no GLib-based
    // plugins).
    //
    // Both are read while the application object is made, and an operator's
    // own settings win. They are taken out again afterwards, so that the
    // programs the launcher buttons start get the environment the clock got.
    const bool setMitShm = SetUnlessSet("QT_XCB_NO_MITSHM");
    const bool setNoGlib = SetUnlessSet("QT_NO_GLIB");
    platform::Application app(argc, argv);
    if (setMitShm) {
        qunsetenv("QT_XCB_NO_MITSHM");
    }
    if (setNoGlib) {
        qunsetenv("QT_NO_GLIB");
    }
    // The name captions the program's message boxes. No display name: Qt
    // would append it to every window's title.
    QApplication::setApplicationName(QStringLiteral("Tickwell"));

    // The face and its 42-pixel launcher buttons were laid out for this
    // narrow face; these are its nearest stand-ins on a Debian desktop.
    QFont::insertSubstitutions(
        QStringLiteral("MS Sans Serif"),
        {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans Condensed"),
         QStringLiteral("DejaVu Sans")});
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    QApplication::setFont(font);

    tickwell::TForm1 form(platform::DefaultClock());
    platform::CloseWindowsOnTerminationSignals();
    return QApplication::exec();
}
