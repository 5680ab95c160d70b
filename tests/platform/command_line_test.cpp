// --help and --version: found anywhere before "--", the first one wins, nothing else taken.
#include "platform/command_line.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace {

const platform::ProgramInfo kInfo{"Tickwell", "1.06", "A station clock.",
                                  "Files: beside the program.", ""};

struct Outcome {
    std::optional<int> exitCode;
    std::string printed;
};

Outcome RunWith(std::vector<const char*> args) {
    args.insert(args.begin(), "Tickwell");
    std::ostringstream out;
    const auto code =
        platform::HandleInfoOptions(static_cast<int>(args.size()), args.data(), kInfo, out);
    return {code, out.str()};
}

const std::string kHelp =
    "Usage: Tickwell [OPTION]...\n"
    "A station clock.\n"
    "\n"
    "      --help     display this help and exit\n"
    "      --version  output version information and exit\n"
    "\n"
    "Files: beside the program.\n";

TEST(HandleInfoOptions, AnswersHelpAndVersionAndLeavesEverythingElse) {
    struct Case {
        std::vector<const char*> args;
        std::optional<int> exitCode;
        std::string printed;
    };
    const Case cases[] = {
        {{}, std::nullopt, ""},
        {{"--help"}, 0, kHelp},
        {{"--version"}, 0, "Tickwell 1.06\n"},
        {{"-platform", "offscreen", "--version"}, 0, "Tickwell 1.06\n"},
        {{"--version", "--help"}, 0, "Tickwell 1.06\n"},
        {{"--help", "--version"}, 0, kHelp},
        {{"--", "--help"}, std::nullopt, ""},  // after "--" it is not an option
        {{"-platform", "offscreen"}, std::nullopt, ""},
        {{"--helpme", "-help", "--ver"}, std::nullopt, ""},
    };
    for (const Case& c : cases) {
        std::string joined;
        for (const char* a : c.args)
            joined += std::string(a) + ' ';
        SCOPED_TRACE(joined);
        const Outcome outcome = RunWith(c.args);
        EXPECT_EQ(outcome.exitCode, c.exitCode);
        EXPECT_EQ(outcome.printed, c.printed);
    }
}

}  // namespace
