// The program directory: where a program keeps its files, with a trailing separator. A
// program run from its build folder or unpacked into a folder of its own keeps them beside
// the executable (portable). An installed program, or one whose folder this user cannot
// write, keeps them in the user's data directory ($XDG_DATA_HOME/<program>, by default
// ~/.local/share/<program>), which is made on the first start with the files the package
// ships. Tests point it at a temporary folder.
#pragma once

#include <QString>

namespace platform {

QString ProgramDirectory();

// An empty text returns to the directory chosen as above.
void SetProgramDirectory(const QString& directory);

// What the choice depends on; ProgramDirectory() fills it in from the running program.
struct ProgramLocation {
    QString executableDir;
    bool executableDirWritable = true;
    // The files an installed program ships for its data directory (<prefix>/share/corvatta/
    // <program>); empty when the program does not run from an installed prefix.
    QString shippedDataDir;
    QString dataHome;         // $XDG_DATA_HOME or ~/.local/share
    QString applicationName;  // "Corvatta", "Tickwell"
};

// The folder with a trailing separator. When it is the data directory, it is made if missing
// and every shipped file that is not there yet is copied in; the operator's own files are
// never replaced. A data directory that cannot be made leaves the executable's folder.
QString ResolveProgramDirectory(const ProgramLocation& location);

}  // namespace platform
