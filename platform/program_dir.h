// The program directory: where the running executable lies, with a trailing
// separator. Every file of the programs lives there. Tests point it at a
// temporary folder.
#pragma once

#include <QString>

namespace platform {

QString ProgramDirectory();

// An empty text returns to the executable's own directory.
void SetProgramDirectory(const QString& directory);

}  // namespace platform
