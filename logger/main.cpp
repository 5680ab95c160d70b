// Corvatta: the contest logger.
#include "logger/program.h"
#include "platform/application.h"
#include "platform/clock.h"
#include "platform/command_line.h"
#include "platform/dialogs.h"
#include "practice/practice_options.h"
#include "station/station_state.h"

#include <QFont>
#include <QTimer>

#include <iostream>

namespace {

// What --help and --version print.
platform::ProgramInfo CommandLineInfo() {
    return {"Corvatta", "1.11",
            "Contest logger for the Slovenian 80 m contest \"KV prvenstvo ZRS\", with CW keying\n"
            "through a WinKeyer-protocol keyer on a serial port.",
            "Settings, log and Cabrillo files lie beside the program when it runs from a folder\n"
            "of its own; installed, it keeps them in $XDG_DATA_HOME/Corvatta\n"
            "(~/.local/share/Corvatta).",
            corvatta::practice::kPracticeOptionsHelp};
}

}  // namespace

int main(int argc, char** argv) {
    if (const auto exitCode = platform::HandleInfoOptions(argc, argv, CommandLineInfo(), std::cout))
        return *exitCode;
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    const corvatta::practice::PracticeOptions options =
        corvatta::practice::ParsePracticeOptions(arguments);
    if (!options.error.isEmpty()) {
        std::cerr << "Corvatta: " << options.error.toStdString()
                  << "\nTry 'Corvatta --help' for more information.\n";
        return 2;
    }
    platform::Application app(argc, argv);
    // The name captions the program's message boxes. No display name: Qt
    // would append it to every window's title.
    QApplication::setApplicationName(QStringLiteral("Corvatta"));
    // The main window's closing ends the program; the keyer and memo windows
    // are only hidden when closed.
    QApplication::setQuitOnLastWindowClosed(false);

    // The window was laid out for these faces; these are the metric twins
    // found on a Debian desktop.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Arial"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Consolas"), {QStringLiteral("Liberation Mono"),
                                                            QStringLiteral("DejaVu Sans Mono")});
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    QApplication::setFont(font);

    corvatta::StationState state;
    corvatta::Program program(state, platform::DefaultClock());
    program.main.show();
    if (options.practice) {
        // Once the window has loaded its log and settings.
        QTimer::singleShot(0, &program.main, [&program, &options] {
            program.StartPractice(corvatta::practice::ApplyOptions(
                corvatta::PracticeMode::StoredSettings(), options));
        });
    }
    platform::CloseWindowsOnTerminationSignals();
    return app.exec();
}
