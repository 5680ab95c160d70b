// The two informational options every program on the desktop answers, --help and --version,
// handled before any window or display is needed.
#pragma once

#include <optional>
#include <ostream>
#include <string>

namespace platform {

struct ProgramInfo {
    std::string name;     // as typed on the command line: "Corvatta"
    std::string version;  // "1.11"
    std::string summary;  // one line: what the program is
    std::string files;    // one or two lines: where the program keeps its files
    std::string options;  // the program's own options, as --help lists them (may be empty)
};

// Looks for --help and --version among the arguments (up to a "--"), the first one found wins.
// Prints its text to `out` and returns the exit code (0); returns nothing when neither is
// given, and the program starts as usual. Every other argument is left to the toolkit.
std::optional<int> HandleInfoOptions(int argc, const char* const* argv, const ProgramInfo& info,
                                     std::ostream& out);

}  // namespace platform
