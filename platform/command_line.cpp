#include "command_line.h"

#include <string_view>

namespace platform {

namespace {

void PrintHelp(const ProgramInfo& info, std::ostream& out) {
    out << "Usage: " << info.name << " [OPTION]...\n"
        << info.summary << "\n\n"
        << "      --help     display this help and exit\n"
        << "      --version  output version information and exit\n";
    if (!info.options.empty())
        out << '\n' << info.options;
    if (!info.files.empty())
        out << '\n' << info.files << '\n';
}

void PrintVersion(const ProgramInfo& info, std::ostream& out) {
    out << info.name << ' ' << info.version << '\n';
}

}  // namespace

std::optional<int> HandleInfoOptions(int argc, const char* const* argv, const ProgramInfo& info,
                                     std::ostream& out) {
    for (int i = 1; i < argc && argv[i] != nullptr; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--")
            break;
        if (arg == "--help") {
            PrintHelp(info, out);
            return 0;
        }
        if (arg == "--version") {
            PrintVersion(info, out);
            return 0;
        }
    }
    return std::nullopt;
}

}  // namespace platform
