// Starting another program, a document or a web page, as a double click
// would. Failures are reported by the result only; callers may ignore it.
#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// "Tickwell.exe" names the clock program; an executable file is started
// detached, anything else (a page, a document, a folder) goes to the desktop's
// default handler. A bare name is looked up in the program directory, then
// in PATH.
bool ShellOpen(const QString& target);

// What ShellOpen would start for a target: the executable path, or empty
// when the target is handed to the desktop. Exposed for tests.
QString ResolveExecutable(const QString& target);

// Tests replace the real start so nothing is launched.
using ShellHook = bool (*)(const QString& target);
void SetShellHook(ShellHook hook);

}  // namespace platform
